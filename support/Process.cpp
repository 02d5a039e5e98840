#include "support/Process.h"

#include <shellapi.h>

#include "support/Handles.h"
#include "support/Text.h"

std::vector<std::wstring> ProcessParameters()
{
    int count = 0;
    const TLocalMem owner(reinterpret_cast<HLOCAL>(CommandLineToArgvW(GetCommandLineW(), &count)));
    const auto* args = static_cast<const LPWSTR*>(owner.Get());
    std::vector<std::wstring> params;
    for (int i = 0; args && i < count; ++i)
        params.emplace_back(args[i]);
    return params;
}

std::wstring QuotePath(const std::wstring& path)
{
    const bool quoted = path.size() >= 2 && path.front() == L'"' && path.back() == L'"';
    if (quoted || path.find_first_of(L" \t") == std::wstring::npos)
        return path;
    return L"\"" + path + L"\"";
}

DWORD StartHidden(const std::wstring& application, std::wstring commandLine, const std::wstring& currentDirectory,
                  DWORD waitMs)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION raw = {};
    if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, currentDirectory.empty() ? nullptr : currentDirectory.c_str(),
                        &startup, &raw))
        return LastErrorCode();
    TProcessInfo process;
    process.Take(raw);
    if (waitMs != 0)
        WaitForSingleObject(process.Process.Get(), waitMs);
    return 0;
}

DWORD RunAndWait(const std::wstring& program, const std::wstring& parameters)
{
    return StartHidden(L"", parameters.empty() ? program : program + L" " + parameters, L"", INFINITE);
}
