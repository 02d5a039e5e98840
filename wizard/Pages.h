// The six pages of the wizard.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "script/ScriptItem.h"
#include "wizard/CheckListBox.h"
#include "wizard/Page.h"

class TPageWelcome : public TPage {
public:
    int Show() override;
    int Hide() override { return 1; }
};

// The IDE versions and extra items to install, as a check list.
class TPageSelectDelphi : public TPage {
public:
    TPageSelectDelphi();
    ~TPageSelectDelphi() override;

    int Show() override;
    int Hide() override;
    INT_PTR DlgProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void CheckClick(TtwkCheckListBox* sender);
    void CustomizeOnClick(TtwkCheckListBox* sender);
    // Bit i for each checked row i.
    uint32_t CheckedMask() const;

    // The Customize dialog (resource 900) reaches the page through this.
    static TPageSelectDelphi* Instance;

private:
    friend INT_PTR CALLBACK CustomizeDlgProc(HWND, UINT, WPARAM, LPARAM);

    void ReadPreviousInstall();
    void ShowCustomizeDialog();
    void UpdateNext() const;

    int32_t FPrevInstallSelected = 0;
    int32_t FPrevInstallItems = 0;
    std::wstring FPrevVersion;
    bool FFirstShow = true;
    std::unique_ptr<TtwkCheckListBox> CLB;
};

INT_PTR CALLBACK CustomizeDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

class TPageSelectDirectory : public TPage {
public:
    int Show() override;
    int Hide() override;
    INT_PTR DlgProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool CanLeave() override;

    // The folder proposed on the first display.
    void ProposeDirectory();

    std::wstring Directory;

private:
    static int CALLBACK BrowseCallback(HWND window, UINT msg, LPARAM lParam, LPARAM data);
    void ReadPreviousPath();
    void ShowDirectory();
    bool BrowseForDirectory();
    void PlaceBrowseWindow(HWND window) const;
    // The edit's text, at most 259 characters.
    std::wstring EnteredText() const;

    std::wstring FPrevInstallPath;
    bool FFirstShow = true;
};

class TPageReadyForInstall : public TPage {
public:
    int Show() override;
    int Hide() override;
    // Start waits while a chosen IDE runs, unless the user goes on anyway.
    bool CanLeave() override;
};

class TPageProgress : public TPage {
public:
    int Show() override;
    int Hide() override;
    int Terminate() { return 0; }  // the script cannot be stopped midway
    int Cancel() override { return FInDoScript ? Terminate() : 0; }
    void SetText(const std::wstring& value) const;
    int DoScript();
    bool InDoScript() const { return FInDoScript; }
    // The table DoScript walks: the product's own in setup.
    void SetScript(const TScriptItem* items, int count);

private:
    bool FInDoScript = false;
    const TScriptItem* FItems = nullptr;
    int FItemCount = 0;
};

class TPageFinish : public TPage {
public:
    int Show() override;
    int Hide() override { return 1; }
    bool ClosesWithoutQuestion() const override { return true; }  // Cancel reads "Finish"
};
