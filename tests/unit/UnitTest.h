// What every in-process test needs: failure messages that show texts, and a
// sandbox that keeps a test off the prefix's shared state.
#pragma once

#include <windows.h>

#include <doctest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/Handles.h"
#include "support/SharedState.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/Registry.h"
#include "support/Text.h"

// Failed comparisons and INFO print wide texts as UTF-8, not as addresses.
namespace doctest {
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
    const HKEY Roots[3] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT};
    const std::wstring Temp = std::filesystem::temp_directory_path(), CurrentDir = std::filesystem::current_path();
    // The process id keeps apart programs that run at once; the time, runs (Wine hands out the same ids again).
    static inline int Count = 0;
    const std::wstring Name = L"qz-unit-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++Count);
    const std::wstring Dir = CombinePath(Temp, Name), Key = L"Software\\QzUnit\\" + Name;

    TSandbox()
    {
        REQUIRE(std::filesystem::create_directory(Dir));
        SetEnvironmentVariableW(L"TMP", Dir.c_str());
        SetEnvironmentVariableW(L"TEMP", Dir.c_str());
        for (int i = 2; i >= 0; --i) {  // HKCU last: every key is made below the real one
            TRegKey key;
            REQUIRE(RegCreateKeyExW(HKEY_CURRENT_USER, (Key + L"\\" + std::to_wstring(i)).c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS, nullptr, key.Put(), nullptr) == ERROR_SUCCESS);
            REQUIRE(RegOverridePredefKey(Roots[i], key.Get()) == ERROR_SUCCESS);
        }
        Shared = TSharedState();
    }
    ~TSandbox()
    {
        for (HKEY root : Roots)
            RegOverridePredefKey(root, nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, Key.c_str());
        SetEnvironmentVariableW(L"TMP", Temp.c_str());
        SetEnvironmentVariableW(L"TEMP", Temp.c_str());
        std::error_code ignored;
        std::filesystem::current_path(CurrentDir, ignored);
        std::filesystem::remove_all(Dir, ignored);
    }
    std::wstring operator/(const std::wstring& relative) const { return CombinePath(Dir, relative); }
};

inline std::string ReadBytes(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    return static_cast<bool>(std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes);
}

// A REG_SZ value, or "<missing>".
inline std::wstring RegText(HKEY root, const std::wstring& key, const std::wstring& name)
{
    std::wstring text;
    return RegReadStr(root, key, name, text) ? text : L"<missing>";
}
