// The about box: its text from the product key, the browser command made
// for a link, and the box itself opening each link's page.
#include "tests/unit/UnitTest.h"

#include <algorithm>

#include "aboutbox/AboutText.h"
#include "aboutbox/HotLabel.h"
#include "catalogue/Catalogue.h"

extern "C" void Execute(HWND owner);

namespace {

const std::wstring Name = std::wstring(Product::Name) + L"\r\n";

// Writes the product key's values; Type null: missing. InstallVersions goes as four bytes of the given type.
void WriteProductKey(HKEY root, const wchar_t* type, DWORD rootDirType, DWORD versions, DWORD versionsType)
{
    RegDeleteTreeW(root, Product::RegKey);
    SetRegText(root, Product::RegKey, L"Version", L"4.07");
    if (type)
        SetRegText(root, Product::RegKey, L"Type", type);
    RegSetKeyValueW(root, Product::RegKey, L"RootDir", rootDirType, L"C:\\Qz", 12);
    RegSetKeyValueW(root, Product::RegKey, L"InstallVersions", versionsType, &versions, 4);
}

}  // namespace

TEST_CASE("the product text leaves out what the product key lacks")
{
    TSandbox box;
    WriteProductKey(HKEY_CURRENT_USER, L"", REG_SZ, 0, REG_DWORD);
    CHECK(BuildProductText(ReadProductValues(HKEY_CURRENT_USER, Product::RegKey)) ==
          Name + L" version 4.07\r\n Install directory: C:\\Qz\r\n Install in: ");
    // No type, a RootDir that is not a string, IDE bits as bytes (bit 28 names no IDE).
    WriteProductKey(HKEY_CURRENT_USER, nullptr, REG_EXPAND_SZ, 0x18000000, REG_BINARY);
    CHECK(BuildProductText(ReadProductValues(HKEY_CURRENT_USER, Product::RegKey)) == Name + L" Install in: " + IdeLabels[27]);
    CHECK(BuildProductText(ReadProductValues(HKEY_CURRENT_USER, L"None")) == Name);
}

TEST_CASE("the browser command gets the URL in place of its first placeholder")
{
    const std::wstring url = L"https://qz.example/a%20b/";
    struct TRow { const char* Name; const wchar_t* Command; std::wstring Expected; };
    const TRow rows[] = {
        {"placeholder", L"\"C:\\B b\\b.exe\" -url \"%1\"", L"\"C:\\B b\\b.exe\" -url \"" + url + L"\""},
        {"no placeholder, blanks around", L" b.exe -new\t", L"b.exe -new \"" + url + L"\""},
        {"later placeholders go, the URL's own stay", L"b.exe %1 %2", L"b.exe " + url + L" "},
        {"a gap ends the placeholders", L"b.exe %1 %3", L"b.exe " + url + L" %3"},
    };
    for (const TRow& row : rows)
        CHECK_MESSAGE(BuildBrowserCommand(row.Command, url) == row.Expected, row.Name);
    CHECK(BuildBrowserCommand(L"b.exe %1", L"https:\\\\qz.example\\a\\") == L"b.exe https://qz.example/a/");
}

namespace {

std::wstring Opened, Shown;  // the browser command's record, the box's text
std::string Expected;          // the pages of the links pressed

// Inside the box's modal loop: reads the box, presses every window it added (the plain texts first, then
// the links, waiting for each browser), and closes it.
void CALLBACK InspectAboutBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    const HWND about = GetActiveWindow();
    wchar_t text[512] = {};
    if (!about || !KillTimer(nullptr, timer) || !GetDlgItemTextW(about, 2, text, 512))
        return;
    Shown = text;
    for (const bool links : {false, true}) {
        for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const auto link = std::find_if(std::begin(HotLinks), std::end(HotLinks), [&](const THotLink& l) { return l.Window == child; });
            if (GetDlgCtrlID(child) != 0 || (link != std::end(HotLinks)) != links)
                continue;  // the template's own controls have identifiers
            RECT rect = {};
            GetWindowRect(child, &rect);
            POINT at = {rect.left + 2, rect.top + 2};
            ScreenToClient(about, &at);
            SendMessageW(about, WM_PARENTNOTIFY, WM_LBUTTONDOWN, MAKELPARAM(at.x, at.y));
            Expected += links ? WideToUtf8(link->Url) + "\r\n" : "";
            for (int i = 0; i < 250 && ReadBytes(Opened).size() < Expected.size(); ++i)
                Sleep(20);
        }
    }
    SendMessageW(about, WM_COMMAND, IDOK, 0);
}

}  // namespace

TEST_CASE("the about box shows the product key, and its links open their pages through the browser command")
{
    TSandbox box;
    CHECK(OpenUrl(L"https://qz.example/") == NoBrowserCommand);
    WriteProductKey(HKEY_LOCAL_MACHINE, L"trial version", REG_SZ, 0x101, REG_DWORD);
    Opened = box / L"opened.txt";
    SetRegText(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", L"", L"cmd.exe /c echo %1>>\"" + Opened + L"\"");
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, InspectAboutBox);
    Execute(nullptr);
    KillTimer(nullptr, timer);
    CHECK(Shown == Name + L" trial version 4.07\r\n Install directory: C:\\Qz\r\n Install in: " + IdeLabels[0] + L"," + IdeLabels[8]);
    CHECK(std::count(Expected.begin(), Expected.end(), '\n') == HotLinkCount);
    CHECK(ReadBytes(Opened) == Expected);
}
