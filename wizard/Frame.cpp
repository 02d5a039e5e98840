// The wizard frame: dialog procedure, page switching, Cancel and the maker link.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include "catalogue/Catalogue.h"
#include "wizard/Pages.h"
#include "wizard/WizardIds.h"

TWizardFrame Wizard;

// ---- Page helpers -------------------------------------------------------------

INT_PTR TPage::DlgProc(UINT, WPARAM, LPARAM) { return 0; }

bool TPage::CanLeave() { return true; }

void TPage::ShowItem(int id, bool visible) const { ShowWindow(Item(id), visible ? SW_SHOW : SW_HIDE); }

void TPage::SetItemText(int id, const std::wstring& text) const
{
    SendMessageW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TPage::SizeTextArea(int divisor) const
{
    RECT picture = {};
    GetClientRect(Item(IDC_PICTURE), &picture);
    RECT text = {};
    GetWindowRect(Item(IDC_TEXT), &text);
    SetWindowPos(Item(IDC_TEXT), nullptr, 0, 0, text.right - text.left, (picture.bottom - picture.top) / divisor,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

// ---- Page list ----------------------------------------------------------------

TWizardPages::TWizardPages()
{
    FPages[1] = std::make_unique<TPageWelcome>();
    FPages[2] = std::make_unique<TPageSelectDelphi>();
    FPages[3] = std::make_unique<TPageSelectDirectory>();
    FPages[4] = std::make_unique<TPageReadyForInstall>();
    FPages[5] = std::make_unique<TPageProgress>();
    FPages[6] = std::make_unique<TPageFinish>();
    for (int i = 1; i <= 6; ++i)
        Wizard.Pages[i] = FPages[i].get();
    Wizard.CurrentPage = 1;
}

TWizardPages::~TWizardPages()
{
    for (int i = 1; i <= 6; ++i) {
        Wizard.Pages[i] = nullptr;
        FPages[i].reset();
    }
    Wizard.CurrentPage = 0;
}

TPageWelcome& TWizardPages::Welcome() const { return static_cast<TPageWelcome&>(*FPages[1]); }
TPageSelectDelphi& TWizardPages::SelectDelphi() const { return static_cast<TPageSelectDelphi&>(*FPages[2]); }
TPageSelectDirectory& TWizardPages::SelectDirectory() const
{
    return static_cast<TPageSelectDirectory&>(*FPages[3]);
}
TPageReadyForInstall& TWizardPages::Ready() const { return static_cast<TPageReadyForInstall&>(*FPages[4]); }
TPageProgress& TWizardPages::Progress() const { return static_cast<TPageProgress&>(*FPages[5]); }
TPageFinish& TWizardPages::Finish() const { return static_cast<TPageFinish&>(*FPages[6]); }

// ---- Frame --------------------------------------------------------------------

namespace {

INT_PTR InitWizard(HWND dialog)
{
    Wizard.WizardHandle = dialog;
    const HINSTANCE instance = GetModuleHandleW(nullptr);

    // Set on the window, not on the dialog class: the class also serves the
    // message boxes and the Customize dialog, and outlives this icon.
    Wizard.Icon.Reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_WIZARD), IMAGE_ICON, 0, 0,
                                                    LR_DEFAULTSIZE)));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Wizard.Icon.Get()));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Wizard.Icon.Get()));

    const std::wstring caption =
        std::wstring(L"Installation Wizard for ") + Product::Name + L" v" + Product::Version;
    SendMessageW(dialog, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()));

    Wizard.LinkFont.Reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, DEFAULT_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif"));
    SIZE extent = {};
    {
        TWindowDC dc(dialog);
        TSelectObject font(dc.Get(), Wizard.LinkFont.Get());
        const std::wstring maker = Product::Maker;
        GetTextExtentPoint32W(dc.Get(), maker.c_str(), static_cast<int>(maker.size()), &extent);
    }

    RECT back = {};
    GetWindowRect(GetDlgItem(dialog, IDC_BACK), &back);
    POINT backTop = {back.left, back.top};
    ScreenToClient(dialog, &backTop);

    Wizard.LastLinkClick = 0;
    Wizard.LinkHandle = CreateWindowExW(0, L"QZ_ILABEL", Product::Maker, WS_CHILD | WS_VISIBLE | SS_NOTIFY, 30,
                                        backTop.y + 4, extent.cx, extent.cy, dialog, nullptr, instance, nullptr);
    SendMessageW(Wizard.LinkHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Wizard.LinkFont.Get()), FALSE);

    // The text area grows over the page controls below it: kept at the bottom
    // of the z-order and clipped by its siblings, it never paints over them.
    SetWindowPos(GetDlgItem(dialog, IDC_TEXT), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);

    SwitchPage(0);
    return 1;
}

void OnLinkPress()
{
    const DWORD now = GetTickCount();
    if (Wizard.LastLinkClick != 0 && now - Wizard.LastLinkClick > LinkGuardMs)
        Wizard.LastLinkClick = 0;
    if (Wizard.LastLinkClick != 0)
        return;
    Wizard.LastLinkClick = now;
    ShellExecuteW(GetDesktopWindow(), L"open", Product::MakerUrl, L"", L"", SW_SHOWNORMAL);
}

void OnCancel(WPARAM wParam)
{
    TPage* page = Wizard.Pages[Wizard.CurrentPage];
    if (page->Cancel() != 0)
        return;
    if (page->ClosesWithoutQuestion() ||
        MessageBoxW(Wizard.WizardHandle, L"Are you sure you want to cancel the install?", L"Install", MB_YESNO) ==
            IDYES)
        EndDialog(Wizard.WizardHandle, static_cast<INT_PTR>(wParam));
}

}  // namespace

INT_PTR SwitchPage(int step)
{
    for (;;) {
        TPage* current = Wizard.Pages[Wizard.CurrentPage];
        if (step == 1 && !current->CanLeave())
            return 1;
        if (step != 0)
            current->Hide();
        Wizard.CurrentPage += step;
        TPage* page = Wizard.Pages[Wizard.CurrentPage];
        page->DlgHandle = Wizard.WizardHandle;
        EnableWindow(GetDlgItem(Wizard.WizardHandle, IDC_BACK), Wizard.CurrentPage > 1);
        EnableWindow(GetDlgItem(Wizard.WizardHandle, IDC_NEXT), Wizard.CurrentPage < 6);
        const int result = page->Show();
        if (result < PageMoveBack || result > PageMoveNext)
            return result;
        step = result - PageMoveStay;
    }
}

INT_PTR CALLBACK WizardDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PARENTNOTIFY:
        if (LOWORD(wParam) == WM_LBUTTONDOWN) {
            const POINT point = {LOWORD(lParam), HIWORD(lParam)};
            if (Wizard.LinkHandle && ChildWindowFromPoint(dialog, point) == Wizard.LinkHandle)
                OnLinkPress();
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        if (Wizard.LinkHandle && reinterpret_cast<HWND>(lParam) == Wizard.LinkHandle) {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 192));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
        }
        return 0;
    case WM_INITDIALOG:
        return InitWizard(dialog);
    case WM_DESTROY:
        DestroyWindow(Wizard.LinkHandle);
        Wizard.LinkHandle = nullptr;
        Wizard.LinkFont.Reset();
        Wizard.Icon.Reset();
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            OnCancel(wParam);
            return 1;
        case IDC_NEXT:
            return SwitchPage(1);
        case IDC_BACK:
            return SwitchPage(-1);
        default:
            if (Wizard.CurrentPage > 0)
                return Wizard.Pages[Wizard.CurrentPage]->DlgProc(WM_COMMAND, wParam, lParam);
            return 0;
        }
    default:
        return 0;
    }
}

void RegisterLinkClass(HINSTANCE instance)
{
    WNDCLASSW link = {};
    GetClassInfoW(instance, L"Static", &link);
    link.lpszClassName = L"QZ_ILABEL";
    link.hInstance = instance;
    link.hCursor = LoadCursorW(nullptr, IDC_HAND);
    RegisterClassW(&link);
}
