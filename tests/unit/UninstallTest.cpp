// The uninstall log on bytes laid out by hand, what the deinstaller removes
// from the IDEs, and what its undo steps refuse to touch.
#include "tests/unit/UnitTest.h"

#include "catalogue/Catalogue.h"
#include "script/ScriptItem.h"
#include "support/Handles.h"
#include "support/SharedState.h"
#include "uninstall/Deinstall.h"

namespace {

// One logged record, byte by byte as the log format lays it out.
std::string Record(uint32_t typeId, uint32_t code, uint32_t dirKind, const std::wstring& text)
{
    const std::string utf8 = WideToUtf8(text);
    std::string bytes;
    const auto put = [&bytes](size_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes += static_cast<char>(value >> (8 * i));
    };
    put(typeId | ifLogged, 4);
    put(code, 4);
    put(dirKind, 4);
    put(utf8.size(), 2);
    bytes += utf8;
    put(utf8.size() + 16, 2);
    return bytes;
}

// The header and product records of an installation into dir.
std::string Products(const std::wstring& dir, bool marker = true, const std::wstring& entry = L"qzUnit")
{
    const std::string log = "UNTWK02" + Record(opLogProductInfo, piInstallDir, 0, dir) +
                            Record(opLogProductInfo, piUninstallKey, 0, entry);
    return marker ? log + Record(opLogProductInfo, piReverseMarker, 0, L"") : log;
}

// Undoes a log without a dialog; the result of PrepareUninstFile.
int Deinstall(const TSandbox& box, const std::string& log)
{
    REQUIRE(WriteBytes(box / L"uninst.log", log));
    TDeinstall deinstall;
    const int prepared = deinstall.PrepareUninstFile(box / L"uninst.log");
    if (prepared == 0 && deinstall.PrepareDeinstall() == 0)
        deinstall.DoDeinstall();
    return prepared;
}

bool KeyExists(HKEY root, const wchar_t* key)
{
    TRegKey handle;
    return RegOpenKeyExW(root, key, 0, KEY_READ, handle.Put()) == ERROR_SUCCESS;
}

}  // namespace

TEST_CASE("the log reader refuses what is no whole log and walks a log the way its marker says")
{
    TSandbox box;
    // The engine's writer lays a record out the same way.
    CHECK(BuildLogRecord(opCreateFolder | ifLogged, 0, 3, "S\xC3\xA9") == Record(opCreateFolder, 0, 3, L"S\u00e9"));

    const std::wstring folder = box / L"inst\\\u03a9m\u00e9ga";
    REQUIRE(ForceDirectory(folder) == 0);
    const std::string log = Products(box / L"inst") + Record(opCreateFolder, 0, 3, L"\u03a9m\u00e9ga");
    struct TRow { const char* Name; std::string Bytes; int Result; };
    const TRow rows[] = {
        {"empty file", "", -3},
        {"shorter than the header", "UNTWK", -4},
        {"letter for a version digit", "UNTWKA2", -4},
        {"other signature", "UNTWX02", -4},
        {"record cut short", log.substr(0, log.size() - 3), -5},
        {"record lengths that disagree", log.substr(0, log.size() - 2) + '\x11' + '\0', -5},
        {"another version", "UNTWK17", 0},
    };
    CHECK(TDeinstall().PrepareUninstFile(box / L"missing.log") == -2);
    for (const TRow& row : rows) {
        INFO(row.Name);
        CHECK(Deinstall(box, row.Bytes) == row.Result);
    }
    CHECK(DirectoryExists(folder));  // nothing is undone from a damaged log

    // Backwards the first SelectProduct of the log is met last; forwards the last one.
    const std::string versions = Record(opSelectProduct, 3, 0, L"First") + Record(opSelectProduct, 5, 0, L"Second");
    REQUIRE(Deinstall(box, log + versions) == 0);
    CHECK_FALSE(PathExists(folder));
    CHECK(Shared.CurrentProduct == 3);
    CHECK(Shared.CurrentProductFolder == L"First");
    REQUIRE(Deinstall(box, Products(box / L"inst", false) + versions) == 0);
    CHECK(Shared.CurrentProduct == 5);
}

TEST_CASE("the deinstaller removes the IDE registrations of the version the log makes current")
{
    TSandbox box;
    const std::wstring inst = box / L"inst";
    const std::wstring d3 = IdeByIndex(1)->RegKey;   // the one version whose list is "SearchPath"
    const std::wstring xe2 = IdeByIndex(16)->RegKey;  // 32- and 64-bit settings
    const std::wstring xe2Package = inst + L"\\RADStudio9\\Win32\\dclqzl160.bpl";
    SetRegText(HKEY_CURRENT_USER, d3 + L"\\Known Packages", inst + L"\\Delphi3\\qzl30.dpl", L"Orvane");
    SetRegText(HKEY_CURRENT_USER, d3 + L"\\Known Packages", L"C:\\other.dpl", L"Other");
    SetRegText(HKEY_CURRENT_USER, d3 + L"\\Library", L"SearchPath",
               L"C:\\O;" + inst + L"\\Delphi3;" + inst + L"\\Source;" + inst + L"\\Stray");
    SetRegText(HKEY_CURRENT_USER, d3 + L"\\Library", L"Search Path", inst + L"\\Delphi3");
    SetRegText(HKEY_CURRENT_USER, xe2 + L"\\Known Packages", xe2Package, L"Orvane");
    SetRegText(HKEY_CURRENT_USER, xe2 + L"\\Library\\Win32", L"Search Path", L"C:\\O;" + inst + L"\\RADStudio9\\Win32");
    SetRegText(HKEY_CURRENT_USER, xe2 + L"\\Library\\Win32", L"Browsing Path", inst + L"\\RADStudio9\\Win64;C:\\O");
    // The help folder is found below the RootDir the IDE registered.
    SetRegText(HKEY_CURRENT_USER, d3, L"RootDir", box / L"Delphi3");
    REQUIRE(ForceDirectory(box / L"Delphi3\\Help") == 0);
    const std::wstring help = box / L"Delphi3\\Help" + L"\\" + IdeByIndex(1)->HelpStr[0];
    REQUIRE(WriteBytes(help, ":Link a.hlp\r\n:Index Q=QZ.HLP\r\n:Index q=qz.hlp\r\n"));

    const std::string log =
        Products(inst) + Record(opSelectProduct, 16, 0, L"RADStudio9") +
        Record(opAddIdePath, 0x84, 3, L"\\Library\\Win32\\Browsing Path") +
        Record(opRegisterPackage, 0, 3, L"RADStudio9\\Win32\\dclqzl160.bpl") +
        Record(opSelectProduct, 16, 0, L"RADStudio9") + Record(opSelectProduct, 1, 0, L"Delphi3") +
        Record(opRegisterPackage, 0, 3, L"Delphi3\\qzl30.dpl") + Record(opAddLibraryPath, 0, 3, L"Source") +
        Record(opAppendToHelpConfig, 1, 4, L"\r\n:Index q=qz.hlp") + Record(opSelectProduct, 1, 0, L"Delphi3") +
        Record(opAddLibraryPath, 0, 3, L"Stray");  // met first, while no version is current
    Shared.CurrentProduct = 1;  // left over by the caller: not the log's to use
    REQUIRE(Deinstall(box, log) == 0);
    CHECK(RegText(HKEY_CURRENT_USER, d3 + L"\\Known Packages", inst + L"\\Delphi3\\qzl30.dpl") == L"<missing>");
    CHECK(RegText(HKEY_CURRENT_USER, d3 + L"\\Known Packages", L"C:\\other.dpl") == L"Other");
    CHECK(RegText(HKEY_CURRENT_USER, d3 + L"\\Library", L"SearchPath") == L"C:\\O;" + inst + L"\\Stray");
    CHECK(RegText(HKEY_CURRENT_USER, d3 + L"\\Library", L"Search Path") == inst + L"\\Delphi3");
    CHECK(RegText(HKEY_CURRENT_USER, xe2 + L"\\Known Packages", xe2Package) == L"<missing>");
    CHECK(RegText(HKEY_CURRENT_USER, xe2 + L"\\Library\\Win32", L"Search Path") == L"C:\\O");
    CHECK(RegText(HKEY_CURRENT_USER, xe2 + L"\\Library\\Win32", L"Browsing Path") == L"C:\\O");
    // Letter case is ignored when the line is looked for; only the first one goes.
    CHECK(ReadBytes(help) == ":Link a.hlp\r\n:Index q=qz.hlp\r\n");
}

TEST_CASE("undo steps stay inside the installation directory and below top-level keys")
{
    TSandbox box;
    const std::wstring inst = box / L"inst";
    REQUIRE(ForceDirectory(inst + L"\\Source") == 0);
    REQUIRE(ForceDirectory(box / L"victim") == 0);
    REQUIRE(WriteBytes(box / L"victim\\file.txt", "keep"));
    SetRegText(HKEY_CURRENT_USER, L"Software\\Qz\\Keep", L"v", L"1");
    SetRegText(HKEY_CURRENT_USER, L"Software\\Qz\\A\\B\\C", L"v", L"1");
    const std::string log =
        Products(inst) + Record(opCreateRegistryKey, 0x80000001, 0, L"Software") +
        Record(opCreateRegistryKey, 0x80000001, 0, L"Software\\") + Record(opCreateRegistryKey, 0x80000001, 0, L"") +
        Record(opCreateRegistryKey, 0x80000001, 0, L"Software\\Qz\\A\\B") +
        Record(opCreateFolder, 0, 3, L"..\\victim") +
        Record(opDeleteSingleFile, 0, 3, L"Source\\..\\..\\victim\\file.txt") +
        Record(opCopyPayloadFile, 0, 0, box / L"victim\\file.txt") + Record(opCreateFolder, 0, 3, L"Source");
    REQUIRE(Deinstall(box, log) == 0);
    CHECK_FALSE(PathExists(inst + L"\\Source"));
    CHECK(FileExists(box / L"victim\\file.txt"));
    // The key goes with its emptied parent; a parent holding something else stays.
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Qz\\A"));
    CHECK(RegText(HKEY_CURRENT_USER, L"Software\\Qz\\Keep", L"v") == L"1");

    // A protected folder as installation directory (the sandbox is the temporary folder) owns nothing, and
    // a log without an entry name names no uninstall entry.
    const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    SetRegText(HKEY_LOCAL_MACHINE, uninstall + L"\\Other", L"DisplayName", L"Other");
    REQUIRE(Deinstall(box, Products(box.Dir, true, L"") + Record(opRegisterUninstaller, 0, 3, L"untwk.exe") +
                               Record(opCreateFolder, 0, 3, L"victim")) == 0);
    CHECK(FileExists(box / L"victim\\file.txt"));
    CHECK(RegText(HKEY_LOCAL_MACHINE, uninstall + L"\\Other", L"DisplayName") == L"Other");
}

TEST_CASE("RemoveListEntry removes the first whole entry, letter case ignored")
{
    TSandbox box;
    struct TRow { const char* Name; const wchar_t* Before; const wchar_t* Entry; const wchar_t* After; };
    const TRow rows[] = {
        {"middle entry in other letter case", L"C:\\A;C:\\B;C:\\C", L"c:\\b", L"C:\\A;C:\\C"},
        {"first entry", L"C:\\A;C:\\B", L"C:\\A", L"C:\\B"},
        {"last entry", L"C:\\A;C:\\B", L"C:\\B", L"C:\\A"},
        {"only entry", L"C:\\A", L"C:\\A", L""},
        {"first of two equal entries", L"C:\\A;C:\\B;C:\\A", L"C:\\A", L"C:\\B;C:\\A"},
        {"after longer entries that begin and end with it", L"C:\\A2;D:C:\\A;C:\\A", L"C:\\A", L"C:\\A2;D:C:\\A"},
        {"only longer entries", L"C:\\A2;D:C:\\A", L"C:\\A", L"C:\\A2;D:C:\\A"},
    };
    for (const TRow& row : rows) {
        INFO(row.Name);
        SetRegText(HKEY_CURRENT_USER, L"Software\\Qz", L"List", row.Before);
        RemoveListEntry(HKEY_CURRENT_USER, L"Software\\Qz", L"List", row.Entry);
        CHECK(RegText(HKEY_CURRENT_USER, L"Software\\Qz", L"List") == row.After);
    }
    CHECK_FALSE(RemoveListEntry(HKEY_CURRENT_USER, L"Software\\Qz", L"None", L"C:\\A"));
    CHECK(RegText(HKEY_CURRENT_USER, L"Software\\Qz", L"None") == L"<missing>");
}
