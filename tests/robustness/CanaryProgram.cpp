// Stands at "C:\Program.exe" and the like during the security test: the
// program a command line with an unquoted path holding a blank would start
// instead of the one meant. Each run appends its command line to the marker.
#include <windows.h>

#include <cwchar>

#include "support/Handles.h"

int wmain()
{
    TFileHandle marker(CreateFileW(L"C:\\qz-canary-ran.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const wchar_t* line = GetCommandLineW();
    DWORD written = 0;
    WriteFile(marker.Get(), line, static_cast<DWORD>(wcslen(line) * sizeof(wchar_t)), &written, nullptr);
    WriteFile(marker.Get(), L"\r\n", 2 * sizeof(wchar_t), &written, nullptr);
    return 0;
}
