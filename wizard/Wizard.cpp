#include "wizard/Wizard.h"

#include <commctrl.h>

#include "script/ScriptItem.h"
#include "wizard/Pages.h"
#include "wizard/WizardIds.h"

void RunWizard(HINSTANCE instance)
{
    InitCommonControls();
    RegisterLinkClass(instance);
    TWizardPages pages;
    pages.Progress().SetScript(ScriptItems, ScriptItemCount);
    if (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_WIZARD), nullptr, WizardDlgProc, 0) < 0)
        MessageBoxW(nullptr, L"Error in create dialog", L"Error", MB_OK);
}
