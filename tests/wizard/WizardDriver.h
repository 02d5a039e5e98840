// Drives the real wizard dialog as a user would: button clicks, mouse
// presses on list rows, typed text, and answers to message boxes found
// from a timer while their own modal loop runs.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "script/ScriptItem.h"
#include "wizard/Pages.h"
#include "wizard/WizardIds.h"

// Clears what a previous wizard run left in the catalogue and shared state.
void ResetWizardState();

// Rows of the version list of this process or another: a press and release
// over a row, and the check and greyed bits of its item data.
void ClickRow(HWND list, int row);
bool RowChecked(HWND list, int row);
bool RowEnabled(HWND list, int row);

// The wizard dialog created from resource 1 with the frame's procedure.
class TWizardRun {
public:
    explicit TWizardRun(const TScriptItem* script = nullptr, int scriptCount = 0);
    ~TWizardRun();
    TWizardRun(const TWizardRun&) = delete;
    TWizardRun& operator=(const TWizardRun&) = delete;

    HWND Dialog() const { return FDialog; }
    HWND Item(int id) const { return GetDlgItem(FDialog, id); }
    TWizardPages& Pages() const { return *FPages; }
    int Page() const;

    void Click(int id) const;  // BM_CLICK
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Visible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
    std::wstring Text(int id) const;
    void SetText(int id, const std::wstring& text) const;
    void ClickRow(int row) const { ::ClickRow(Item(IDC_VERSIONS), row); }
    bool RowChecked(int row) const { return ::RowChecked(Item(IDC_VERSIONS), row); }
    bool RowEnabled(int row) const { return ::RowEnabled(Item(IDC_VERSIONS), row); }

private:
    std::unique_ptr<TWizardPages> FPages;
    HWND FDialog = nullptr;
};

// Watches for a dialog window of this thread (a message box or the
// Customize dialog) while it is open, and acts on it once.
class TBoxWatch {
public:
    // action gets the box; by default it answers with `answer`.
    explicit TBoxWatch(int answer, std::function<void(HWND)> action = {});
    ~TBoxWatch();
    TBoxWatch(const TBoxWatch&) = delete;
    TBoxWatch& operator=(const TBoxWatch&) = delete;

    int Seen = 0;
    std::wstring Caption;
    std::wstring Text;  // the message box's text
    std::wstring ScreenshotName;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK Visit(HWND window, LPARAM);

    int FAnswer;
    std::function<void(HWND)> FAction;
    HWND FLast = nullptr;
    UINT_PTR FTimer;
};

// Handles pending messages for a while.
void Pump(DWORD milliseconds = 50);

// Saves what the screen shows of a window as screenshots\<name>.bmp in the
// build's program folder.
bool SaveScreenshot(HWND window, const std::wstring& name);
