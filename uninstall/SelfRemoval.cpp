#include "uninstall/SelfRemoval.h"

#include "support/Handles.h"
#include "support/DirKinds.h"
#include "support/Files.h"

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
