// Planted beside setup.exe and untwk.exe under the name of a system DLL. Once
// loaded it leaves "loaded.txt" beside itself and ends the process with exit
// code 99: it exports nothing a program could go on with.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH + 16] = {};
    DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\')
        --length;
    lstrcpyW(path + length, L"loaded.txt");
    CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    TerminateProcess(GetCurrentProcess(), 99);
    return TRUE;
}
