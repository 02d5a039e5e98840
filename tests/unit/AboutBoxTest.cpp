// The about box's links: the browser command made for a link, and the box
// itself opening each link's page (its texts are judged by the IDE host).
#include "tests/unit/UnitTest.h"

#include "aboutbox/AboutText.h"
#include "aboutbox/Execute.h"
#include "aboutbox/HotLabel.h"

namespace {

std::wstring Opened;  // the browser command's record
std::string Expected;          // the pages of the links pressed

// Inside the box's modal loop: presses every link and the box's text, and closes it.
void CALLBACK InspectAboutBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    const HWND about = GetActiveWindow();
    if (!about || !GetDlgItem(about, 2) || !KillTimer(nullptr, timer))
        return;
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

TEST_CASE("the about box's links open their pages through the browser command")
{
    TSandbox box;
    CHECK(OpenUrl(L"https://qz.example/") == NoBrowserCommand);
    Opened = box / L"opened.txt";
    // The browser records the URL it is given.
    REQUIRE(RegWriteStr(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", L"", L"cmd /c echo %1>>\"" + Opened + L"\""));
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, InspectAboutBox);
    Execute(nullptr);
    KillTimer(nullptr, timer);
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
