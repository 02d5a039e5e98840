// The link labels of the about box: the QZ_ILABEL window class (a "Static"
// with the hand cursor), the table of links, their layout and how a link
// opens its page.
#pragma once

#include "support/Handles.h"

#include <windows.h>

#include <cstdint>

constexpr const wchar_t* HotLabelClass = L"QZ_ILABEL";
constexpr COLORREF HotLinkColor = RGB(0, 0, 0x8F);

// Where a link's plain text stands.
constexpr int32_t TextBefore = 0;
constexpr int32_t TextAfterLink = 1;

struct THotLink {
    HWND Window;           // filled when the dialog creates the link
    const wchar_t* Url;
    const wchar_t* Caption;
    const wchar_t* Text;   // plain text next to the link
    int32_t TextAfter;     // TextBefore, TextAfterLink, or anything else: no text
};

constexpr int HotLinkCount = 3;
extern THotLink HotLinks[HotLinkCount];

// The fonts of the link windows; they must outlive the windows.
struct THotLinkFonts {
    TFont Plain;
    TFont Link;
};

void RegisterLabelClass(HINSTANCE module);
void UnregisterLabelClass(HINSTANCE module);

// Creates the plain-text and link windows of every record in dialog, next to
// its picture (item 5) and below its links heading (item 6).
void CreateHotLinks(HWND dialog, THotLinkFonts& fonts);

bool IsHotLink(HWND window);
// Opens the page of the link window; false when window is no link.
bool OpenHotLink(HWND window);

// Result of OpenUrl when no browser command is registered.
constexpr DWORD NoBrowserCommand = static_cast<DWORD>(-1);
// Starts the registered browser command on url: 0 or an error code.
[[nodiscard]] DWORD OpenUrl(const wchar_t* url);
