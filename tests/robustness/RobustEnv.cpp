#include "tests/robustness/RobustEnv.h"

#include <tlhelp32.h>

#include <vector>

#include "catalogue/Catalogue.h"
#include "support/Handles.h"
#include "support/Utils.h"
#include "tests/harness/FakeIdeSet.h"

TRun RunCaptured(const std::wstring& commandLine, DWORD timeoutMs)
{
    TRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readRaw = nullptr;
    HANDLE writeRaw = nullptr;
    if (!CreatePipe(&readRaw, &writeRaw, &inherit, 0))
        return run;
    TKernelHandle readEnd(readRaw);
    TKernelHandle writeEnd(writeRaw);
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring line = commandLine;
    PROCESS_INFORMATION raw = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &raw))
        return run;
    TProcessInfo process;
    process.Take(raw);
    writeEnd = TKernelHandle();  // the child holds the only write end now

    const DWORD start = GetTickCount();
    char buffer[4096];
    for (;;) {
        DWORD available = 0;
        if (PeekNamedPipe(readEnd.Get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            DWORD read = 0;
            if (ReadFile(readEnd.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
                run.Output.append(buffer, read);
            continue;
        }
        if (WaitForSingleObject(process.Process.Get(), 20) == WAIT_OBJECT_0) {
            DWORD read = 0;
            while (PeekNamedPipe(readEnd.Get(), nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
                   ReadFile(readEnd.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
                run.Output.append(buffer, read);
            GetExitCodeProcess(process.Process.Get(), &run.Exit);
            return run;
        }
        if (GetTickCount() - start > timeoutMs) {
            TerminateProcess(process.Process.Get(), 1);
            WaitForSingleObject(process.Process.Get(), 5000);
            return run;
        }
    }
}

TRun Headless(const std::wstring& arguments)
{
    return RunCaptured(QuotePath(BinPath(L"qz_headless.exe")) + L" " + arguments);
}

TRun InstallInto(const std::wstring& dir, const std::wstring& extra, uint32_t versions)
{
    wchar_t mask[16];
    swprintf(mask, 16, L"%x", versions);
    return Headless(L"--dir " + QuotePath(dir) + L" --versions " + mask + L" --items " + RobustItems +
                    (extra.empty() ? L"" : L" " + extra));
}

std::wstring EntryValue(const wchar_t* name)
{
    std::wstring text;
    RegReadStr(HKEY_LOCAL_MACHINE, std::wstring(Product::UninstallRoot) + Product::UninstallKeyName, name, text);
    return text;
}

namespace {

// The dialog belongs to untwk, which need not be the process started here
// (Wine's uninstaller starts it in turn).
HWND FindUninstallDialog()
{
    const HWND dialog = FindWindowW(L"#32770", L"Uninstall for Orvane library v4.07");
    return dialog && IsWindowVisible(dialog) && GetDlgItem(dialog, 1000) ? dialog : nullptr;
}

// Ends a started process that did not end in time, and what it started.
void EndTree(DWORD processId)
{
    std::vector<DWORD> children;
    {
        const TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
             more = Process32NextW(snapshot.Get(), &entry))
            if (entry.th32ParentProcessID == processId && entry.th32ProcessID != processId)
                children.push_back(entry.th32ProcessID);
    }
    const TKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    if (process)
        TerminateProcess(process.Get(), 1);
    for (DWORD child : children)
        EndTree(child);
}

bool Ended(HANDLE process, DWORD timeoutMs)
{
    return process && WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
}

// untwk.exe and the installation folder go a moment after untwk has ended.
void WaitUntilGone(const std::wstring& folder)
{
    for (DWORD start = GetTickCount(); PathExists(folder) && GetTickCount() - start < 10000;)
        Sleep(50);
}

}  // namespace

bool StartProcess(const std::wstring& commandLine, TProcessInfo& process)
{
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION raw = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &raw))
        return false;
    process.Take(raw);
    return true;
}

bool RunUninstaller(const std::wstring& commandLine, const std::wstring& installDir)
{
    TProcessInfo process;
    if (!StartProcess(commandLine, process))
        return false;
    HWND dialog = nullptr;
    for (DWORD start = GetTickCount(); !dialog && GetTickCount() - start < 20000; dialog = FindUninstallDialog())
        if (WaitForSingleObject(process.Process.Get(), 50) == WAIT_OBJECT_0)
            return false;
    if (!dialog) {
        EndTree(process.ProcessId);
        return false;
    }
    // The untwk that owns the dialog: a caller that does not wait for it
    // must not end the test early.
    DWORD untwkId = 0;
    GetWindowThreadProcessId(dialog, &untwkId);
    const TKernelHandle untwk(OpenProcess(SYNCHRONIZE, FALSE, untwkId));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1000, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1000)));
    if (!Ended(process.Process.Get(), 60000) || !Ended(untwk.Get(), 60000)) {
        EndTree(process.ProcessId);
        EndTree(untwkId);
        return false;
    }
    WaitUntilGone(installDir);
    return true;
}

DWORD RunQuietRemoval(const std::wstring& commandLine, const std::wstring& installDir)
{
    TProcessInfo process;
    if (!StartProcess(commandLine, process))
        return ~0u;
    if (!Ended(process.Process.Get(), 60000)) {
        EndTree(process.ProcessId);
        return ~0u;
    }
    WaitUntilGone(installDir);
    DWORD exitCode = ~0u;
    GetExitCodeProcess(process.Process.Get(), &exitCode);
    return exitCode;
}

std::wstring TRobustIdes::Root() { return L"C:\\qz-robust-ides"; }

TRobustIdes::TRobustIdes(uint32_t versions) : FVersions(versions)
{
    RemoveFakeIdes(FVersions, Root());
    FMade = MakeFakeIdes(FVersions, Root());
}

TRobustIdes::~TRobustIdes() { RemoveFakeIdes(FVersions, Root()); }

void ScrubInstallation(const std::wstring& dir)
{
    RemoveTree(dir);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(Product::UninstallRoot) + Product::UninstallKeyName).c_str());
    // Windows always has the Uninstall key, even empty; a test elsewhere may
    // have pruned it, and the installation would bring it back.
    std::wstring uninstallRoot = Product::UninstallRoot;
    uninstallRoot.pop_back();
    RegCreateKeyPath(HKEY_LOCAL_MACHINE, uninstallRoot);
    // Through an existing product key, so that an emptied maker key some
    // other test left behind goes too and every picture starts alike.
    RegCreateKeyPath(HKEY_LOCAL_MACHINE, Product::RegKey);
    RegDeleteKeyTree(HKEY_LOCAL_MACHINE, Product::RegKey);
    RegRemoveValue(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\Help", L"qzlib.hlp");
    RegRemoveValue(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\Help", L"qzlib.cnt");
    DeleteFileW(CombinePath(GetKindDir(1), L"Orvane.ini").c_str());
    for (const TPackageTarget& target : PackageTargets)
        if (target.DirKind == 6)
            DeleteFileW(CombinePath(GetKindDir(6), target.Name).c_str());
}
