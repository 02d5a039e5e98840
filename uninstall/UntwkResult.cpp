#include "uninstall/UntwkResult.h"

#include <windows.h>

#include "support/Files.h"
#include "support/Handles.h"
#include "support/Text.h"

TUntwkExitCode ExitCodeOf(int outcome)
{
    switch (outcome) {
    case 0:
        return uxSuccess;
    case -1:
        return uxNoLog;
    case -2:
        return uxCannotOpen;
    default:  // -3 empty, -4 no header, -5 damaged records
        return uxInvalidLog;
    }
}

std::wstring OutcomeMessage(int outcome, const std::wstring& logPath)
{
    switch (ExitCodeOf(outcome)) {
    case uxNoLog:
        return L"No file with uninstall info.";
    case uxCannotOpen:
        return L"Could not open " + logPath + L" file.";
    default:
        return L"Invalid " + logPath + L" file.";
    }
}

std::wstring StoppedMessage(int stepResult)
{
    return L"The uninstall stopped before its end: " + SysErrorMessage(static_cast<DWORD>(stepResult)) + L".";
}

std::wstring ReasonFilePath(const std::wstring& logPath)
{
    if (logPath.empty())
        return CombinePath(TempDirectory(), ReasonFileName);
    std::wstring full(MAX_PATH, L'\0');
    wchar_t* name = nullptr;
    DWORD length = GetFullPathNameW(logPath.c_str(), static_cast<DWORD>(full.size()), &full[0], &name);
    if (length >= full.size()) {
        full.resize(length);
        length = GetFullPathNameW(logPath.c_str(), length, &full[0], &name);
    }
    if (length == 0 || !name)
        return CombinePath(TempDirectory(), ReasonFileName);
    full.resize(static_cast<size_t>(name - full.c_str()));
    return CombinePath(full, ReasonFileName);
}

bool WriteReasonFile(const std::wstring& path, const std::wstring& text)
{
    const std::string bytes = WideToUtf8(text + L"\r\n");
    const TFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}
