#include "aboutbox/AboutText.h"

#include "tests/common/TestEnv.h"

#include "support/Handles.h"

namespace {

TProductValues Installed()
{
    TProductValues v;
    v.HasVersion = true;
    v.Version = L"4.07";
    v.HasType = true;
    v.Type = L"trial version";
    v.HasRootDir = true;
    v.RootDir = L"C:\\Orvane";
    v.HasInstallVersions = true;
    v.InstallVersions = 0x101;
    return v;
}

void SetString(HKEY key, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ)
{
    REQUIRE(RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS);
}

void SetBytes(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    REQUIRE(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS);
}

}  // namespace

TEST_CASE("the product text has one line per value found")
{
    SUBCASE("a complete installation")
    {
        CHECK(BuildProductText(Installed()) ==
              L"Orvane library\r\n trial version 4.07\r\n Install directory: C:\\Orvane\r\n"
              L" Install in: Delphi3,Delphi7");
    }
    SUBCASE("no IDE bit set leaves the label with its trailing blank")
    {
        TProductValues v = Installed();
        v.InstallVersions = 0;
        CHECK(BuildProductText(v) ==
              L"Orvane library\r\n trial version 4.07\r\n Install directory: C:\\Orvane\r\n Install in: ");
    }
    SUBCASE("an empty edition reads as the word version")
    {
        TProductValues v = Installed();
        v.Type.clear();
        v.HasRootDir = false;
        v.HasInstallVersions = false;
        CHECK(BuildProductText(v) == L"Orvane library\r\n version 4.07\r\n");
    }
    SUBCASE("the version line needs both Version and Type")
    {
        TProductValues v = Installed();
        v.HasType = false;
        v.HasInstallVersions = false;
        CHECK(BuildProductText(v) == L"Orvane library\r\n Install directory: C:\\Orvane\r\n");
        v = Installed();
        v.HasVersion = false;
        v.HasRootDir = false;
        v.HasInstallVersions = false;
        CHECK(BuildProductText(v) == L"Orvane library\r\n");
    }
    SUBCASE("nothing found")
    {
        CHECK(BuildProductText(TProductValues{}) == L"Orvane library\r\n");
    }
    SUBCASE("the highest label is bit 27; higher bits have none")
    {
        TProductValues v;
        v.HasInstallVersions = true;
        v.InstallVersions = 0xF8000004;
        CHECK(BuildProductText(v) == L"Orvane library\r\n Install in: Delphi5,RADStudio11");
        v.InstallVersions = 0x0FFFFFFF;
        const std::wstring text = BuildProductText(v);
        CHECK(text.find(L" Install in: Delphi3,Delphi4,Delphi5,CBuilder3,") != std::wstring::npos);
        CHECK(text.find(L",XE8,XE10,XE10.1,XE10.2,XE10.3,XE10.4,RADStudio11") != std::wstring::npos);
        CHECK(text.back() == L'1');
    }
}

TEST_CASE("the product key is read with the value types it must have")
{
    TScratchKey scratch(L"aboutbox-text");
    TRegKey key;
    REQUIRE(RegCreateKeyExW(HKEY_CURRENT_USER, scratch.Path().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.Put(), nullptr) == ERROR_SUCCESS);

    SUBCASE("all four values")
    {
        SetString(key.Get(), L"Version", L"4.07");
        SetString(key.Get(), L"Type", L"trial version");
        SetString(key.Get(), L"RootDir", L"C:\\Program Files\\Orvane");
        const DWORD versions = 0x101;
        SetBytes(key.Get(), L"InstallVersions", REG_DWORD, &versions, sizeof(versions));
        CHECK(BuildProductText(ReadProductValues(HKEY_CURRENT_USER, scratch.Path().c_str())) ==
              L"Orvane library\r\n trial version 4.07\r\n Install directory: C:\\Program Files\\Orvane\r\n"
              L" Install in: Delphi3,Delphi7");
    }
    SUBCASE("Version without Type gives no version line")
    {
        SetString(key.Get(), L"Version", L"4.07");
        const TProductValues v = ReadProductValues(HKEY_CURRENT_USER, scratch.Path().c_str());
        CHECK(v.HasVersion);
        CHECK_FALSE(v.HasType);
        CHECK(BuildProductText(v) == L"Orvane library\r\n");
    }
    SUBCASE("an empty Type is read as present")
    {
        SetString(key.Get(), L"Version", L"4.07");
        SetString(key.Get(), L"Type", L"");
        CHECK(BuildProductText(ReadProductValues(HKEY_CURRENT_USER, scratch.Path().c_str())) ==
              L"Orvane library\r\n version 4.07\r\n");
    }
    SUBCASE("strings of another type than REG_SZ are not read")
    {
        SetString(key.Get(), L"Version", L"4.07");
        SetString(key.Get(), L"Type", L"trial version", REG_EXPAND_SZ);
        SetString(key.Get(), L"RootDir", L"C:\\Orvane", REG_MULTI_SZ);
        const TProductValues v = ReadProductValues(HKEY_CURRENT_USER, scratch.Path().c_str());
        CHECK_FALSE(v.HasType);
        CHECK_FALSE(v.HasRootDir);
    }
    SUBCASE("InstallVersions of any type counts when it is four bytes")
    {
        const BYTE four[4] = {0x01, 0x01, 0x00, 0x00};
        SetBytes(key.Get(), L"InstallVersions", REG_BINARY, four, sizeof(four));
        TProductValues v = ReadProductValues(HKEY_CURRENT_USER, scratch.Path().c_str());
        CHECK(v.HasInstallVersions);
        CHECK(v.InstallVersions == 0x101u);

        const BYTE eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
        SetBytes(key.Get(), L"InstallVersions", REG_QWORD, eight, sizeof(eight));
        CHECK_FALSE(ReadProductValues(HKEY_CURRENT_USER, scratch.Path().c_str()).HasInstallVersions);

        SetBytes(key.Get(), L"InstallVersions", REG_BINARY, four, 2);
        CHECK_FALSE(ReadProductValues(HKEY_CURRENT_USER, scratch.Path().c_str()).HasInstallVersions);
    }
    SUBCASE("a string stored without its terminator is read whole")
    {
        const std::wstring raw = L"4.07";
        SetBytes(key.Get(), L"Version", REG_SZ, raw.data(), static_cast<DWORD>(raw.size() * sizeof(wchar_t)));
        std::wstring value;
        CHECK(ReadRegString(HKEY_CURRENT_USER, scratch.Path().c_str(), L"Version", value));
        CHECK(value == L"4.07");
    }
    SUBCASE("no key at all")
    {
        key.Reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, scratch.Path().c_str());
        CHECK(BuildProductText(ReadProductValues(HKEY_CURRENT_USER, scratch.Path().c_str())) ==
              L"Orvane library\r\n");
    }
}

TEST_CASE("the browser command is rewritten for the URL")
{
    const std::wstring url = L"https://www.tarnwick.example/orvane/";
    SUBCASE("%1 becomes the URL")
    {
        CHECK(BuildBrowserCommand(L"\"C:\\Web\\browser.exe\" -osint -url \"%1\"", url) ==
              L"\"C:\\Web\\browser.exe\" -osint -url \"https://www.tarnwick.example/orvane/\"");
    }
    SUBCASE("without %1 the quoted URL is appended after a blank")
    {
        CHECK(BuildBrowserCommand(L"C:\\Web\\browser.exe", url) ==
              L"C:\\Web\\browser.exe \"https://www.tarnwick.example/orvane/\"");
    }
    SUBCASE("%2 goes after %1 has been replaced")
    {
        CHECK(BuildBrowserCommand(L"browser.exe %2 \"%1\" -x%2", url) ==
              L"browser.exe  \"https://www.tarnwick.example/orvane/\" -x%2");
        CHECK(BuildBrowserCommand(L"browser.exe \"%1\" %2 %3", url) ==
              L"browser.exe \"https://www.tarnwick.example/orvane/\"  ");
    }
    SUBCASE("%3 stays when %2 is missing")
    {
        CHECK(BuildBrowserCommand(L"browser.exe \"%1\" %3", url) ==
              L"browser.exe \"https://www.tarnwick.example/orvane/\" %3");
    }
    SUBCASE("%2 alone does not count as a placeholder")
    {
        CHECK(BuildBrowserCommand(L"browser.exe %2", url) ==
              L"browser.exe %2 \"https://www.tarnwick.example/orvane/\"");
    }
    SUBCASE("only %1 is replaced, and only once")
    {
        CHECK(BuildBrowserCommand(L"b.exe %1 %1", L"u") == L"b.exe u %1");
    }
    SUBCASE("backslashes in the URL become slashes")
    {
        CHECK(BuildBrowserCommand(L"b.exe \"%1\"", L"https:\\\\www.tarnwick.example\\orvane\\") ==
              L"b.exe \"https://www.tarnwick.example/orvane/\"");
        CHECK(BuildBrowserCommand(L"b.exe", L"a\\b") == L"b.exe \"a/b\"");
    }
    SUBCASE("control characters and blanks around the command are trimmed")
    {
        CHECK(BuildBrowserCommand(L" \t\r\n b.exe \"%1\"\x01 \r\n", L"u") == L"b.exe \"u\"");
        CHECK(BuildBrowserCommand(L"\t b.exe \x1f", L"u") == L"b.exe \"u\"");
        CHECK(BuildBrowserCommand(L" \t ", L"u") == L" \"u\"");
    }
    SUBCASE("an escaped URL keeps its percent sequences")
    {
        CHECK(BuildBrowserCommand(L"b.exe \"%1\" %2", L"https://x.example/a%20b%3") ==
              L"b.exe \"https://x.example/a%20b%3\" ");
    }
}
