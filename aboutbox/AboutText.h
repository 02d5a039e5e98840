// The parts of the about box that are plain text work: the product text
// built from the product key, and the browser command for a URL.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "catalogue/ProductCounts.h"

// What the product key holds; a flag is false when its value is missing or
// has the wrong type.
struct TProductValues {
    bool HasVersion = false;
    std::wstring Version;
    bool HasType = false;
    std::wstring Type;
    bool HasRootDir = false;
    std::wstring RootDir;
    bool HasInstallVersions = false;
    uint32_t InstallVersions = 0;
};

// Reads the product key below root (HKLM for the installed product).
TProductValues ReadProductValues(HKEY root, const wchar_t* subKey);

// Label of IDE bit n (0..IdeCount - 1) of InstallVersions.
constexpr int IdeLabelCount = IdeCount;
extern const wchar_t* const IdeLabels[IdeLabelCount];

// The text of the about box's item 2, lines ending in CR LF except the
// "Install in" line.
std::wstring BuildProductText(const TProductValues& values);

// The registered browser command rewritten to open url: "%1" becomes the
// URL, later "%2".."%9" go, and without "%1" the quoted URL is appended.
std::wstring BuildBrowserCommand(const std::wstring& command, const std::wstring& url);
