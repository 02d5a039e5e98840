// Attacks from outside: hand-made uninstall logs aimed at folders the
// installation never owned (the deinstaller removes what lies in the
// installation directory and nothing outside it), and DLLs planted beside
// setup.exe and untwk.exe (never loaded).
#include <windows.h>

#include <tlhelp32.h>

#include <utility>
#include <vector>

#include "support/Handles.h"
#include "tests/robustness/RobustEnv.h"
#include "tests/uninstall/LogBuilder.h"
#include "uninstall/UntwkResult.h"

namespace {

const wchar_t* const Canary = L"C:\\qz-robust-canary";

struct TCanaries {
    std::wstring WindowsFile = CombinePath(GetKindDir(1), L"qz-canary.txt");
    std::wstring SystemFile = CombinePath(GetKindDir(6), L"qz-canary.txt");
    TCanaries()
    {
        ForceDirectory(std::wstring(Canary) + L"\\victim");
        WriteFileBytes(std::wstring(Canary) + L"\\keep.txt", "canary");
        WriteFileBytes(std::wstring(Canary) + L"\\victim\\keep.txt", "canary");
        WriteFileBytes(WindowsFile, "canary");
        WriteFileBytes(SystemFile, "canary");
    }
    ~TCanaries()
    {
        RemoveTree(Canary);
        DeleteFileW(WindowsFile.c_str());
        DeleteFileW(SystemFile.c_str());
    }
    void CheckAlive() const
    {
        CHECK(FileExists(std::wstring(Canary) + L"\\keep.txt"));
        CHECK(FileExists(std::wstring(Canary) + L"\\victim\\keep.txt"));
        CHECK(FileExists(WindowsFile));
        CHECK(FileExists(SystemFile));
    }
};

// Wine takes its builtin DLLs before any file. With these overrides the
// named programs (copies named so that nothing else is) take a native
// shell32.dll or uxtheme.dll wherever their search finds one first.
class TNativeDllsFor {
public:
    explicit TNativeDllsFor(std::vector<std::wstring> programs) : FPrograms(std::move(programs))
    {
        for (const std::wstring& program : FPrograms)
            for (const wchar_t* dll : {L"shell32", L"uxtheme"})
                FSet = RegWriteStr(HKEY_CURRENT_USER, Key(program), dll, L"native,builtin") && FSet;
    }
    ~TNativeDllsFor()
    {
        for (const std::wstring& program : FPrograms)
            RegDeleteKeyTree(HKEY_CURRENT_USER, Key(program));
    }
    TNativeDllsFor(const TNativeDllsFor&) = delete;
    TNativeDllsFor& operator=(const TNativeDllsFor&) = delete;
    bool Set() const { return FSet; }

private:
    static std::wstring Key(const std::wstring& program)
    {
        return L"Software\\Wine\\AppDefaults\\" + program + L"\\DllOverrides";
    }
    std::vector<std::wstring> FPrograms;
    bool FSet = true;
};

HWND VisibleWindowOf(DWORD processId)
{
    std::pair<DWORD, HWND> search(processId, nullptr);
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& wanted = *reinterpret_cast<std::pair<DWORD, HWND>*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != wanted.first || !IsWindowVisible(window))
                return TRUE;
            wanted.second = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// The file a running process took a DLL from; empty when it has none.
std::wstring LoadedFrom(DWORD processId, const std::wstring& dll)
{
    const TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot.Get(), &entry); more; more = Module32NextW(snapshot.Get(), &entry))
        if (LowerCase(entry.szModule) == dll)
            return LowerCase(entry.szExePath);
    return L"";
}

}  // namespace

TEST_SUITE("security")
{
TEST_CASE("DLLs planted beside setup.exe and untwk.exe are never loaded")
{
    TScratchDir dir(L"planted");
    const std::wstring marker = dir / L"loaded.txt";
    const TNativeDllsFor overrides({L"qz_plain_loader.exe", L"planted-setup.exe", L"planted-untwk.exe"});
    REQUIRE(overrides.Set());
    for (const wchar_t* dll : {L"shell32.dll", L"uxtheme.dll"})
        REQUIRE(CopyFileW(BinPath(L"qz_planted_dll.dll").c_str(), (dir / dll).c_str(), FALSE));
    const auto copy = [&](const wchar_t* program, const wchar_t* name) {
        REQUIRE(CopyFileW(BinPath(program).c_str(), (dir / name).c_str(), FALSE));
        return QuotePath(dir / name);
    };

    // The trap works: a program without the hardening loads either.
    const std::wstring plain = copy(L"qz_plain_loader.exe", L"qz_plain_loader.exe");
    for (const wchar_t* dll : {L"shell32.dll", L"uxtheme.dll"}) {
        INFO(Narrow(dll));
        RunCaptured(plain + L" " + dll, 60000);
        REQUIRE(FileExists(marker));
        REQUIRE(DeleteFileW(marker.c_str()));
    }

    // Both read their command line through shell32 before they refuse it:
    // the system-folder load of a delay-loaded DLL.
    const TRun silentSetup = RunCaptured(copy(L"setup.exe", L"planted-setup.exe") + L" /VERYSILENT /DIR=\"\"", 60000);
    CHECK_MESSAGE(silentSetup.Exit == 1, silentSetup.Output);
    CHECK_FALSE(FileExists(marker));
    DeleteFileW(marker.c_str());
    const TRun silentUntwk =
        RunCaptured(copy(L"untwk.exe", L"planted-untwk.exe") + L" /SILENT " + QuotePath(dir / L"uninst.log"), 60000);
    CHECK_MESSAGE(silentUntwk.Exit == uxCannotOpen, silentUntwk.Output);
    CHECK_FALSE(FileExists(marker));
    DeleteFileW(marker.c_str());

    // The parameter box of "/?" makes Wine's user32 load uxtheme.dll by
    // name: only the process's restricted search keeps the planted one out.
    TProcessInfo help;
    REQUIRE(StartProcess(QuotePath(dir / L"planted-setup.exe") + L" /?", help));
    HWND box = nullptr;
    for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 20000; box = VisibleWindowOf(help.ProcessId))
        if (WaitForSingleObject(help.Process.Get(), 50) == WAIT_OBJECT_0)
            break;
    CHECK(box);
    CHECK(LoadedFrom(help.ProcessId, L"uxtheme.dll") == LowerCase(CombinePath(GetKindDir(6), L"uxtheme.dll")));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    if (WaitForSingleObject(help.Process.Get(), 10000) != WAIT_OBJECT_0)
        TerminateProcess(help.Process.Get(), 1);
    CHECK_FALSE(FileExists(marker));
}
}

TEST_SUITE("faults")
{
TEST_CASE("crafted logs delete nothing outside the installation directory")
{
    TScratchDir dir(L"crafted");
    const std::wstring inst = dir / L"inst";
    TCanaries canaries;
    REQUIRE(MakeFolder(inst + L"\\Source"));
    const std::wstring up = L"..\\..\\..\\..\\..\\..\\qz-robust-canary";

    SUBCASE("texts that climb out with .. or are absolute")
    {
        TLogBuilder log;
        log.Products(inst)
            .Add(opCreateFolder, 0, 3, up)
            .Add(opCreateFolder, 0, 3, up + L"\\victim")
            .Add(opDeleteSingleFile, 0, 3, up + L"\\keep.txt")
            .Add(opCreateFolder, 0, 0, std::wstring(Canary) + L"\\victim")
            .Add(opDeleteSingleFile, 0, 0, std::wstring(Canary) + L"\\keep.txt")
            .Add(opDeleteSingleFile, 0, 3, L"\\qz-robust-canary\\keep.txt")
            .Add(opCopyPayloadIfMissing, 31, 1, L"..\\qz-robust-canary\\keep.txt")
            .Add(opCreateFolder, 0, 3, L"Source");  // undone first: proves the walk ran
        CHECK(Deinstall(dir, log.Bytes()) == 0);
        CHECK_FALSE(PathExists(inst + L"\\Source"));
        canaries.CheckAlive();
    }
    SUBCASE("an installation directory that is the drive root, Windows or the system folder")
    {
        for (const std::wstring& root : {std::wstring(L"C:\\"), GetKindDir(1), GetKindDir(6)}) {
            INFO(Narrow(root));
            TLogBuilder log;
            log.Products(root)
                .Add(opCreateFolder, 0, 3, L"")
                .Add(opCreateFolder, 0, 3, L"qz-robust-canary")
                .Add(opDeleteSingleFile, 0, 3, L"qz-canary.txt")
                .Add(opDeleteSingleFile, 0, 3, L"qz-robust-canary\\keep.txt");
            CHECK(Deinstall(dir, log.Bytes()) == 0);
            canaries.CheckAlive();
        }
    }
    SUBCASE("folders of other kinds: Windows, system, an IDE's folder")
    {
        TLogBuilder log;
        log.Products(inst)
            .Add(opCreateFolder, 0, 1, L"")
            .Add(opCreateFolder, 0, 6, L"")
            .Add(opSelectProduct, 1, 0, L"Delphi3")
            .Add(opCreateFolder, 0, 5, L"")
            .Add(opSelectProduct, 1, 0, L"Delphi3");
        CHECK(Deinstall(dir, log.Bytes()) == 0);
        canaries.CheckAlive();
        CHECK(DirectoryExists(GetKindDir(5)));
    }
}
}
