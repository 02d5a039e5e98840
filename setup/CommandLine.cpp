#include "setup/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include "support/SharedState.h"

const wchar_t* const ParameterHelpText =
    L"Tarnwick setup parameters description:\r\n"
    L"  /C - Copy files only. No package,help registration;\r\n"
    L"  /E - Enable controls even if previous version installed;\r\n"
    L"  /X - Extract files to the current directory. No dialog. No package,help registration;\r\n"
    L"  /? - Parameters description.";
const wchar_t* const ParameterHelpCaption = L"Parameters description";

namespace {

bool IsSwitchChar(wchar_t ch) { return ch == L'-' || ch == L'/' || ch == L'\\'; }

}  // namespace

void ParseCommandLine(const std::vector<std::wstring>& params, TSharedState& state)
{
    for (size_t i = 1; i < params.size(); ++i) {
        const std::wstring& param = params[i];
        if (param.size() != 2 || !IsSwitchChar(param[0]))
            continue;
        wchar_t ch = param[1];
        if (ch >= L'a' && ch <= L'z')
            ch = static_cast<wchar_t>(ch & ~0x20);
        // Every switch parameter assigns all four flags, so only the last one counts.
        state.flCopyOnly = ch == L'C';
        state.flEnableControls = ch == L'E';
        state.flShowHelp = ch == L'H' || ch == L'?';
        state.flExtract = ch == L'X';
    }
}

std::vector<std::wstring> ProcessParameters()
{
    std::vector<std::wstring> params;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args)
        return params;
    for (int i = 0; i < count; ++i)
        params.emplace_back(args[i]);
    LocalFree(args);
    return params;
}
