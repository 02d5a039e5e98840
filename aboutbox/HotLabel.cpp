#include "aboutbox/HotLabel.h"

#include "aboutbox/AboutText.h"
#include "catalogue/Product.h"
#include "support/Registry.h"
#include "support/Text.h"

#include <shellapi.h>

#include <string>
#include <vector>

THotLink HotLinks[HotLinkCount] = {
    {nullptr, Product::ProductUrl, L"Main page", L" on Tarnwick server.", TextAfterLink},
    {nullptr, L"https://www.tarnwick.example/shop/orvane/", L"Order", L" the full version online.", TextAfterLink},
    {nullptr, L"https://www.tarnwick.example/forum/orvane/", L"support forum", L"Questions: ", TextBefore},
};

namespace {

// The class procedure of "Static"; a class procedure has nowhere else to
// keep it.
WNDPROC GStaticProc = nullptr;

LRESULT CALLBACK HotLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(GStaticProc, window, message, wParam, lParam);
}

TFont MakeFont(bool underline)
{
    return TFont(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             L"MS Sans Serif"));
}

SIZE TextExtent(HDC dc, const wchar_t* text)
{
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    return size;
}

// A control's rectangle in the dialog's client coordinates.
RECT ItemRect(HWND dialog, int id)
{
    RECT rect{0, 0, 0, 0};
    HWND item = GetDlgItem(dialog, id);
    if (item) {
        GetWindowRect(item, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    }
    return rect;
}

HWND CreateLabel(HWND dialog, const wchar_t* className, const wchar_t* text, int x, int y, SIZE size, HFONT font)
{
    HWND window = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | SS_NOTIFY, x, y, size.cx, size.cy,
                                  dialog, nullptr, reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE)),
                                  nullptr);
    if (window)
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return window;
}

THotLink* FindHotLink(HWND window)
{
    if (!window)
        return nullptr;
    for (THotLink& link : HotLinks) {
        if (link.Window == window)
            return &link;
    }
    return nullptr;
}

}  // namespace

void RegisterLabelClass(HINSTANCE module)
{
    WNDCLASSW wc{};
    if (!GetClassInfoW(nullptr, L"Static", &wc))
        return;
    GStaticProc = wc.lpfnWndProc;
    wc.lpfnWndProc = HotLabelProc;
    wc.hInstance = module;
    wc.lpszClassName = HotLabelClass;
    wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
    RegisterClassW(&wc);
}

void UnregisterLabelClass(HINSTANCE module) { UnregisterClassW(HotLabelClass, module); }

void CreateHotLinks(HWND dialog, THotLinkFonts& fonts)
{
    fonts.Plain = MakeFont(false);
    fonts.Link = MakeFont(true);

    TWindowDC dc(dialog);
    TSelectObject select(dc.Get(), fonts.Plain.Get());
    const int h = TextExtent(dc.Get(), L"ABC").cy;
    const RECT picture = ItemRect(dialog, 5);
    const RECT heading = ItemRect(dialog, 6);

    for (int i = 0; i < HotLinkCount; ++i) {
        THotLink& link = HotLinks[i];
        int x = heading.left + 5;
        int y = heading.top + i * (h + 3) + 2;
        if (i == 0) {
            x = picture.right + 10;
            y = picture.bottom - h;
        }
        if (link.TextAfter == TextBefore) {
            const SIZE size = TextExtent(dc.Get(), link.Text);
            CreateLabel(dialog, L"static", link.Text, x, y, size, fonts.Plain.Get());
            x += size.cx;
        }
        const SIZE size = TextExtent(dc.Get(), link.Caption);
        link.Window = CreateLabel(dialog, HotLabelClass, link.Caption, x, y, size, fonts.Link.Get());
        if (link.TextAfter == TextAfterLink)
            CreateLabel(dialog, L"static", link.Text, x + size.cx, y, TextExtent(dc.Get(), link.Text),
                        fonts.Plain.Get());
    }
}

bool IsHotLink(HWND window) { return FindHotLink(window) != nullptr; }

bool OpenHotLink(HWND window)
{
    const THotLink* link = FindHotLink(window);
    if (!link)
        return false;
    if (OpenUrl(link->Url) != 0)
        ShellExecuteW(nullptr, L"open", link->Url, nullptr, nullptr, SW_SHOWDEFAULT);
    return true;
}

DWORD OpenUrl(const wchar_t* url)
{
    std::wstring command;
    if (!RegReadStr(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", L"", command))
        return NoBrowserCommand;
    command = BuildBrowserCommand(command, url);

    std::vector<wchar_t> commandLine(command.begin(), command.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr,
                        &startup, &started))
        return LastErrorCode();
    TProcessInfo process;
    process.Take(started);
    return 0;
}
