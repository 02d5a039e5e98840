// untwk /SILENT on an installation laid out as the engine leaves it: the
// exit codes with their reason files, a temporary folder left as it was, and
// the removal of untwk.exe and its folder after a complete removal.
#include "tests/uninstall/LogBuilder.h"

#include "uninstall/UntwkResult.h"

namespace {

const wchar_t* const UninstallRoot = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const wchar_t* const KeyName = L"qzSilentTest";
constexpr DWORD SelfRemovalWaitMs = 60000;

std::vector<std::wstring> Entries(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data = {};
    const TFindHandle find(FindFirstFileW(CombinePath(folder, L"*").c_str(), &data));
    if (!find)
        return names;
    do {
        if (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..")
            names.emplace_back(data.cFileName);
    } while (FindNextFileW(find.Get(), &data));
    return names;
}

std::string ReasonOf(const std::wstring& folder)
{
    return ReadFileBytes(CombinePath(folder, ReasonFileName));
}

// An installation below "Program Files" of a scratch folder: untwk.exe, a
// source file, a file kept on partial removal, the uninstall key and the log.
struct TInstallation {
    explicit TInstallation(const TScratchDir& dir)
        : Dir(dir / L"Program Files\\Orvane lib"), Untwk(Dir + L"\\untwk.exe"), Log(Dir + L"\\uninst.log"),
          Templates(CombinePath(GetKindDir(1), L"qz-silent-templates.dat"))
    {
        REQUIRE(MakeFolder(Dir + L"\\Source"));
        REQUIRE(CopyFileW(BinPath(L"untwk.exe").c_str(), Untwk.c_str(), FALSE));
        REQUIRE(WriteFileBytes(Dir + L"\\Source\\qzl.pas", "unit qzl;"));
        REQUIRE(WriteFileBytes(Templates, "templates"));
        REQUIRE(RegWriteStr(HKEY_LOCAL_MACHINE, UninstallRoot + std::wstring(KeyName), L"DisplayName",
                            L"Orvane library"));
        TLogBuilder log;
        log.Products(Dir, true, KeyName)
            .Add(opCreateFolder, 0, 3, L"")
            .Add(opCreateFolder, 0, 3, L"Source")
            .Add(opCopyPayloadIfNewer, 28, 3, L"untwk.exe")
            .Add(opCopyPayloadIfMissing, 31, 1, L"qz-silent-templates.dat", ifLogged | ifKeepOnPartial)
            .Add(opDeleteSingleFile, 0, 3, L"Source\\qzl.pas")
            .Add(opRegisterUninstaller, 0, 0, L"");
        REQUIRE(WriteFileBytes(Log, log.Bytes()));
    }
    ~TInstallation()
    {
        DeleteFileW(Templates.c_str());
        // The entry only: an emptied Uninstall key is Windows' own and stays.
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (UninstallRoot + std::wstring(KeyName)).c_str());
    }
    bool KeyExists() const { return RegKeyExists(HKEY_LOCAL_MACHINE, UninstallRoot + std::wstring(KeyName)); }

    std::wstring Dir, Untwk, Log, Templates;
};

}  // namespace

TEST_CASE("untwk /SILENT removes an installation and leaves nothing in the temporary folder")
{
    TScratchDir dir(L"silent");
    const std::wstring temp = dir / L"temp";
    REQUIRE(MakeFolder(temp));
    const TTempRedirect redirect(temp);
    TInstallation inst(dir);

    SUBCASE("complete: untwk.exe and the folder go too")
    {
        // Started from inside the installation folder, as a shell might.
        CHECK(RunProcess(QuotePath(inst.Untwk) + L" /SILENT \"" + inst.Log + L"\"", inst.Dir) == uxSuccess);
        CHECK_FALSE(PathExists(inst.Log));
        CHECK_FALSE(PathExists(inst.Templates));
        CHECK(WaitUntil([&] { return !PathExists(inst.Dir); }, SelfRemovalWaitMs));
        CHECK(DirectoryExists(dir / L"Program Files"));  // not the installation's to remove
    }
    SUBCASE("/P keeps untwk.exe with its folder")
    {
        CHECK(RunProcess(QuotePath(inst.Untwk) + L" /SILENT /P \"" + inst.Log + L"\"") == uxSuccess);
        CHECK(FileExists(inst.Templates));
        Sleep(4000);  // a removal would have been scheduled right away
        CHECK(FileExists(inst.Untwk));
    }
    CHECK(Entries(temp).empty());
    CHECK_FALSE(PathExists(inst.Dir + L"\\Source"));
    CHECK_FALSE(inst.KeyExists());
}

TEST_CASE("untwk /SILENT: each failure has its exit code and its reason beside the log")
{
    TScratchDir dir(L"silent-fail");
    const std::wstring temp = dir / L"temp";
    REQUIRE(MakeFolder(temp));
    const TTempRedirect redirect(temp);
    const std::wstring untwk = QuotePath(BinPath(L"untwk.exe"));

    SUBCASE("no log path: code 1, the reason in the temporary folder")
    {
        CHECK(RunProcess(untwk + L" /SILENT") == uxNoLog);
        CHECK(ReasonOf(temp) == "No file with uninstall info.\r\n");
    }
    SUBCASE("a missing log: code 2")
    {
        const std::wstring missing = dir / L"missing.log";
        CHECK(RunProcess(untwk + L" /silent " + QuotePath(missing)) == uxCannotOpen);
        CHECK(ReasonOf(dir.Path()) == WideToUtf8(L"Could not open " + missing + L" file.\r\n"));
    }
    SUBCASE("a log too short for its header: code 3; a relative path counts from the caller's folder")
    {
        REQUIRE(WriteFileBytes(dir / L"five.log", "UNTWK"));
        CHECK(RunProcess(untwk + L" -SILENT five.log", dir.Path()) == uxInvalidLog);
        CHECK(ReasonOf(dir.Path()) == "Invalid five.log file.\r\n");
    }
    SUBCASE("a walk stopped by a missing help_unreg.bat: code 4, earlier records stay")
    {
        const std::wstring inst = dir / L"inst";
        REQUIRE(MakeFolder(inst + L"\\Source"));
        TLogBuilder log;
        log.Products(inst).Add(opCreateFolder, 0, 3, L"Source").Add(opRunHelpRegistration, 0, 0, L"");
        REQUIRE(WriteFileBytes(inst + L"\\uninst.log", log.Bytes()));
        CHECK(RunProcess(untwk + L" /SILENT " + QuotePath(inst + L"\\uninst.log")) == uxWalkStopped);
        CHECK(ReasonOf(inst) == WideToUtf8(StoppedMessage(ERROR_FILE_NOT_FOUND) + L"\r\n"));
        CHECK(DirectoryExists(inst + L"\\Source"));
    }
    SUBCASE("success removes a reason file left by an earlier run")
    {
        const std::wstring inst = dir / L"inst";
        REQUIRE(MakeFolder(inst));
        REQUIRE(WriteFileBytes(dir / L"uninst.log", TLogBuilder().Products(inst).Bytes()));
        REQUIRE(WriteFileBytes(dir / ReasonFileName, "stale"));
        CHECK(RunProcess(untwk + L" /SILENT " + QuotePath(dir / L"uninst.log")) == uxSuccess);
        CHECK_FALSE(PathExists(dir / ReasonFileName));
    }
    // The build's own untwk.exe lies in no installation: it never goes.
    CHECK(FileExists(BinPath(L"untwk.exe")));
    for (const std::wstring& entry : Entries(temp))
        CHECK(entry == ReasonFileName);  // nothing else written there
}
