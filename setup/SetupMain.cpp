// Program body of setup: parameter help, extract mode, unattended
// installation or the wizard.
#include <windows.h>

#include "script/ScriptItem.h"
#include "setup/CommandLine.h"
#include "setup/Extract.h"
#include "setup/Unattended.h"
#include "support/Process.h"
#include "support/SharedState.h"
#include "wizard/Wizard.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    const std::vector<std::wstring> params = ProcessParameters();
    ParseCommandLine(params, Shared);
    const TUnattendedOptions unattended = ParseUnattended(params);
    if (Shared.flShowHelp)
        MessageBoxW(nullptr, ParameterHelpText, ParameterHelpCaption, MB_OK);
    else if (Shared.flExtract)
        ExtractPayloadFiles(ScriptItems, ScriptItemCount);
    else if (unattended.Ui != TSetupUi::Wizard)
        return RunUnattended(instance, unattended);
    else
        RunWizard(instance);
    return 0;
}
