// Registry helpers: each call opens, works and closes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Platform identifier from GetVersionExW, captured once at start-up
// (2 = Windows NT family, 0 when the call failed).
extern DWORD PlatformId;

// Windows' WinHelp registrations below HKLM: value name the help file, data
// its folder.
constexpr const wchar_t* WinHelpKey = L"Software\\Microsoft\\Windows\\Help";

bool RegCreateKeyPath(HKEY root, const std::wstring& path);
bool RegRemoveValue(HKEY root, const std::wstring& path, const std::wstring& name);
bool RegReadStr(HKEY root, const std::wstring& path, const std::wstring& name, std::wstring& text);
bool RegReadInt(HKEY root, const std::wstring& path, const std::wstring& name, uint32_t& value);
bool RegWriteStr(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text);
bool RegWriteInt(HKEY root, const std::wstring& path, const std::wstring& name, uint32_t value);
void RegDeleteSubKeys(HKEY key);
bool RegDeleteKeyTree(HKEY root, const std::wstring& path);

// A registry root as stored in script items and log records (0x80000001,
// 0x80000002, ...) turned back into the predefined handle.
HKEY RootKeyFromCode(uint32_t code);
