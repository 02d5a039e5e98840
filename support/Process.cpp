#include "support/Process.h"

#include "support/Handles.h"

std::wstring QuotePath(const std::wstring& path)
{
    const bool quoted = path.size() >= 2 && path.front() == L'"' && path.back() == L'"';
    if (quoted || path.find_first_of(L" \t") == std::wstring::npos)
        return path;
    return L"\"" + path + L"\"";
}

DWORD RunAndWait(const std::wstring& program, const std::wstring& parameters)
{
    std::wstring commandLine = parameters.empty() ? program : program + L" " + parameters;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION raw = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &raw))
        return GetLastError();
    TProcessInfo process;
    process.Take(raw);
    WaitForSingleObject(process.Process.Get(), INFINITE);
    return 0;
}
