// Program body of setup: parameter help, extract mode or the wizard.
#include <windows.h>

#include "script/ScriptItem.h"
#include "setup/CommandLine.h"
#include "setup/Extract.h"
#include "support/SharedState.h"
#include "wizard/Wizard.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    ParseCommandLine(ProcessParameters(), Shared);
    if (Shared.flShowHelp)
        MessageBoxW(nullptr, ParameterHelpText, ParameterHelpCaption, MB_OK);
    else if (Shared.flExtract)
        ExtractPayloadFiles(ScriptItems, ScriptItemCount);
    else
        RunWizard(instance);
    return 0;
}
