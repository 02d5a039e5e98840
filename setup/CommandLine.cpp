#include "setup/CommandLine.h"

#include <windows.h>

#include "support/SharedState.h"
#include "support/Text.h"

const wchar_t* const ParameterHelpText =
    L"Tarnwick setup parameters description:\r\n"
    L"  /C - Copy files only. No package,help registration;\r\n"
    L"  /E - Enable controls even if previous version installed;\r\n"
    L"  /X - Extract files to the current directory. No dialog. No package,help registration;\r\n"
    L"  /? - Parameters description.\r\n"
    L"Unattended installation (the options after /VERYSILENT apply to both modes):\r\n"
    L"  /SILENT - Install without questions, showing only the progress;\r\n"
    L"  /VERYSILENT - Install without any window;\r\n"
    L"  /DIR=\"path\" - Destination folder (default: the folder the wizard proposes);\r\n"
    L"  /IDES=name,name - IDE versions by catalogue name, e.g. Delphi7,RADStudio9 (default: as the wizard presets them);\r\n"
    L"  /ITEMS=help,delphi-demos,cpp-demos - Extra items (default: as the wizard presets them);\r\n"
    L"  /LOG=\"file\" - Also write the installation log to this file;\r\n"
    L"  /FORCE - Install even while a chosen IDE is running.\r\n"
    L"Exit codes: 0 success, 1 bad parameters, 2 finished with failed items, 3 could not start.";
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

namespace {

// The value after "=", without one pair of surrounding quotes.
std::wstring Unquoted(std::wstring value)
{
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
        value = value.substr(1, value.size() - 2);
    return value;
}

std::vector<std::wstring> SplitList(const std::wstring& text)
{
    std::vector<std::wstring> parts;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find(L',', begin);
        if (end == std::wstring::npos)
            end = text.size();
        if (end > begin)
            parts.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

// One unattended parameter's effect on options: empty, or what is wrong
// with it. Names that are none of ours are ignored, as above.
std::wstring ApplyUnattended(TUnattendedOptions& options, const std::wstring& param)
{
    const size_t equals = param.find(L'=');
    const std::wstring name = LowerCase(param.substr(1, equals == std::wstring::npos ? std::wstring::npos : equals - 1));
    const bool hasValue = equals != std::wstring::npos;
    const std::wstring value = hasValue ? Unquoted(param.substr(equals + 1)) : std::wstring();

    const bool ui = name == L"silent" || name == L"verysilent";
    if (ui || name == L"force") {
        // A valued /SILENT still makes the run unattended, so the mistake is
        // reported instead of a wizard waiting for a user.
        if (ui)
            options.Ui = name == L"silent" ? TSetupUi::Silent : TSetupUi::VerySilent;
        else if (!hasValue)
            options.Force = true;
        return hasValue ? param + L": this switch takes no value" : L"";
    }
    if (name != L"dir" && name != L"ides" && name != L"items" && name != L"log")
        return L"";
    if (!hasValue)
        return param + L": a value is needed (" + param + L"=...)";
    if ((name == L"dir" || name == L"log") && value.empty())
        return param + L": the path is empty";
    if (name == L"dir") {
        options.HasDir = true;
        options.Dir = value;
    } else if (name == L"ides") {
        options.HasIdes = true;
        options.Ides = SplitList(value);
    } else if (name == L"items") {
        options.HasItems = true;
        options.Items = SplitList(value);
    } else {
        options.LogCopy = value;
    }
    return L"";
}

}  // namespace

TUnattendedOptions ParseUnattended(const std::vector<std::wstring>& params)
{
    TUnattendedOptions options;
    for (size_t i = 1; i < params.size(); ++i) {
        const std::wstring& param = params[i];
        if (param.size() <= 2 || !IsSwitchChar(param[0]))
            continue;
        const std::wstring error = ApplyUnattended(options, param);
        if (options.Error.empty())
            options.Error = error;
    }
    return options;
}
