#include "uninstall/TempCopy.h"

#include <objbase.h>

#include "support/Handles.h"
#include "support/Utils.h"
#include "uninstall/UntwkCommandLine.h"

namespace {

constexpr int FolderAttempts = 16;
// A copy that has just ended may hold its file a moment longer (the image is
// unmapped after its handles are closed, and scanners open new files).
constexpr int RemoveAttempts = 50;
constexpr DWORD RemoveRetryMs = 100;

std::wstring RandomHex16()
{
    GUID guid = {};
    if (FAILED(CoCreateGuid(&guid)))
        return L"";
    wchar_t text[17] = {};
    wsprintfW(text, L"%08lX%04X%04X", static_cast<unsigned long>(guid.Data1),
              static_cast<unsigned>(guid.Data2 ^ guid.Data4[0]), static_cast<unsigned>(guid.Data3 ^ guid.Data4[7]));
    return text;
}

void RemoveCopy(const std::wstring& program, const std::wstring& folder)
{
    for (int attempt = 0; attempt < RemoveAttempts; ++attempt) {
        DeleteFileW(program.c_str());
        if (RemoveDirectoryW(folder.c_str()) || !PathExists(folder))
            return;
        Sleep(RemoveRetryMs);
    }
}

}  // namespace

std::wstring CreateUniqueFolder(const std::wstring& base, const std::wstring& prefix)
{
    for (int attempt = 0; attempt < FolderAttempts; ++attempt) {
        const std::wstring random = RandomHex16();
        if (random.empty())
            return L"";
        const std::wstring folder = CombinePath(base, prefix + random);
        if (CreateDirectoryW(folder.c_str(), nullptr))
            return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return L"";
    }
    return L"";
}

std::wstring OwnProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return L"";
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool RunFromTempCopy(const std::wstring& arguments, DWORD& exitCode)
{
    const std::wstring self = OwnProgramPath();
    const std::wstring folder = CreateUniqueFolder(GetKindDir(5), L"untwk-");
    if (self.empty() || folder.empty())
        return false;
    const std::wstring copy = CombinePath(folder, L"untwk.exe");
    if (!CopyFileW(self.c_str(), copy.c_str(), TRUE)) {
        RemoveCopy(copy, folder);
        return false;
    }
    std::wstring commandLine = L"\"" + copy + L"\" " + TempCopySwitch;
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION raw = {};
    // The copy starts in this process's current directory, so a relative log
    // path means the same to it; it leaves that directory once the log is read.
    if (!CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &raw)) {
        RemoveCopy(copy, folder);
        return false;
    }
    TProcessInfo process;
    process.Take(raw);
    // This process waits on for its caller; its own current directory must
    // not keep a folder of the installation alive meanwhile.
    SetCurrentDirectoryW(GetKindDir(5).c_str());
    WaitForSingleObject(process.Process.Get(), INFINITE);
    exitCode = 0;
    GetExitCodeProcess(process.Process.Get(), &exitCode);
    process = TProcessInfo();
    RemoveCopy(copy, folder);
    return true;
}

bool FolderHoldsOnly(const std::wstring& folder, const std::wstring& name)
{
    WIN32_FIND_DATAW data = {};
    const TFindHandle find(FindFirstFileW(CombinePath(folder, L"*").c_str(), &data));
    if (!find)
        return false;
    int matches = 0;
    do {
        const std::wstring entry = data.cFileName;
        if (entry == L"." || entry == L"..")
            continue;
        if (CompareStringOrdinal(entry.c_str(), -1, name.c_str(), -1, TRUE) != CSTR_EQUAL)
            return false;
        ++matches;
    } while (FindNextFileW(find.Get(), &data));
    return matches == 1;
}

DWORD RemoveAfterExit(const std::wstring& file, const std::wstring& folder)
{
    // A running program cannot delete its own file, and whoever waits on this
    // process must see it end only once the walk is over; so a hidden cmd.exe
    // of the system folder outlives it and retries for about half a minute:
    // pause a second (ping), delete the file, and once it is gone remove the
    // folder if nothing else is left in it ("rd" without /s).
    const std::wstring system = GetKindDir(6);
    const std::wstring cmd = CombinePath(system, L"cmd.exe");
    const std::wstring ping = CombinePath(system, L"ping.exe");
    std::wstring commandLine = L"\"" + cmd + L"\" /d /q /s /c \"for /l %i in (1,1,30) do @(\"" + ping +
                               L"\" -n 2 127.0.0.1 >nul & del /f /q \"" + file + L"\" >nul 2>&1 & if not exist \"" +
                               file + L"\" (rd \"" + folder + L"\" >nul 2>&1 & exit))\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION raw = {};
    if (!CreateProcessW(cmd.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        system.c_str(), &startup, &raw))
        return GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
    TProcessInfo process;
    process.Take(raw);
    return 0;
}
