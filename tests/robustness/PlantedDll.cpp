// Planted beside a program as shell32.dll and uxtheme.dll by the security
// test. Once loaded it leaves "loaded.txt" beside itself and ends the
// process: it exports nothing, and a program that went on to use it would
// crash into Wine's debugger and wait there.
#include <windows.h>

#include "support/Handles.h"

constexpr UINT PlantedExitCode = 99;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH + 16] = {};
    DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\')
        --length;
    lstrcpyW(path + length, L"loaded.txt");
    TFileHandle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    TerminateProcess(GetCurrentProcess(), PlantedExitCode);
    return TRUE;
}
