// qz_sleepwrite <milliseconds> <file> [text]: sleeps, then writes text (or
// "done") to the file, so a caller can tell whether it waited.
#include <windows.h>

#include <string>

#include "support/Handles.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    Sleep(static_cast<DWORD>(_wtoi(argv[1])));
    const std::wstring text = argc > 3 ? argv[3] : L"done";
    TFileHandle file(CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return 1;
    DWORD written = 0;
    return WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr)
               ? 0
               : 1;
}
