// Stands in for the browser in the about box tests: appends the URL it was
// started with (second argument) as one line to the file named by the first.
#include <windows.h>

#include <shellapi.h>

#include "support/Handles.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int count = 0;
    TLocalMem args(reinterpret_cast<HLOCAL>(CommandLineToArgvW(GetCommandLineW(), &count)));
    wchar_t** argv = static_cast<wchar_t**>(args.Get());
    if (!argv || count < 3)
        return 2;
    TFileHandle log(CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                0, nullptr));
    if (!log)
        return 1;
    DWORD written = 0;
    WriteFile(log.Get(), argv[2], static_cast<DWORD>(lstrlenW(argv[2]) * sizeof(wchar_t)), &written, nullptr);
    WriteFile(log.Get(), L"\r\n", 2 * sizeof(wchar_t), &written, nullptr);
    return 0;
}
