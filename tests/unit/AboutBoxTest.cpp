// The about box: its text from the product key, the browser command made
// for a link, and the box itself opening each link's page.
#include "tests/unit/UnitTest.h"

#include <algorithm>

#include "aboutbox/AboutText.h"
#include "aboutbox/HotLabel.h"
#include "catalogue/Catalogue.h"

extern "C" void Execute(HWND owner);

TEST_CASE("the product text shows what the product key holds")
{
    TSandbox box;
    const std::wstring name = std::wstring(Product::Name) + L"\r\n";
    const std::wstring labels = std::wstring(IdeLabels[0]) + L"," + IdeLabels[8];
    // Type null: missing; Versions as REG_DWORD, or as four REG_BINARY bytes with Binary set.
    struct TRow { const char* Name; const wchar_t* Type; DWORD RootDirType; DWORD Versions; bool Binary;
                  std::wstring Expected; };
    const TRow rows[] = {
        {"all values", L"trial version", REG_SZ, 0x101, false,
         name + L" trial version 4.07\r\n Install directory: C:\\Qz\r\n Install in: " + labels},
        {"empty type, no IDE", L"", REG_SZ, 0, false, name + L" version 4.07\r\n Install directory: C:\\Qz\r\n Install in: "},
        {"no type, root dir of another type, IDEs as bytes", nullptr, REG_EXPAND_SZ, 0x18000000, true,
         name + L" Install in: " + IdeLabels[27]},
    };
    const std::wstring key = L"Software\\Qz";
    for (const TRow& row : rows) {
        INFO(row.Name);
        RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
        SetRegText(HKEY_CURRENT_USER, key, L"Version", L"4.07");
        if (row.Type)
            SetRegText(HKEY_CURRENT_USER, key, L"Type", row.Type);
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"RootDir", row.RootDirType, L"C:\\Qz", 12);
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"InstallVersions", row.Binary ? REG_BINARY : REG_DWORD,
                        &row.Versions, 4);
        CHECK(BuildProductText(ReadProductValues(HKEY_CURRENT_USER, key.c_str())) == row.Expected);
    }
    CHECK(BuildProductText(ReadProductValues(HKEY_CURRENT_USER, L"Software\\None")) == name);
}

TEST_CASE("the browser command gets the URL in place of its first placeholder")
{
    const std::wstring url = L"https://qz.example/a%20b/";
    struct TRow { const char* Name; const wchar_t* Command; std::wstring Expected; };
    const TRow rows[] = {
        {"placeholder", L"\"C:\\B b\\b.exe\" -url \"%1\"", L"\"C:\\B b\\b.exe\" -url \"" + url + L"\""},
        {"no placeholder", L"b.exe -new", L"b.exe -new \"" + url + L"\""},
        {"later placeholders go, the URL's own stay", L"b.exe %1 %2", L"b.exe " + url + L" "},
        {"a gap ends the placeholders", L"b.exe %1 %3", L"b.exe " + url + L" %3"},
        {"blanks around the command", L" \tb.exe %1 ", L"b.exe " + url},
    };
    for (const TRow& row : rows) {
        INFO(row.Name);
        CHECK(BuildBrowserCommand(row.Command, url) == row.Expected);
    }
    CHECK(BuildBrowserCommand(L"b.exe %1", L"https:\\\\qz.example\\a\\") == L"b.exe https://qz.example/a/");
}

namespace {

// What the about box showed, the pages of the links pressed in it, and what the browser command recorded.
std::wstring Opened;
std::wstring ShownText;
std::string Expected;
std::string Recorded;

// Waits until the browser command has recorded as much as expected.
void WaitForBrowser()
{
    for (int i = 0; i < 250 && (Recorded = ReadBytes(Opened)).size() < Expected.size(); ++i)
        Sleep(20);
}

// Runs inside the box's modal loop: reads the box, presses every plain text and then every link, one
// browser at a time, and closes the box.
void CALLBACK InspectAboutBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND about = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) {
            wchar_t name[8] = {};
            GetClassNameW(window, name, 8);
            return lstrcmpW(name, L"#32770") == 0 ? (*reinterpret_cast<HWND*>(found) = window, FALSE) : TRUE;
        },
        reinterpret_cast<LPARAM>(&about));
    if (!about)
        return;
    KillTimer(nullptr, timer);
    wchar_t text[512] = {};
    GetDlgItemTextW(about, 2, text, 512);
    ShownText = text;
    for (bool links : {false, true}) {
        for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const THotLink* link = nullptr;
            for (const THotLink& candidate : HotLinks)
                link = candidate.Window == child ? &candidate : link;
            // Only the windows the box adds: the dialog's own controls have identifiers.
            if (GetDlgCtrlID(child) != 0 || (link != nullptr) != links)
                continue;
            RECT rect = {};
            GetWindowRect(child, &rect);
            POINT at = {rect.left + 2, rect.top + 2};
            ScreenToClient(about, &at);
            SendMessageW(about, WM_PARENTNOTIFY, WM_LBUTTONDOWN, MAKELPARAM(at.x, at.y));
            if (link) {
                Expected += WideToUtf8(link->Url) + "\r\n";
                WaitForBrowser();
            }
        }
    }
    SendMessageW(about, WM_COMMAND, IDOK, 0);
}

}  // namespace

TEST_CASE("the about box shows the product key and its links open their pages through the browser command")
{
    TSandbox box;
    CHECK(OpenUrl(L"https://qz.example/") == NoBrowserCommand);
    SetRegText(HKEY_LOCAL_MACHINE, Product::RegKey, L"RootDir", L"C:\\Qz Orvane");
    Opened = box / L"opened.txt";
    SetRegText(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", L"", L"cmd.exe /c echo %1>>\"" + Opened + L"\"");

    const UINT_PTR timer = SetTimer(nullptr, 0, 20, InspectAboutBox);
    Execute(nullptr);
    KillTimer(nullptr, timer);
    CHECK(ShownText == std::wstring(Product::Name) + L"\r\n Install directory: C:\\Qz Orvane\r\n");
    CHECK(std::count(Expected.begin(), Expected.end(), '\n') == HotLinkCount);
    CHECK(Recorded == Expected);
}
