// The about box: its text from the product key, the browser command made
// for a link, and the box itself opening each link's page.
#include "tests/unit/UnitTest.h"

#include "aboutbox/AboutText.h"
#include "aboutbox/Execute.h"
#include "aboutbox/HotLabel.h"
#include "catalogue/Catalogue.h"

namespace {

std::wstring Opened, Shown;  // the browser command's record, the box's text
std::string Expected;          // the pages of the links pressed

// Inside the box's modal loop: reads the box, presses every link and its text, and closes it.
void CALLBACK InspectAboutBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    const HWND about = GetActiveWindow();
    wchar_t text[512] = {};
    if (!about || !KillTimer(nullptr, timer) || !GetDlgItemTextW(about, 2, text, 512))
        return;
    Shown = text;
    for (int i = 0; i <= HotLinkCount; ++i) {  // every link, then the box's text: no link, it opens nothing
        POINT at = {2, 2};
        MapWindowPoints(i < HotLinkCount ? HotLinks[i].Window : GetDlgItem(about, 2), about, &at, 1);
        SendMessageW(about, WM_PARENTNOTIFY, WM_LBUTTONDOWN, MAKELPARAM(at.x, at.y));
        Expected += i < HotLinkCount ? WideToUtf8(HotLinks[i].Url) + "\r\n" : "";
        // One browser at a time; after the text, as long as a wrong one would take to show.
        for (int wait = 0; wait < 50 && ReadBytes(Opened).size() < Expected.size() + (i == HotLinkCount); ++wait)
            Sleep(20);
    }
    SendMessageW(about, WM_COMMAND, IDOK, 0);
}

}  // namespace

TEST_CASE("the about box shows the product key, and its links open their pages through the browser command")
{
    TSandbox box;
    CHECK(OpenUrl(L"https://qz.example/") == NoBrowserCommand);
    REQUIRE((RegWriteStr(HKEY_LOCAL_MACHINE, Product::RegKey, L"Version", L"4.07") &&
             RegWriteStr(HKEY_LOCAL_MACHINE, Product::RegKey, L"Type", L"") &&
             RegWriteStr(HKEY_LOCAL_MACHINE, Product::RegKey, L"RootDir", L"C:\\Qz") &&
             RegWriteInt(HKEY_LOCAL_MACHINE, Product::RegKey, L"InstallVersions", 0x101)));  // Delphi 3 and 7
    Opened = box / L"opened.txt";
    // The browser records the URL it is given.
    REQUIRE(RegWriteStr(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", L"", L"cmd /c echo %1>>\"" + Opened + L"\""));
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, InspectAboutBox);
    Execute(nullptr);
    KillTimer(nullptr, timer);
    CHECK(Shown == std::wstring(Product::Name) + L"\r\n version 4.07\r\n Install directory: C:\\Qz\r\n Install in: " +
                       IdeLabels[0] + L"," + IdeLabels[8]);
    CHECK(ReadBytes(Opened) == Expected);
}

TEST_CASE("the browser command gets the URL in place of its first placeholder")
{
    const std::wstring url = L"https://qz.example/a%20b/";
    struct TRow { std::string Name; const wchar_t* Command; std::wstring Expected; };
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
