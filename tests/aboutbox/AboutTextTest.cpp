#include "aboutbox/AboutText.h"

#include "tests/common/TestEnv.h"

#include <vector>

namespace {

// Registry data of a REG_SZ-like value, with or without its terminator.
std::string Utf16(const std::wstring& text, bool terminated = true)
{
    const auto* bytes = reinterpret_cast<const char*>(text.c_str());
    return std::string(bytes, (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
}

std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

}  // namespace

TEST_CASE("the product text has one line per value read with the type it must have")
{
    struct TValue {
        const wchar_t* Name;
        DWORD Type;
        std::string Data;
    };
    struct TCase {
        const char* Name;
        std::vector<TValue> Values;
        const wchar_t* Expected;
    };
    const TValue version = {L"Version", REG_SZ, Utf16(L"4.07")};
    const TValue type = {L"Type", REG_SZ, Utf16(L"trial version")};
    const TValue rootDir = {L"RootDir", REG_SZ, Utf16(L"C:\\Program Files\\Orvane")};
    const TCase cases[] = {
        {"all four values", {version, type, rootDir, {L"InstallVersions", REG_DWORD, Dword(0x101)}},
         L"Orvane library\r\n trial version 4.07\r\n Install directory: C:\\Program Files\\Orvane\r\n"
         L" Install in: Delphi3,Delphi7"},
        {"no IDE bit keeps the label's trailing blank", {rootDir, {L"InstallVersions", REG_DWORD, Dword(0)}},
         L"Orvane library\r\n Install directory: C:\\Program Files\\Orvane\r\n Install in: "},
        {"the highest label is bit 27; higher bits have none",
         {{L"InstallVersions", REG_DWORD, Dword(0xF8000004)}}, L"Orvane library\r\n Install in: Delphi5,RADStudio11"},
        {"an empty Type reads as the word version", {version, {L"Type", REG_SZ, Utf16(L"")}},
         L"Orvane library\r\n version 4.07\r\n"},
        {"Version without Type gives no version line", {version}, L"Orvane library\r\n"},
        {"Type without Version neither", {type}, L"Orvane library\r\n"},
        {"strings of another type than REG_SZ are not read",
         {version, {L"Type", REG_EXPAND_SZ, Utf16(L"trial version")}, {L"RootDir", REG_MULTI_SZ, Utf16(L"C:\\x")}},
         L"Orvane library\r\n"},
        {"a string without its terminator is read whole", {{L"Version", REG_SZ, Utf16(L"4.07", false)}, type},
         L"Orvane library\r\n trial version 4.07\r\n"},
        {"InstallVersions of any type counts when it is four bytes",
         {{L"InstallVersions", REG_BINARY, Dword(0x101)}}, L"Orvane library\r\n Install in: Delphi3,Delphi7"},
        {"eight bytes do not count", {{L"InstallVersions", REG_QWORD, Dword(0x101) + Dword(0)}},
         L"Orvane library\r\n"},
        {"two bytes do not count", {{L"InstallVersions", REG_BINARY, Dword(0x101).substr(0, 2)}},
         L"Orvane library\r\n"},
        {"no key at all", {}, L"Orvane library\r\n"},
    };
    for (const TCase& c : cases) {
        CAPTURE(c.Name);
        TScratchKey scratch(L"aboutbox-text");
        for (const TValue& value : c.Values)
            REQUIRE(SetRegValue(HKEY_CURRENT_USER, scratch.Path(), value.Name, value.Type, value.Data.data(),
                                static_cast<DWORD>(value.Data.size())));
        CHECK(BuildProductText(ReadProductValues(HKEY_CURRENT_USER, scratch.Path().c_str())) == c.Expected);
    }
}

TEST_CASE("the browser command is rewritten for the URL")
{
    const std::wstring url = L"https://www.tarnwick.example/orvane/";
    const std::wstring quoted = L"\"" + url + L"\"";
    struct {
        const char* Name;
        std::wstring Command;
        std::wstring Url;
        std::wstring Expected;
    } const cases[] = {
        {"%1 becomes the URL", L"\"C:\\Web\\browser.exe\" -osint -url \"%1\"", url,
         L"\"C:\\Web\\browser.exe\" -osint -url " + quoted},
        {"without %1 the quoted URL is appended", L"C:\\Web\\browser.exe", url, L"C:\\Web\\browser.exe " + quoted},
        {"%2 goes after %1 has been replaced", L"browser.exe %2 \"%1\" -x%2", url,
         L"browser.exe  " + quoted + L" -x%2"},
        {"%2 and %3 both go", L"browser.exe \"%1\" %2 %3", url, L"browser.exe " + quoted + L"  "},
        {"%3 stays when %2 is missing", L"browser.exe \"%1\" %3", url, L"browser.exe " + quoted + L" %3"},
        {"%2 alone is no placeholder", L"browser.exe %2", url, L"browser.exe %2 " + quoted},
        {"only the first %1 is replaced", L"b.exe %1 %1", L"u", L"b.exe u %1"},
        {"backslashes become slashes", L"b.exe \"%1\"", L"https:\\\\www.tarnwick.example\\orvane\\",
         L"b.exe " + quoted},
        {"backslashes of an appended URL too", L"b.exe", L"a\\b", L"b.exe \"a/b\""},
        {"control characters and blanks around are trimmed", L" \t\r\n b.exe \"%1\"\x01 \r\n", L"u", L"b.exe \"u\""},
        {"trimmed at the end", L"\t b.exe \x1f", L"u", L"b.exe \"u\""},
        {"nothing but blanks", L" \t ", L"u", L" \"u\""},
        {"an escaped URL keeps its percent sequences", L"b.exe \"%1\" %2", L"https://x.example/a%20b%3",
         L"b.exe \"https://x.example/a%20b%3\" "},
    };
    for (const auto& c : cases) {
        CAPTURE(c.Name);
        CHECK(BuildBrowserCommand(c.Command, c.Url) == c.Expected);
    }
}
