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
    return std::string(reinterpret_cast<const char*>(head), 14) + utf8 +
           std::string(reinterpret_cast<const char*>(&size), 2);
}

// The log of an installation into dir: header, product record and, unless forward, the reverse marker.
std::string Log(const std::wstring& dir, const std::string& records, bool forward = false)
{
    return "UNTWK02" + Record(opLogProductInfo, piInstallDir, 0, dir) +
           (forward ? "" : Record(opLogProductInfo, piReverseMarker, 0, L"")) + records;
}

// What the walk tells its observer, one line per call.
struct TWalkRecorder : TDeinstallObserver {
    std::vector<std::string> Calls;
    void WalkStarting(size_t span) override { Calls.push_back("start " + std::to_string(span)); }
    void RecordStarting(const std::wstring& status) override { Calls.push_back("status " + WideToUtf8(status)); }
    void RecordFinished(size_t size) override { Calls.push_back("done " + std::to_string(size)); }
    void WalkFinished() override { Calls.push_back("end"); }
};

// Undoes a log as setup does, against the IDEs as last detected, with the
// given installation folder until the log names its own; the result of
// PrepareUninstFile.
int Deinstall(const TSandbox& box, const std::string& log, TDeinstallObserver* observer = nullptr,
              bool partial = false, const std::wstring& installDir = L"")
{
    REQUIRE(WriteBytes(box / L"uninst.log", log));
    TDeinstall deinstall(installDir);
    deinstall.flPartialUninstall = partial;
    const int prepared = deinstall.PrepareUninstFile(box / L"uninst.log");
    if (prepared == 0 && deinstall.PrepareDeinstall() == 0)
        deinstall.DoDeinstall(observer);
    return prepared;
}

}  // namespace

TEST_CASE("the deinstaller undoes nothing from a broken log, and walks a whole one the way its marker says")
{
    TSandbox box;
    const std::wstring folder = box / L"inst\\\u03a9m\u00e9ga";  // more bytes in UTF-8 than characters
    REQUIRE(ForceDirectory(folder) == 0);
    const std::string log = Log(box / L"inst", Record(opCreateFolder, 0, 3, L"\u03a9m\u00e9ga"));
    CHECK(Deinstall(box, log.substr(0, log.size() - 3)) == -5);  // the last record cut short
    CHECK(Deinstall(box, log.substr(0, log.size() - 2) + "\x11" + '\0') == -5);  // its two lengths disagree
    CHECK(Deinstall(box, "") == -3);
    CHECK(Deinstall(box, "UNTWX02" + log.substr(7)) == -4);
    CHECK(TDeinstall().PrepareUninstFile(box / L"missing.log") == -2);
    {  // a whole log followed by more than 64 MiB, which is refused before it is read
        REQUIRE(WriteBytes(box / L"large.log", log));
        const TFileHandle large(CreateFileW((box / L"large.log").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER end;
        end.QuadPart = 0x4000001;
        REQUIRE((SetFilePointerEx(large.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(large.Get())));
    }
    CHECK(TDeinstall().PrepareUninstFile(box / L"large.log") == -4);
    CHECK(DirectoryExists(folder));

    // Backwards the first SelectProduct of the log is met last; forwards the last one.
    const std::string versions = Record(opSelectProduct, 3, 0, L"First") + Record(opSelectProduct, 5, 0, L"Second");
    Shared.InstallDir = box / L"new";  // the installation setup is making: the log's own folder counts
    REQUIRE(Deinstall(box, log + versions, nullptr, false, Shared.InstallDir) == 0);
    CHECK((Shared.CurrentProduct == 3 && Shared.CurrentProductFolder == L"First"));
    CHECK_FALSE(PathExists(folder));
    CHECK(Shared.InstallDir == box / L"new");
    CHECK((Deinstall(box, Log(box / L"inst", versions, true)) == 0 && Shared.CurrentProduct == 5));
}

TEST_CASE("the deinstaller removes whole entries of the IDE registrations of the version the log makes current")
{
    TSandbox box;
    const std::wstring inst = box / L"I", d3 = std::wstring(IdeByIndex(1)->RegKey) + L"\\";
    const std::wstring xe2 = std::wstring(IdeByIndex(16)->RegKey) + L"\\Library\\Win32";  // 32- and 64-bit settings
    // Version 1 is the one whose list is "SearchPath"; entries that begin or end with a removed one stay.
    const std::wstring values[][4] = {
        {d3 + L"Known Packages", inst + L"\\D\\qzl30.dpl", L"Orvane", L"<missing>"},
        {d3 + L"Library", L"SearchPath", L"X" + inst + L"\\D;O;" + inst + L"\\DX;" + inst + L"\\D;" + inst + L"\\SRC",
         L"X" + inst + L"\\D;O;" + inst + L"\\DX"},
        {d3 + L"Library", L"Browsing Path", inst, inst},
        {xe2, L"Search Path", inst + L"\\XE2\\Win32;C:\\O", L"C:\\O"},
        {xe2, L"Browsing Path", inst + L"\\XE2\\Win64", L""},
    };
    for (const auto& value : values)
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, value[0], value[1], value[2]));
    // The help folder lies below the RootDir the IDE had when its caller detected it, not one registered since.
    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, d3, L"RootDir", box / L"D3"));
    DetectInstalledIdes();
    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, d3, L"RootDir", box / L"Later"));
    REQUIRE(ForceDirectory(box / L"D3\\Help") == 0);
    const std::wstring help = box / L"D3\\Help\\" + IdeByIndex(1)->HelpStr[0];
    REQUIRE(WriteBytes(help, ":Link a.hlp\r\n:Index Q=QZ.HLP\r\n:Index q=qz.hlp\r\n"));

    const std::string records =
        Record(opSelectProduct, 16, 0, L"XE2") + Record(opAddIdePath, 0x84, 3, L"\\Library\\Win32\\Browsing Path") +
        Record(opRegisterPackage, 0, 3, L"XE2\\Win32\\dcl.bpl") + Record(opSelectProduct, 16, 0, L"XE2") +
        Record(opSelectProduct, 1, 0, L"D") + Record(opRegisterPackage, 0, 3, L"D\\qzl30.dpl") +
        Record(opAddLibraryPath, 0, 3, L"Src") + Record(opAppendToHelpConfig, 1, 4, L"\r\n:Index q=qz.hlp") +
        Record(opSelectProduct, 1, 0, L"D") + Record(opAddIdePath, 0, 3, L"\\Library\\Browsing Path");  // met first
    Shared.CurrentProduct = 1;  // so under no version: what the caller left current is not the log's
    REQUIRE(Deinstall(box, Log(inst, records)) == 0);
    for (const auto& value : values)
        CHECK_MESSAGE(RegText(HKEY_CURRENT_USER, value[0], value[1]) == value[3], WideToUtf8(value[1]));
    CHECK(ReadBytes(help) == ":Link a.hlp\r\n:Index q=qz.hlp\r\n");  // the first line in any letter case goes
}

TEST_CASE("undo steps stay inside the installation directory and below top-level keys")
{
    TSandbox box;
    REQUIRE((ForceDirectory(box / L"inst\\S") == 0 && WriteBytes(box / L"keep", "")));
    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, L"Software\\Qz", L"v", L"1"));
    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, L"Software\\Qz\\A\\B\\C", L"v", L"1"));
    const uint32_t hkcu = 0x80000001;
    const std::string records =
        Record(opCreateRegistryKey, hkcu, 0, L"Software") + Record(opCreateRegistryKey, hkcu, 0, L"Software\\") +
        Record(opCreateRegistryKey, hkcu, 0, L"Software\\Qz\\A\\B") + Record(opCopyPayloadFile, 0, 0, box / L"keep") +
        Record(opDeleteSingleFile, 0, 3, L"S\\..\\..\\keep") + Record(opCreateFolder, 0, 3, L"S");
    REQUIRE(Deinstall(box, Log(box / L"inst", records)) == 0);
    CHECK((!PathExists(box / L"inst\\S") && FileExists(box / L"keep")));
    TRegKey parent;  // emptied by the removal, so removed with it; its own parent holds a value and stays
    CHECK(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Qz\\A", 0, KEY_READ, parent.Put()) == ERROR_FILE_NOT_FOUND);
    CHECK(RegText(HKEY_CURRENT_USER, L"Software\\Qz", L"v") == L"1");
}

TEST_CASE("the deinstaller shows each record's status to its observer, kept while a record has none of its own")
{
    TSandbox box;
    REQUIRE(ForceDirectory(box / L"inst\\S") == 0);
    REQUIRE((WriteBytes(box / L"inst\\a", "") && WriteBytes(box / L"inst\\b", "")));
    const std::string kept = Record(opDeleteSingleFile | ifKeepOnPartial, 0, 3, L"b");
    const std::string records = Record(opCreateFolder, 0, 3, L"S") + Record(opSelectProduct, 1, 0, L"D") + kept +
                                Record(opDeleteSingleFile, 0, 3, L"a");  // met first
    const std::string log = Log(box / L"inst", records);
    const std::string span = std::to_string(records.size());
    const auto size = [](const std::string& record) { return "done " + std::to_string(record.size()); };
    TWalkRecorder walk;
    REQUIRE(Deinstall(box, log, &walk, true) == 0);
    const std::vector<std::string> expected = {
        "start " + span, "status Removing file", size(Record(opDeleteSingleFile, 0, 3, L"a")), "status Skipping",
        size(kept), "status Skipping", size(Record(opSelectProduct, 1, 0, L"D")), "status Removing directory",
        size(Record(opCreateFolder, 0, 3, L"S")), "end"};
    CHECK(walk.Calls == expected);
    CHECK((FileExists(box / L"inst\\b") && !PathExists(box / L"inst\\a") && !PathExists(box / L"inst\\S")));

    // A log that names no folder of its own is undone against the caller's.
    REQUIRE((ForceDirectory(box / L"other") == 0 && WriteBytes(box / L"other\\a", "")));
    REQUIRE(Deinstall(box, "UNTWK02" + Record(opDeleteSingleFile, 0, 3, L"a"), nullptr, false, box / L"other") == 0);
    CHECK_FALSE(PathExists(box / L"other\\a"));

    // A step that stops the walk ends it without its progress step.
    TWalkRecorder stopped;
    REQUIRE(Deinstall(box, Log(box / L"missing", Record(opRunHelpRegistration, 0, 0, L"")), &stopped) == 0);
    CHECK(stopped.Calls.size() == 3);
    CHECK(stopped.Calls[1] == "status Unregistering help");
    CHECK(stopped.Calls[2] == "end");
}
