// Installation folders with blanks, non-Latin letters and a length at the
// limit, given quoted to setup /VERYSILENT and qz_headless, and removed by
// the entry's quoted command lines; and the folders and log paths both
// programs refuse, each with its exit code and a message naming it.
#include <windows.h>

#include <shellapi.h>

#include "catalogue/Catalogue.h"
#include "support/Handles.h"
#include "support/Utils.h"
#include "tests/robustness/Residue.h"
#include "tests/robustness/RobustEnv.h"
#include "uninstall/UntwkResult.h"

namespace {

const wchar_t* const Root = L"C:\\qz-paths";
// The deepest path an installation of the help files makes below its folder.
const wchar_t* const DeepestFile = L"\\Source\\QqzlFormPlacement.pas";

std::vector<std::wstring> Arguments(const std::wstring& commandLine)
{
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
    const TLocalMem owner(reinterpret_cast<HLOCAL>(argv));
    std::vector<std::wstring> arguments;
    for (int i = 0; argv && i < count; ++i)
        arguments.emplace_back(argv[i]);
    return arguments;
}

// The installation in dir is complete and its entry's command lines name
// its own untwk and log as single arguments.
void CheckInstalled(const std::wstring& dir)
{
    for (const wchar_t* file : {L"untwk.exe", L"uninst.log", L"install.log", L"Help\\qzlib.hlp", L"Source\\qzl.inc"})
        CHECK_MESSAGE(FileExists(CombinePath(dir, file)), Narrow(file));
    const std::wstring untwk = CombinePath(dir, L"untwk.exe");
    const std::wstring log = CombinePath(dir, L"uninst.log");
    CHECK(Arguments(EntryValue(L"UninstallString")) == std::vector<std::wstring>{untwk, log});
    CHECK(Arguments(EntryValue(L"QuietUninstallString")) == std::vector<std::wstring>{untwk, L"/SILENT", log});
    CHECK(EntryValue(L"InstallLocation") == dir);
}

// untwk ran through commandLine: exit 0, the folder, the entry and the
// product key gone.
void CheckRemoved(const std::wstring& commandLine, const std::wstring& dir)
{
    CHECK(RunQuietRemoval(commandLine, dir) == uxSuccess);
    CHECK_MESSAGE(!PathExists(dir), Lines(FolderNames(dir)));
    CHECK(EntryValue(L"UninstallString").empty());
    TRegKey key;
    CHECK(RegOpenKeyExW(HKEY_LOCAL_MACHINE, Product::RegKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS);
}

TRun Setup(const std::wstring& arguments)
{
    return RunCaptured(QuotePath(BinPath(L"setup.exe")) + L" /VERYSILENT /IDES= /ITEMS=help " + arguments);
}

}  // namespace

TEST_SUITE("inputs")
{
TEST_CASE("installation folders with blanks, other scripts and at the length limit install and remove cleanly")
{
    std::wstring longDir = std::wstring(Root) + L"\\Orvane ";
    longDir.append(MAX_PATH - 1 - longDir.size() - wcslen(DeepestFile), L'x');
    const std::pair<const char*, std::wstring> dirs[] = {
        {"blanks", std::wstring(Root) + L"\\Orvane  library 4.07"},
        {"Greek and Chinese", L"C:\\\u03A9rvane \u6D4B\u8BD5"},
        {"259 characters to the deepest file", longDir},
    };
    for (const auto& dir : dirs) {
        INFO(dir.first);
        REQUIRE(dir.second.size() > 10);
        ScrubInstallation(dir.second);

        // setup, the folder quoted; removal by the quiet command line.
        TRun run = Setup(L"/DIR=\"" + dir.second + L"\"");
        INFO(run.Output);
        REQUIRE(run.Exit == 0);
        CheckInstalled(dir.second);
        CheckRemoved(EntryValue(L"QuietUninstallString"), dir.second);

        // qz_headless; removal by the entry's command line, /SILENT last.
        run = Headless(L"--dir \"" + dir.second + L"\" --items help");
        INFO(run.Output);
        REQUIRE(run.Exit == 0);
        CheckInstalled(dir.second);
        CheckRemoved(EntryValue(L"UninstallString") + L" /SILENT", dir.second);
        ScrubInstallation(dir.second);
    }
    RemoveTree(Root);
}

TEST_CASE("refused folders and log paths: an exit code and a message that names them")
{
    SUBCASE("setup /DIR")
    {
        const struct {
            std::wstring Dir;
            int Exit;
            const wchar_t* Says;
        } refused[] = {
            {L"", 1, L"the path is empty"},
            {L"relative\\dir", 1, L"must be a full path"},
            {L"C:\\", 1, L"must be a full path"},
            {GetKindDir(1), 1, L"must be a full path"},
            {std::wstring(Root) + L"\\bad|name", 3, L"Cannot create"},
        };
        for (const auto& bad : refused) {
            INFO(Narrow(bad.Dir));
            const TRun run = Setup(L"/DIR=\"" + bad.Dir + L"\"");
            INFO(run.Output);
            CHECK(run.Exit == static_cast<DWORD>(bad.Exit));
            const std::wstring output = Utf8ToWide(run.Output.data(), run.Output.size());
            CHECK(output.find(bad.Says) != std::wstring::npos);
            CHECK(EntryValue(L"UninstallString").empty());
        }
        CHECK_FALSE(PathExists(std::wstring(Root) + L"\\bad|name"));
    }
    SUBCASE("untwk /SILENT")
    {
        REQUIRE(ForceDirectory(std::wstring(Root) + L"\\empty folder") == 0);
        const std::wstring untwk = QuotePath(BinPath(L"untwk.exe"));
        const struct {
            std::wstring Arguments;
            DWORD Exit;
        } refused[] = {
            {L"/SILENT \"\"", uxNoLog},
            {L"/SILENT \"" + std::wstring(Root) + L"\\no such folder\\uninst.log\"", uxCannotOpen},
            {L"/SILENT \"" + std::wstring(Root) + L"\\empty folder\"", uxCannotOpen},
            {L"/SILENT \"" + std::wstring(Root) + L"\\" + std::wstring(300, L'x') + L"\\uninst.log\"", uxCannotOpen},
        };
        for (const auto& bad : refused) {
            INFO(Narrow(bad.Arguments));
            CHECK(RunProcess(untwk + L" " + bad.Arguments) == bad.Exit);
        }
        RemoveTree(Root);
    }
}
}
