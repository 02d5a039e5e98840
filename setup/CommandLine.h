// setup's command line: four switches, the last switch parameter wins.
#pragma once

#include <string>
#include <vector>

struct TSharedState;

// Sets flCopyOnly, flEnableControls, flShowHelp and flExtract of state from
// the parameters after the program name (params[0] is not examined).
void ParseCommandLine(const std::vector<std::wstring>& params, TSharedState& state);

// Unattended installation: /SILENT, /VERYSILENT and their options. Names
// are longer than two characters and fold case; values follow "=" and may be
// quoted. Parameters that name none of them are ignored, as above.
enum class TSetupUi { Wizard, Silent, VerySilent };
struct TUnattendedOptions {
    TSetupUi Ui = TSetupUi::Wizard;  // the last of /SILENT and /VERYSILENT
    bool HasDir = false;
    std::wstring Dir;                // /DIR=path
    bool HasIdes = false;
    std::vector<std::wstring> Ides;  // /IDES=name,name (catalogue names)
    bool HasItems = false;
    std::vector<std::wstring> Items; // /ITEMS=help,delphi-demos,cpp-demos
    std::wstring LogCopy;            // /LOG=file
    bool Force = false;              // /FORCE: go on while a chosen IDE runs
    std::wstring Error;              // the first malformed parameter, empty when none
};
TUnattendedOptions ParseUnattended(const std::vector<std::wstring>& params);

// The text of the parameter help box.
extern const wchar_t* const ParameterHelpText;
extern const wchar_t* const ParameterHelpCaption;
