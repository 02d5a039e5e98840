// The constant description of the product: names, texts, registry keys and
// web pages. Header-only, so the about box reads it without linking the IDE
// catalogue and its run-time state.
#pragma once

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

// Values of the product key.
constexpr const wchar_t* ValRootDir = L"RootDir";
constexpr const wchar_t* ValInstallVersions = L"InstallVersions";
constexpr const wchar_t* ValInstallItems = L"InstallItems";
constexpr const wchar_t* ValVersion = L"Version";
constexpr const wchar_t* ValType = L"Type";
constexpr const wchar_t* ValInstallDate = L"InstallDate";
constexpr const wchar_t* ValCustomizeItems = L"CustomizeItems";
}  // namespace Product
