#include "uninstall/SelfRemoval.h"

#include "support/Handles.h"
#include "support/Files.h"
#include "support/Process.h"

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
    // cmd expands % sequences even inside quotes, and Wine's cmd expands the
    // values again, so no escaping makes a path safe on its command line: it
    // gets the parent folder as its current directory and a plain ASCII name
    // there. A running image may be renamed (same volume), not deleted.
    const std::wstring parent = SplitPath(folder).Folder;
    if (parent.empty())
        return ERROR_BAD_PATHNAME;
    wchar_t name[32] = {};
    DWORD error = ERROR_ALREADY_EXISTS;
    for (UINT attempt = 0; attempt < 100 && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS); ++attempt) {
        wsprintfW(name, L"~untwk%lx-%u.tmp", GetCurrentProcessId(), attempt);
        error = MoveFileExW(file.c_str(), CombinePath(parent, name).c_str(), 0) ? 0 : GetLastError();
    }
    if (error)
        return error;
    RemoveDirectoryW(folder.c_str());

    // The hidden cmd.exe of the system folder outlives this process, so that
    // whoever waits on it sees it end only once the walk is over, and retries
    // for about half a minute: pause a second (ping), delete the file.
    const std::wstring system = SystemDirectory();
    const std::wstring cmd = CombinePath(system, L"cmd.exe");
    const std::wstring ping = CombinePath(system, L"ping.exe");
    const std::wstring commandLine = L"\"" + cmd + L"\" /d /q /v:off /s /c \"for /l %i in (1,1,30) do (\"" +
                                     ping + L"\" -n 2 127.0.0.1 >nul & del /f /q " + name +
                                     L" >nul 2>&1 & if not exist " + name + L" exit)\"";
    error = StartHidden(cmd, commandLine, parent, 0);
    if (error)
        MoveFileExW(CombinePath(parent, name).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return error;
}
