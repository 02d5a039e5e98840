// What every in-process test needs: failure messages that show texts, and a
// sandbox that keeps a test off the prefix's shared state.
#pragma once

#include <windows.h>

#include <doctest.h>

#include <string>
#include <vector>

#include "support/Utils.h"

// Failed comparisons and INFO print texts (wide ones as UTF-8), not addresses.
namespace doctest {
template <> struct StringMaker<const char*> {
    static String convert(const char* s) { return s ? s : "(null)"; }
};
template <> struct StringMaker<std::wstring> {
    static String convert(const std::wstring& s) { return ("\"" + WideToUtf8(s) + "\"").c_str(); }
};
template <> struct StringMaker<const wchar_t*> {
    static String convert(const wchar_t* s) { return s ? StringMaker<std::wstring>::convert(s) : "(null)"; }
};
template <size_t N> struct StringMaker<wchar_t[N]> : StringMaker<const wchar_t*> {};
}  // namespace doctest

// A scratch folder that is also the process's temporary folder, and the
// registry roots HKCU, HKLM and HKCR of this process mapped to scratch keys;
// the shared state starts empty. All of it is given back when the object goes.
struct TSandbox {
    TSandbox();
    ~TSandbox();
    TSandbox(const TSandbox&) = delete;
    std::wstring operator/(const std::wstring& relative) const { return CombinePath(Dir, relative); }
    std::wstring Dir, Temp, Key, CurrentDir;
};

std::string ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
// A REG_SZ value, or "<missing>".
std::wstring RegText(HKEY root, const std::wstring& key, const std::wstring& name);
// Writes a REG_SZ value, creating the key.
void SetRegText(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text);
