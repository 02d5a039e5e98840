#include "tests/wizard/WizardDriver.h"

#include <commctrl.h>

#include <vector>

#include "catalogue/Catalogue.h"
#include "support/SharedState.h"
#include "tests/common/TestEnv.h"

void ResetWizardState()
{
    for (TBorlandProduct& ide : IdeCatalogue) {
        ide.RootDir.clear();
        ide.Exists = false;
        ide.Selected = false;
    }
    for (TCustomizeItem& row : CustomizeList)
        row.Checked = false;
    Shared.InstallVersions = 0;
    Shared.InstallItems = 0;
    Shared.CustomizeItems = 5;
    Shared.InstallDir.clear();
}

void Pump(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

// ---- Wizard ---------------------------------------------------------------------

TWizardRun::TWizardRun(const TScriptItem* script, int scriptCount)
{
    ResetWizardState();
    InitCommonControls();
    RegisterLinkClass(GetModuleHandleW(nullptr));
    FPages = std::make_unique<TWizardPages>();
    FPages->Progress().SetScript(script, scriptCount);
    FDialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_WIZARD), nullptr, WizardDlgProc, 0);
    ShowWindow(FDialog, SW_SHOW);
    Pump();
}

TWizardRun::~TWizardRun()
{
    if (IsWindow(FDialog))
        DestroyWindow(FDialog);
    FPages.reset();
    Pump(10);
}

int TWizardRun::Page() const { return Wizard.CurrentPage; }

void TWizardRun::Click(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }

std::wstring TWizardRun::Text(int id) const
{
    wchar_t text[1024] = {};
    GetWindowTextW(Item(id), text, 1024);
    return text;
}

void TWizardRun::SetText(int id, const std::wstring& text) const
{
    SendMessageW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// ---- Version list -------------------------------------------------------------------

void ClickRow(HWND list, int row)
{
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
    RECT rect = {};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    const LPARAM point = MAKELPARAM(rect.left + 4, (rect.top + rect.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(list, WM_LBUTTONUP, 0, point);
}

bool RowChecked(HWND list, int row)
{
    return (SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(row), 0) & 1) != 0;
}

bool RowEnabled(HWND list, int row)
{
    return (SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(row), 0) & 4) == 0;
}

// ---- Boxes ------------------------------------------------------------------------

namespace {
TBoxWatch* ActiveWatch = nullptr;
}

TBoxWatch::TBoxWatch(int answer, std::function<void(HWND)> action) : FAnswer(answer), FAction(std::move(action))
{
    ActiveWatch = this;
    FTimer = SetTimer(nullptr, 0, 100, Tick);
}

TBoxWatch::~TBoxWatch()
{
    KillTimer(nullptr, FTimer);
    ActiveWatch = nullptr;
}

void CALLBACK TBoxWatch::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (ActiveWatch)
        EnumThreadWindows(GetCurrentThreadId(), Visit, 0);
}

BOOL CALLBACK TBoxWatch::Visit(HWND window, LPARAM)
{
    TBoxWatch* self = ActiveWatch;
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    if (!self || window == Wizard.WizardHandle || window == self->FLast || !IsWindowVisible(window) ||
        lstrcmpW(cls, L"#32770") != 0)
        return TRUE;
    self->FLast = window;
    ++self->Seen;
    wchar_t text[4096] = {};
    GetWindowTextW(window, text, 4096);
    self->Caption = text;
    text[0] = L'\0';
    GetDlgItemTextW(window, 0xFFFF, text, 4096);
    self->Text = text;
    if (!self->ScreenshotName.empty())
        SaveScreenshot(window, self->ScreenshotName);
    if (self->FAction)
        self->FAction(window);
    else
        PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(self->FAnswer), 0);
    return FALSE;
}

// ---- Screenshots --------------------------------------------------------------------

bool SaveScreenshot(HWND window, const std::wstring& name)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump(300);  // let the display catch up
    RECT rect = {};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    std::string pixels(stride * static_cast<DWORD>(height), '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), &pixels[0], reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes += pixels;
    const std::wstring folder = BinPath(L"screenshots");
    CreateDirectoryW(folder.c_str(), nullptr);
    return WriteFileBytes(folder + L"\\" + name + L".bmp", bytes);
}
