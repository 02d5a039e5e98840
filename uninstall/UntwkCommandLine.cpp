#include "uninstall/UntwkCommandLine.h"

namespace {

bool IsSwitch(const std::wstring& param)
{
    return param.size() > 1 && (param[0] == L'/' || param[0] == L'-' || param[0] == L'\\');
}

}  // namespace

TUntwkCommandLine ParseUntwkCommandLine(const std::vector<std::wstring>& params)
{
    TUntwkCommandLine result;
    result.HasParameters = !params.empty();
    for (const std::wstring& param : params) {
        if (IsSwitch(param)) {
            result.PartialUninstall = param.size() == 2 && (param[1] == L'P' || param[1] == L'p');
        } else if (param.size() > 1 && param.front() == L'"' && param.back() == L'"') {
            result.LogPath = param.substr(1, param.size() - 2);
        } else {
            result.LogPath = param;
        }
    }
    return result;
}
