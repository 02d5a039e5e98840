#include "uninstall/UntwkCommandLine.h"

#include <windows.h>

namespace {

bool IsSwitch(const std::wstring& param)
{
    return param.size() > 1 && (param[0] == L'/' || param[0] == L'-' || param[0] == L'\\');
}

// Long switches are told apart from the two-character ones by length; the
// leading character may be any of the three switch characters.
bool IsLongSwitch(const std::wstring& param, const wchar_t* name)
{
    return CompareStringOrdinal(param.c_str() + 1, -1, name + 1, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

TUntwkCommandLine ParseUntwkCommandLine(const std::vector<std::wstring>& params)
{
    TUntwkCommandLine result;
    for (const std::wstring& param : params) {
        if (IsSwitch(param) && IsLongSwitch(param, TempCopySwitch)) {
            result.FromTempCopy = true;
            continue;
        }
        result.HasParameters = true;
        if (IsSwitch(param) && IsLongSwitch(param, L"/SILENT")) {
            result.Silent = true;
        } else if (IsSwitch(param)) {
            result.PartialUninstall = param.size() == 2 && (param[1] == L'P' || param[1] == L'p');
        } else if (param.size() > 1 && param.front() == L'"' && param.back() == L'"') {
            result.LogPath = param.substr(1, param.size() - 2);
        } else {
            result.LogPath = param;
        }
    }
    return result;
}

std::wstring ArgumentsOf(const std::wstring& commandLine)
{
    size_t pos = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const size_t close = commandLine.find(L'"', 1);
        pos = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        while (pos < commandLine.size() && commandLine[pos] != L' ' && commandLine[pos] != L'\t')
            ++pos;
    }
    while (pos < commandLine.size() && (commandLine[pos] == L' ' || commandLine[pos] == L'\t'))
        ++pos;
    return commandLine.substr(pos);
}
