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
