// Unattended installation (/SILENT, /VERYSILENT): the wizard's choices made
// from the command line, the script walked without questions, the outcome
// as the exit code.
#pragma once

#include <windows.h>

#include "setup/CommandLine.h"

enum TUnattendedExit : int {
    exSuccess = 0,
    exBadParameters = 1,
    exFailedItems = 2,
    exCannotStart = 3,
};

// Presets, command-line choices, checks, the script and the product key.
// Messages go to install.log and the /LOG copy, or, when the run stops
// before the installation directory exists, to the /LOG file and stderr.
int RunUnattended(HINSTANCE instance, const TUnattendedOptions& options);
