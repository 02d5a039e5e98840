// qzlabout: the about box that the installed design-time package shows.
#include "aboutbox/AboutText.h"
#include "aboutbox/Execute.h"
#include "aboutbox/HotLabel.h"
#include "catalogue/Product.h"

#include <windows.h>

#include <string>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

HINSTANCE ThisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

void InitAboutBox(HWND dialog, THotLinkFonts& fonts)
{
    SetWindowTextW(dialog, (std::wstring(L"About ") + Product::Name).c_str());
    const std::wstring text = BuildProductText(ReadProductValues(HKEY_LOCAL_MACHINE, Product::RegKey));
    SetDlgItemTextW(dialog, 2, text.c_str());
    CreateHotLinks(dialog, fonts);
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitAboutBox(dialog, *reinterpret_cast<THotLinkFonts*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (!IsHotLink(reinterpret_cast<HWND>(lParam)))
            return FALSE;
        SetTextColor(reinterpret_cast<HDC>(wParam), HotLinkColor);
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    case WM_PARENTNOTIFY:
        if (LOWORD(wParam) == WM_LBUTTONDOWN) {
            const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            OpenHotLink(ChildWindowFromPoint(dialog, at));
        }
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

extern "C" QZ_DELPHI_REGISTER void Execute(HWND owner)
{
    const HINSTANCE module = ThisModule();
    RegisterLabelClass(module);
    {
        // The fonts outlive the dialog's windows, which go before DialogBoxParamW returns.
        THotLinkFonts fonts;
        if (DialogBoxParamW(module, MAKEINTRESOURCEW(1), owner, AboutDlgProc, reinterpret_cast<LPARAM>(&fonts)) < 0)
            MessageBoxW(nullptr, L"Error in create dialog", L"Error", MB_OK);
    }
    UnregisterLabelClass(module);
}
