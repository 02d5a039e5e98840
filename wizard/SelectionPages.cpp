// Welcome page, selection page and the Customize dialog.
#include "catalogue/Catalogue.h"
#include "catalogue/Choices.h"
#include "support/SharedState.h"
#include "wizard/Pages.h"
#include "wizard/WizardIds.h"

namespace {

// The Customize dialog's window and option list while it is open.
struct TCustomizeState {
    HWND Handle = nullptr;
    std::unique_ptr<TtwkCheckListBox> CLB;
};
TCustomizeState Customize;

const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }

}  // namespace

// ---- Welcome ------------------------------------------------------------------

int TPageWelcome::Show()
{
    SizeTextArea(1);
    const std::wstring name = Product::Name;
    SetItemText(IDC_TEXT, L"Welcome to the " + name + L" Setup program. This program will install " +
                              Product::EditionText() + L" on you computer.\r\n\r\n" + Product::Description +
                              L"It is strongly recommended that you exit all version of Delphi and CBuilder "
                              L"before running this Setup program.\r\n\r\n"
                              L"Click Next to continue with the Setup program.");
    ShowItem(IDC_TEXT, true);
    SetFocus(Item(IDC_NEXT));
    return 1;
}

// ---- Selection ----------------------------------------------------------------

TPageSelectDelphi* TPageSelectDelphi::Instance = nullptr;

TPageSelectDelphi::TPageSelectDelphi() { Instance = this; }

TPageSelectDelphi::~TPageSelectDelphi()
{
    if (Instance == this)
        Instance = nullptr;
}

int TPageSelectDelphi::Show()
{
    if (FFirstShow) {
        CLB = std::make_unique<TtwkCheckListBox>(Item(IDC_VERSIONS));
        CLB->OnCheckClick = [this](TtwkCheckListBox* sender) { CheckClick(sender); };
        ReadPreviousInstall();
        ReadCustomizeItems();
        FFirstShow = false;
    }

    SizeTextArea(3);
    const std::wstring name = Product::Name;
    if (FPrevInstallSelected > 0)
        SetItemText(IDC_TEXT, L"The previous version of " + name + L" was found. Click to \"Next\" button for update it.");
    else
        SetItemText(IDC_TEXT, L"Which versions of Delphi and/or CBuilder will you be installing " + name + L" to ?");
    ShowItem(IDC_TEXT, true);
    ShowItem(IDC_VERSIONS, true);

    CLB->Clear();
    for (const TCustomizeItem& row : CustomizeList) {
        const int index = CLB->Add(row.Name);
        const TBorlandProduct* ide = IdeByInternalId(row.IdeMask);
        CLB->SetEnabled(index, !ide || ide->Exists);
        if (row.Checked)
            CLB->SetChecked(index, true);
    }

    SetFocus(Item(IDC_VERSIONS));
    ShowItem(IDC_CUSTOMIZE, false);
    UpdateNext();
    return 1;
}

void TPageSelectDelphi::ReadPreviousInstall()
{
    const TPreviousInstall previous = ::ReadPreviousInstall();
    FPrevInstallSelected = previous.Versions;
    FPrevInstallItems = previous.Items;
    FPrevVersion = previous.Version;
    PresetSelection(previous);
}

int TPageSelectDelphi::Hide()
{
    ShowItem(IDC_VERSIONS, false);
    ShowItem(IDC_CUSTOMIZE, false);
    for (int i = 0; i < CustomizeCount; ++i)
        CustomizeList[i].Checked = CLB->GetChecked(i);
    ComputeMasks();
    return 1;
}

INT_PTR TPageSelectDelphi::DlgProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = TPage::DlgProc(msg, wParam, lParam);
    if (msg == WM_COMMAND && LOWORD(wParam) == IDC_CUSTOMIZE) {
        ShowCustomizeDialog();
        return 1;
    }
    if (LOWORD(wParam) == IDC_VERSIONS) {
        UpdateNext();
        return 1;
    }
    return result;
}

void TPageSelectDelphi::CheckClick(TtwkCheckListBox*) { UpdateNext(); }

void TPageSelectDelphi::UpdateNext() const { EnableWindow(Item(IDC_NEXT), CheckedMask() != 0); }

uint32_t TPageSelectDelphi::CheckedMask() const
{
    uint32_t mask = 0;
    const int count = CLB ? CLB->Count() : 0;
    for (int i = 0; i < count && i < 32; ++i)
        if (CLB->GetChecked(i))
            mask |= 1u << i;
    return mask;
}

void TPageSelectDelphi::CustomizeOnClick(TtwkCheckListBox*)
{
    const int index = Customize.CLB->Selected();
    if (index >= 0 && index < CustomizeOptionCount)
        SetDlgItemTextW(Customize.Handle, IDC_OPTION_HINT, OrEmpty(CustomizeOptions[index].Hint));
}

void TPageSelectDelphi::ShowCustomizeDialog()
{
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CUSTOMIZE), nullptr, CustomizeDlgProc, 0) < 0)
        MessageBoxW(nullptr, L"Error in create Customize dialog", L"Error", MB_OK);
}

INT_PTR CALLBACK CustomizeDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    TPageSelectDelphi* page = TPageSelectDelphi::Instance;
    if (msg == WM_INITDIALOG) {
        if (page)
            EnableWindow(page->DlgHandle, FALSE);  // the dialog has no owner
        Customize.Handle = dialog;
        Customize.CLB = std::make_unique<TtwkCheckListBox>(GetDlgItem(dialog, IDC_OPTIONS));
        Customize.CLB->Clear();
        for (const TCustomizeOption& option : CustomizeOptions)
            Customize.CLB->Add(OrEmpty(option.Name));
        if (Shared.CustomizeItems != 0) {
            const int count = Customize.CLB->Count();
            for (int i = 0; i < count && i < 31; ++i)
                if ((Shared.CustomizeItems >> i) & 1u)
                    Customize.CLB->SetChecked(i, true);
        }
        if (page)
            Customize.CLB->OnClick = [page](TtwkCheckListBox* sender) { page->CustomizeOnClick(sender); };
        if (Customize.CLB->Count() > 0) {
            Customize.CLB->SetSelected(0);
            if (page)
                page->CustomizeOnClick(nullptr);
            SetFocus(GetDlgItem(dialog, IDC_OPTIONS));
        }
        return 1;
    }
    if (msg == WM_COMMAND) {
        const int id = LOWORD(wParam);
        if (id != IDOK && id != IDCANCEL && id != IDC_OPTIONS_OK && id != IDC_OPTIONS_CANCEL)
            return 0;
        if (id == IDOK || id == IDC_OPTIONS_OK) {
            Shared.CustomizeItems = 0;
            const int count = Customize.CLB->Count();
            for (int i = 0; i < count && i < 32; ++i)
                if (Customize.CLB->GetChecked(i))
                    Shared.CustomizeItems |= 1u << i;
        }
        Customize.CLB.reset();
        if (page)
            EnableWindow(page->DlgHandle, TRUE);
        EndDialog(dialog, static_cast<INT_PTR>(wParam));
        Customize.Handle = nullptr;
        return 1;
    }
    return 0;
}
