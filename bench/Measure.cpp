// Starts a program and prints one line of figures for bench/run.sh.
//
//   qzb_measure start <caption prefix> <program> [args...]
//     milliseconds from CreateProcessW until a visible top-level window of
//     the child whose caption starts with the prefix shows a visible Next
//     button (id 1000); the child is then terminated.
//   qzb_measure run [--cwd <dir>] <program> [args...]
//     the whole run: wall milliseconds, exit code, peak working set, and the
//     summed lifetimes of the stand-in compilers (dcc32, dcc64, make) the
//     child starts, seen through a job object's completion port.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <utility>

#include "support/Handles.h"

namespace {

constexpr int NextButtonId = 1000;

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::wstring QuoteArg(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
        return arg;
    std::wstring quoted = L"\"";
    for (wchar_t c : arg) {
        if (c == L'"')
            quoted += L'\\';
        quoted += c;
    }
    return quoted + L"\"";
}

std::wstring CommandLine(int argc, wchar_t** argv, int first)
{
    std::wstring line;
    for (int i = first; i < argc; ++i)
        line += (line.empty() ? L"" : L" ") + QuoteArg(argv[i]);
    return line;
}

struct TFindWizard {
    DWORD ProcessId;
    const wchar_t* Prefix;
    bool Found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM param)
{
    auto* find = reinterpret_cast<TFindWizard*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != find->ProcessId || !IsWindowVisible(window))
        return TRUE;
    wchar_t caption[256];
    GetWindowTextW(window, caption, 256);
    const HWND next = GetDlgItem(window, NextButtonId);
    if (wcsncmp(caption, find->Prefix, wcslen(find->Prefix)) == 0 && next && IsWindowVisible(next)) {
        find->Found = true;
        return FALSE;
    }
    return TRUE;
}

int Start(const wchar_t* prefix, const std::wstring& command)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::wstring line = command;
    const double begin = Now();
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        fwprintf(stderr, L"cannot start %ls: %lu\n", command.c_str(), GetLastError());
        return 2;
    }
    TProcessInfo process;
    process.Take(started);
    TFindWizard find{process.ProcessId, prefix, false};
    double shown = -1;
    // Polled every millisecond; gives up after 30 s or when the child ends.
    while (Now() - begin < 30000 && WaitForSingleObject(process.Process.Get(), 1) == WAIT_TIMEOUT) {
        EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&find));
        if (find.Found) {
            shown = Now() - begin;
            break;
        }
    }
    TerminateProcess(process.Process.Get(), 0);
    WaitForSingleObject(process.Process.Get(), 10000);
    if (shown < 0) {
        fwprintf(stderr, L"no first page from %ls\n", command.c_str());
        return 1;
    }
    wprintf(L"start_ms=%.1f\n", shown);
    return 0;
}

bool IsCompiler(HANDLE process)
{
    wchar_t path[MAX_PATH];
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameW(process, 0, path, &size))
        return false;
    const wchar_t* slash = wcsrchr(path, L'\\');
    const wchar_t* name = slash ? slash + 1 : path;
    return _wcsicmp(name, L"dcc32.exe") == 0 || _wcsicmp(name, L"dcc64.exe") == 0 ||
           _wcsicmp(name, L"make.exe") == 0;
}

struct TChild {
    TKernelHandle Handle;
    double Begin;
};

int Run(const std::wstring& directory, const std::wstring& command)
{
    const TKernelHandle job(CreateJobObjectW(nullptr, nullptr));
    const TKernelHandle port(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association{job.Get(), port.Get()};
    if (!job || !port ||
        !SetInformationJobObject(job.Get(), JobObjectAssociateCompletionPortInformation, &association,
                                 sizeof association)) {
        fwprintf(stderr, L"no job object: %lu\n", GetLastError());
        return 2;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::wstring line = command;
    const double begin = Now();
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &started)) {
        fwprintf(stderr, L"cannot start %ls: %lu\n", command.c_str(), GetLastError());
        return 2;
    }
    TProcessInfo process;
    process.Take(started);
    AssignProcessToJobObject(job.Get(), process.Process.Get());
    ResumeThread(process.Thread.Get());

    std::map<DWORD, TChild> children;
    double compileMs = 0;
    int compileRuns = 0;
    SIZE_T peak = 0;
    double wall = 0;
    bool exited = false;
    // The job reports each process as it starts and ends; messages still
    // queued when the child has ended are read before stopping. Wine reads
    // the working set of a live process only, so it is sampled while it runs.
    for (;;) {
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED data = nullptr;
        const bool got = GetQueuedCompletionStatus(port.Get(), &message, &key, &data, exited ? 0 : 2);
        if (!got && exited)
            break;
        if (got) {
            const auto pid = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data));
            const double at = Now();
            if (message == JOB_OBJECT_MSG_NEW_PROCESS && pid != process.ProcessId) {
                // Wine names a process's image only once it has started: the
                // name is asked for when it ends.
                TKernelHandle child(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
                if (child)
                    children[pid] = TChild{std::move(child), at};
            } else if (message == JOB_OBJECT_MSG_EXIT_PROCESS || message == JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS) {
                const auto found = children.find(pid);
                if (found != children.end()) {
                    if (IsCompiler(found->second.Handle.Get())) {
                        compileMs += at - found->second.Begin;
                        ++compileRuns;
                    }
                    children.erase(found);
                }
            }
        }
        PROCESS_MEMORY_COUNTERS counters{};
        if (!exited && GetProcessMemoryInfo(process.Process.Get(), &counters, sizeof counters) && counters.PeakWorkingSetSize > peak)
            peak = counters.PeakWorkingSetSize;
        if (!exited && WaitForSingleObject(process.Process.Get(), 0) == WAIT_OBJECT_0) {
            exited = true;
            wall = Now() - begin;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.Process.Get(), &code);
    wprintf(L"wall_ms=%.1f exit=%lu peak_ws_kb=%llu compile_ms=%.1f compile_runs=%d\n", wall, code,
            static_cast<unsigned long long>(peak / 1024), compileMs, compileRuns);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 4 && wcscmp(argv[1], L"start") == 0)
        return Start(argv[2], CommandLine(argc, argv, 3));
    if (argc >= 3 && wcscmp(argv[1], L"run") == 0) {
        const bool cwd = argc >= 5 && wcscmp(argv[2], L"--cwd") == 0;
        return Run(cwd ? argv[3] : L"", CommandLine(argc, argv, cwd ? 4 : 2));
    }
    fwprintf(stderr, L"usage: qzb_measure start <caption prefix> <program> [args...]\n"
                     L"       qzb_measure run [--cwd <dir>] <program> [args...]\n");
    return 2;
}
