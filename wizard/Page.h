// The wizard frame: one dialog (resource 1) whose pages show and hide their
// own controls, the page protocol, and the frame's process-wide state.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "support/Handles.h"

// Show results that ask the frame to move at once by -1, 0 or +1 page.
constexpr int PageMoveBack = 9;
constexpr int PageMoveStay = 10;
constexpr int PageMoveNext = 11;

class TPage {
public:
    virtual ~TPage() = default;

    // Makes the page's controls visible, fills the text area, sets focus.
    virtual int Show() = 0;
    // Hides the page's controls and stores what the user entered.
    virtual int Hide() = 0;
    // Every WM_COMMAND the frame does not handle itself.
    virtual INT_PTR DlgProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Asked before Next leaves the page; false keeps the page current (the
    // page has told the user why).
    virtual bool CanLeave();
    // Cancel pressed: non-zero when the page has dealt with it itself.
    virtual int Cancel() { return 0; }
    // True where Cancel closes the wizard without asking.
    virtual bool ClosesWithoutQuestion() const { return false; }

    HWND DlgHandle = nullptr;  // the wizard dialog, set before every Show
    std::wstring Name;

protected:
    HWND Item(int id) const { return GetDlgItem(DlgHandle, id); }
    void ShowItem(int id, bool visible) const;
    void SetItemText(int id, const std::wstring& text) const;
    // The text area's height becomes the picture's client height / divisor.
    void SizeTextArea(int divisor) const;
};

// The frame's state; lives as long as the program.
struct TWizardFrame {
    HWND WizardHandle = nullptr;  // set at WM_INITDIALOG
    TPage* Pages[7] = {};         // positions 1 to 6; 0 unused
    int CurrentPage = 0;
    HWND LinkHandle = nullptr;    // the maker link
    TFont LinkFont;
    TIcon Icon;
    DWORD LastLinkClick = 0;      // tick of the last opening, 0 = none or expired
};
extern TWizardFrame Wizard;

// Milliseconds after an opening of the maker's page during which the link
// opens nothing.
constexpr DWORD LinkGuardMs = 500;

INT_PTR CALLBACK WizardDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
// +1 Next, -1 Back, 0 first display.
INT_PTR SwitchPage(int step);

// The hyperlink class: "Static" with a hand cursor.
void RegisterLinkClass(HINSTANCE instance);

class TPageWelcome;
class TPageSelectDelphi;
class TPageSelectDirectory;
class TPageReadyForInstall;
class TPageProgress;
class TPageFinish;

// The six pages of one wizard run: created in order into positions 1 to 6
// with the current page 1, freed 1 to 6 in order.
class TWizardPages {
public:
    TWizardPages();
    ~TWizardPages();
    TWizardPages(const TWizardPages&) = delete;
    TWizardPages& operator=(const TWizardPages&) = delete;

    TPageWelcome& Welcome() const;
    TPageSelectDelphi& SelectDelphi() const;
    TPageSelectDirectory& SelectDirectory() const;
    TPageReadyForInstall& Ready() const;
    TPageProgress& Progress() const;
    TPageFinish& Finish() const;

private:
    std::unique_ptr<TPage> FPages[7];
};
