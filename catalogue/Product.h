// The constant description of the product: names, texts, registry keys and
// web pages. Header-only, so the about box reads it without linking the IDE
// catalogue and its run-time state.
#pragma once

#include <string>

namespace Product {
constexpr const wchar_t* Maker = L"Tarnwick";
constexpr const wchar_t* Name = L"Orvane library";
constexpr const wchar_t* Version = L"4.07";
constexpr const wchar_t* Edition = L"trial version";
constexpr const wchar_t* DefaultFolder = L"Orvane";
constexpr const wchar_t* Description =
    L"Orvane library - collection of components for working with the application settings.\r\n\r\n";
constexpr const wchar_t* RegKey = L"Software\\Tarnwick\\Orvane library";  // under HKLM
constexpr const wchar_t* UninstallKeyName = L"qzlLib";
constexpr const wchar_t* UninstallRoot = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const wchar_t* MakerUrl = L"https://www.tarnwick.example/";
constexpr const wchar_t* ProductUrl = L"https://www.tarnwick.example/orvane/";

// The logs an installation writes into its folder.
constexpr const wchar_t* InstallLogName = L"install.log";
constexpr const wchar_t* UninstallLogName = L"uninst.log";

// How texts name an edition of the product: "trial version of Orvane
// library v4.07"; untwk names the one its log records.
inline std::wstring EditionText(const std::wstring& edition = Edition, const std::wstring& name = Name,
                                const std::wstring& version = Version)
{
    return edition + L" of " + name + L" v" + version;
}

// Values of the product key.
constexpr const wchar_t* ValRootDir = L"RootDir";
constexpr const wchar_t* ValInstallVersions = L"InstallVersions";
constexpr const wchar_t* ValInstallItems = L"InstallItems";
constexpr const wchar_t* ValVersion = L"Version";
constexpr const wchar_t* ValType = L"Type";
constexpr const wchar_t* ValInstallDate = L"InstallDate";
constexpr const wchar_t* ValCustomizeItems = L"CustomizeItems";
}  // namespace Product
