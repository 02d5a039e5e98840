// The uninstall log on bytes laid out by hand, what the deinstaller removes
// from the IDEs, and what its undo steps refuse to touch.
#include "tests/unit/UnitTest.h"

#include "catalogue/Catalogue.h"
#include "script/ScriptItem.h"
#include "uninstall/Deinstall.h"

namespace {

// One logged record as the format lays it out: Id, Code, DirKind, text length, UTF-8 text, record length.
std::string Record(uint32_t typeId, uint32_t code, uint32_t dirKind, const std::wstring& text)
{
    const std::string utf8 = WideToUtf8(text);
    const uint32_t head[] = {typeId | ifLogged, code, dirKind, static_cast<uint32_t>(utf8.size())};
    const uint16_t size = static_cast<uint16_t>(utf8.size() + 16);
    return std::string(reinterpret_cast<const char*>(head), 14) + utf8 + std::string(reinterpret_cast<const char*>(&size), 2);
}

// The header and the product records of an installation into dir.
std::string Products(const std::wstring& dir, bool marker = true, const std::wstring& entry = L"qzUnit")
{
    return "UNTWK02" + Record(opLogProductInfo, piInstallDir, 0, dir) + Record(opLogProductInfo, piUninstallKey, 0, entry) +
           (marker ? Record(opLogProductInfo, piReverseMarker, 0, L"") : "");
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

}  // namespace

TEST_CASE("the log reader refuses what is no whole log and walks a log the way its marker says")
{
    TSandbox box;
    const std::wstring folder = box / L"inst\\\u03a9m\u00e9ga";
    REQUIRE(ForceDirectory(folder) == 0);
    const std::string log = Products(box / L"inst") + Record(opCreateFolder, 0, 3, L"\u03a9m\u00e9ga");
    struct TRow { const char* Name; std::string Bytes; int Result; };
    const TRow rows[] = {
        {"empty", "", -3}, {"short header", "UNTWK", -4}, {"letter for a digit", "UNTWKA2", -4}, {"other signature", "UNTWX02", -4},
        {"other version", "UNTWK17", 0}, {"record cut short", log.substr(0, log.size() - 3), -5},
        {"record lengths that disagree", log.substr(0, log.size() - 2) + "\x11" + '\0', -5},
    };
    CHECK(TDeinstall().PrepareUninstFile(box / L"missing.log") == -2);
    for (const TRow& row : rows)
        CHECK_MESSAGE(Deinstall(box, row.Bytes) == row.Result, row.Name);
    CHECK(DirectoryExists(folder));  // nothing is undone from a damaged log

    // Backwards the first SelectProduct of the log is met last; forwards the last one.
    const std::string versions = Record(opSelectProduct, 3, 0, L"First") + Record(opSelectProduct, 5, 0, L"Second");
    REQUIRE(Deinstall(box, log + versions) == 0);
    CHECK_FALSE(PathExists(folder));
    CHECK((Shared.CurrentProduct == 3 && Shared.CurrentProductFolder == L"First"));
    REQUIRE(Deinstall(box, Products(box / L"inst", false) + versions) == 0);
    CHECK(Shared.CurrentProduct == 5);
}

TEST_CASE("the deinstaller removes whole entries of the IDE registrations of the version the log makes current")
{
    TSandbox box;
    const std::wstring inst = box / L"I", lib = std::wstring(IdeByIndex(1)->RegKey) + L"\\Library";
    const std::wstring packages = std::wstring(IdeByIndex(1)->RegKey) + L"\\Known Packages";
    const std::wstring xe2 = std::wstring(IdeByIndex(16)->RegKey) + L"\\Library\\Win32";  // 32- and 64-bit settings
    SetRegText(HKEY_CURRENT_USER, packages, inst + L"\\D3\\qzl30.dpl", L"Orvane");
    SetRegText(HKEY_CURRENT_USER, packages, L"C:\\other.dpl", L"Other");
    // Version 1 is the one whose list is "SearchPath"; entries that begin or end with a removed one stay.
    SetRegText(HKEY_CURRENT_USER, lib, L"SearchPath", L"X" + inst + L"\\D3;" + inst + L"\\D3;" + inst + L"\\D3X;" + inst + L"\\SRC");
    SetRegText(HKEY_CURRENT_USER, lib, L"Search Path", inst + L"\\D3");
    SetRegText(HKEY_CURRENT_USER, lib, L"Browsing Path", inst);
    SetRegText(HKEY_CURRENT_USER, xe2, L"Search Path", inst + L"\\RADStudio9\\Win32;C:\\O");
    SetRegText(HKEY_CURRENT_USER, xe2, L"Browsing Path", inst + L"\\RADStudio9\\Win64");
    // The help folder lies below the RootDir the IDE registered.
    SetRegText(HKEY_CURRENT_USER, IdeByIndex(1)->RegKey, L"RootDir", box / L"D3");
    REQUIRE(ForceDirectory(box / L"D3\\Help") == 0);
    const std::wstring help = box / L"D3\\Help\\" + IdeByIndex(1)->HelpStr[0];
    REQUIRE(WriteBytes(help, ":Link a.hlp\r\n:Index Q=QZ.HLP\r\n:Index q=qz.hlp\r\n"));

    Shared.CurrentProduct = 1;  // left by the caller: not the log's
    REQUIRE(Deinstall(box, Products(inst) + Record(opSelectProduct, 16, 0, L"RADStudio9") +
                               Record(opAddIdePath, 0x84, 3, L"\\Library\\Win32\\Browsing Path") +
                               Record(opRegisterPackage, 0, 3, L"RADStudio9\\Win32\\dcl.bpl") +
                               Record(opSelectProduct, 16, 0, L"RADStudio9") + Record(opSelectProduct, 1, 0, L"D3") +
                               Record(opRegisterPackage, 0, 3, L"D3\\qzl30.dpl") + Record(opAddLibraryPath, 0, 3, L"Src") +
                               Record(opAppendToHelpConfig, 1, 4, L"\r\n:Index q=qz.hlp") + Record(opSelectProduct, 1, 0, L"D3") +
                               Record(opAddIdePath, 0, 3, L"\\Library\\Browsing Path")) == 0);  // met while none is current
    CHECK(RegText(HKEY_CURRENT_USER, packages, inst + L"\\D3\\qzl30.dpl") == L"<missing>");
    CHECK(RegText(HKEY_CURRENT_USER, packages, L"C:\\other.dpl") == L"Other");
    CHECK(RegText(HKEY_CURRENT_USER, lib, L"SearchPath") == L"X" + inst + L"\\D3;" + inst + L"\\D3X");
    CHECK(RegText(HKEY_CURRENT_USER, lib, L"Search Path") == inst + L"\\D3");
    CHECK(RegText(HKEY_CURRENT_USER, lib, L"Browsing Path") == inst);
    CHECK(RegText(HKEY_CURRENT_USER, xe2, L"Search Path") == L"C:\\O");
    CHECK(RegText(HKEY_CURRENT_USER, xe2, L"Browsing Path") == L"");
    CHECK(ReadBytes(help) == ":Link a.hlp\r\n:Index q=qz.hlp\r\n");  // the first line in any letter case goes
}

TEST_CASE("undo steps stay inside the installation directory and below top-level keys")
{
    TSandbox box;
    const std::wstring inst = box / L"inst";
    REQUIRE((ForceDirectory(inst + L"\\Source") == 0 && ForceDirectory(box / L"victim") == 0));
    REQUIRE(WriteBytes(box / L"victim\\file", "keep"));
    SetRegText(HKEY_CURRENT_USER, L"Software\\Qz\\Keep", L"v", L"1");
    SetRegText(HKEY_CURRENT_USER, L"Software\\Qz\\A\\B\\C", L"v", L"1");
    const uint32_t hkcu = 0x80000001;
    REQUIRE(Deinstall(box, Products(inst) + Record(opCreateRegistryKey, hkcu, 0, L"Software") +
                               Record(opCreateRegistryKey, hkcu, 0, L"Software\\") + Record(opCreateRegistryKey, hkcu, 0, L"") +
                               Record(opCreateRegistryKey, hkcu, 0, L"Software\\Qz\\A\\B") +
                               Record(opCreateFolder, 0, 3, L"..\\victim") + Record(opDeleteSingleFile, 0, 3, L"Source\\..\\..\\victim\\file") +
                               Record(opCopyPayloadFile, 0, 0, box / L"victim\\file") + Record(opCreateFolder, 0, 3, L"Source")) == 0);
    CHECK_FALSE(PathExists(inst + L"\\Source"));
    CHECK(FileExists(box / L"victim\\file"));
    TRegKey parent;  // emptied by the removal, so removed with it; its own parent holds more and stays
    CHECK(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Qz\\A", 0, KEY_READ, parent.Put()) == ERROR_FILE_NOT_FOUND);
    CHECK(RegText(HKEY_CURRENT_USER, L"Software\\Qz\\Keep", L"v") == L"1");
}
