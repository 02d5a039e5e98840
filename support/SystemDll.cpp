#include "support/SystemDll.h"

#include <delayimp.h>

#include "support/Files.h"

namespace {

using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);

// Present on Windows 8 and on Windows 7 / Vista with KB2533623; the
// LOAD_LIBRARY_SEARCH_* flags work exactly where it exists.
TSetDefaultDllDirectories SetDefaultDllDirectoriesEntry()
{
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<TSetDefaultDllDirectories>(
                        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                  : nullptr;
}

// The delay-load helper asks this hook before it would call LoadLibraryA
// with the bare name; answering with the system folder's copy keeps the
// program's own folder and the current directory out of the search.
FARPROC WINAPI DelayLoadHook(unsigned notification, PDelayLoadInfo info)
{
    if (notification != dliNotePreLoadLibrary || !info->szDll)
        return nullptr;
    std::wstring name;
    for (const char* c = info->szDll; *c; ++c)
        name += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return reinterpret_cast<FARPROC>(LoadSystemDll(name));
}

extern "C" IMAGE_DOS_HEADER __ImageBase;

// Runs before every other static initialiser of a program, so nothing can
// load a DLL under the default search order first.
__attribute__((constructor(101))) void HardenProgramStart()
{
    if (GetModuleHandleW(nullptr) == reinterpret_cast<HMODULE>(&__ImageBase))
        HardenDllSearch();
}

}  // namespace

PfnDliHook __pfnDliNotifyHook2 = DelayLoadHook;

void HardenDllSearch()
{
    if (const TSetDefaultDllDirectories setDefault = SetDefaultDllDirectoriesEntry())
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
    // Held for the life of the process, so that later loads by name find the
    // system's copy already loaded: the common controls load the theme library
    // on their own, and not every loader applies the default directories to
    // that (older systems lack them; Wine's delayed imports search the
    // program's folder first).
    LoadSystemDll(L"uxtheme.dll");
}

HMODULE LoadSystemDll(const std::wstring& name)
{
    // With the search flags the loader still applies the manifest's
    // redirection (common controls 6) before it looks at the system folder.
    if (SetDefaultDllDirectoriesEntry())
        return LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const std::wstring folder = SystemDirectory();
    if (folder.empty())
        return nullptr;
    return LoadLibraryW(CombinePath(folder, name).c_str());
}
