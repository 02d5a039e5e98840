// setup's command line: four switches, the last switch parameter wins.
#pragma once

#include <string>
#include <vector>

struct TSharedState;

// Sets flCopyOnly, flEnableControls, flShowHelp and flExtract of state from
// the parameters after the program name (params[0] is not examined).
void ParseCommandLine(const std::vector<std::wstring>& params, TSharedState& state);

// The parameters of this process, through CommandLineToArgvW.
std::vector<std::wstring> ProcessParameters();

// The text of the parameter help box.
extern const wchar_t* const ParameterHelpText;
extern const wchar_t* const ParameterHelpCaption;
