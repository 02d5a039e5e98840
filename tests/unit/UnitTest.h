// What every in-process test needs: readable failure messages for wide
// strings, and a sandbox that keeps a test off the prefix's shared state.
#pragma once

#include <windows.h>

#include <doctest.h>

#include <string>
#include <vector>

#include "support/Utils.h"

// Failed comparisons, CAPTURE and INFO print texts, wide ones as UTF-8.
namespace doctest {
template <>
struct StringMaker<const char*> {
    static String convert(const char* s) { return s ? s : "(null)"; }
};
template <>
struct StringMaker<std::wstring> {
    static String convert(const std::wstring& s) { return ("\"" + WideToUtf8(s) + "\"").c_str(); }
};
template <>
struct StringMaker<const wchar_t*> {
    static String convert(const wchar_t* s) { return s ? StringMaker<std::wstring>::convert(s) : "(null)"; }
};
template <>
struct StringMaker<wchar_t*> : StringMaker<const wchar_t*> {};
template <size_t N>
struct StringMaker<wchar_t[N]> : StringMaker<const wchar_t*> {};
}  // namespace doctest

// A scratch folder that is also the process's temporary folder, and the
// registry roots HKCU, HKLM and HKCR of this process mapped to scratch keys;
// the shared state and the catalogue's run-time fields start empty. All of
// it is given back when the object goes.
class TSandbox {
public:
    TSandbox();
    ~TSandbox();
    TSandbox(const TSandbox&) = delete;
    TSandbox& operator=(const TSandbox&) = delete;
    std::wstring operator/(const std::wstring& relative) const { return CombinePath(Dir, relative); }

    std::wstring Dir;

private:
    std::wstring FKey;
    std::wstring FCurrentDir;
};

std::string ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
// A REG_SZ value, or "<missing>".
std::wstring RegText(HKEY root, const std::wstring& key, const std::wstring& name);
// Writes a REG_SZ value, creating the key.
void SetRegText(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text);
