// The 64-bit qzlabout.dll under Wine: Execute shows the about box with the
// product key's data and the three links, and the links open through the
// registered browser command (a recorder here, never a real browser).
#include "aboutbox/HotLabel.h"

#include "tests/common/TestEnv.h"

#include "support/Handles.h"

#include <vector>

namespace {

const wchar_t* const ProductKey = L"Software\\Tarnwick\\Orvane library";
const wchar_t* const BrowserKey = L"http\\shell\\open\\command";

// Puts one registry value back as it was (or removes it, or the key the test
// created) when the test ends.
class TRegValueGuard {
public:
    TRegValueGuard(HKEY root, const wchar_t* subKey, const wchar_t* name)
        : FRoot(root), FSubKey(subKey), FName(name ? name : L""), FKeyExisted(RegKeyExists(root, subKey))
    {
        DWORD size = 0;
        if (RegGetValueW(root, subKey, name, RRF_RT_ANY | RRF_NOEXPAND, &FType, nullptr, &size) == ERROR_SUCCESS) {
            FData.resize(size);
            FValueExisted = RegGetValueW(root, subKey, name, RRF_RT_ANY | RRF_NOEXPAND, &FType, FData.data(),
                                         &size) == ERROR_SUCCESS;
        }
    }
    ~TRegValueGuard()
    {
        if (!FKeyExisted)
            RegDeleteTreeW(FRoot, FSubKey.c_str());
        else if (FValueExisted)
            SetRegValue(FRoot, FSubKey, FName.c_str(), FType, FData.data(), static_cast<DWORD>(FData.size()));
        else
            RegDeleteKeyValueW(FRoot, FSubKey.c_str(), FName.c_str());
    }
    TRegValueGuard(const TRegValueGuard&) = delete;
    TRegValueGuard& operator=(const TRegValueGuard&) = delete;

private:
    HKEY FRoot;
    std::wstring FSubKey;
    std::wstring FName;
    bool FKeyExisted;
    bool FValueExisted = false;
    DWORD FType = 0;
    std::vector<BYTE> FData;
};

void SetDword(const wchar_t* name, DWORD value)
{
    REQUIRE(SetRegValue(HKEY_LOCAL_MACHINE, ProductKey, name, REG_DWORD, &value, sizeof value));
}

std::wstring WindowText(HWND window)
{
    wchar_t buffer[1024] = L"";
    GetWindowTextW(window, buffer, 1024);
    return buffer;
}

std::wstring ClassOf(HWND window)
{
    wchar_t buffer[256] = L"";
    GetClassNameW(window, buffer, 256);
    return buffer;
}

bool ClassRegistered(HMODULE dll)
{
    WNDCLASSW wc{};
    return GetClassInfoW(dll, HotLabelClass, &wc) != FALSE;
}

// The lines the recorder wrote, waiting up to 15 s for at least one.
std::vector<std::wstring> RecordedUrls(const std::wstring& log)
{
    WaitUntil([&] { return !ReadUtf16File(log).empty(); }, 15000);
    Sleep(300);  // a second, wrong launch would show up by now
    return ReadUtf16Lines(log);
}

// What the timer saw while the about box was open.
struct TSeen {
    int Dialogs = 0;
    std::wstring Caption;
    std::wstring ProductText;
    bool ClassRegistered = false;
    std::vector<std::wstring> LinkTexts;
    std::vector<std::wstring> PlainTexts;
    int LinkStyle = -1;
    int PlainStyle = -1;
    bool OkClosed = true;
};

struct TRun {
    HMODULE Dll = nullptr;
    bool Click = false;
    TSeen Seen;
    HWND Dialog = nullptr;
};
TRun* GRun = nullptr;

BOOL CALLBACK FindThreadDialog(HWND window, LPARAM found)
{
    if (IsWindowVisible(window) && ClassOf(window) == L"#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM)
{
    TSeen& seen = GRun->Seen;
    const std::wstring cls = ClassOf(child);
    if (cls == HotLabelClass)
        seen.LinkTexts.push_back(WindowText(child));
    else if (GetDlgCtrlID(child) == 0 && lstrcmpiW(cls.c_str(), L"Static") == 0)
        seen.PlainTexts.push_back(WindowText(child));
    return TRUE;
}

HWND ChildWithText(HWND dialog, const wchar_t* text)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowText(child) == text)
            return child;
    return nullptr;
}

// How the dialog colours the control: 1 for dark blue text, 2 for no
// background.
int LinkStyle(HWND dialog, HWND child, HDC dc)
{
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkMode(dc, OPAQUE);
    const LRESULT brush =
        SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
    return (GetTextColor(dc) == RGB(0, 0, 0x8F) ? 1 : 0) +
           (GetBkMode(dc) == TRANSPARENT && brush == reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)) ? 2 : 0);
}

// A click where the child lies, as the dialog hears of it.
void ClickAt(HWND dialog, const wchar_t* text)
{
    RECT rect{};
    GetWindowRect(ChildWithText(dialog, text), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageW(dialog, WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, 0), at);
}

void Inspect(HWND dialog)
{
    TSeen& seen = GRun->Seen;
    seen.Caption = WindowText(dialog);
    seen.ProductText = WindowText(GetDlgItem(dialog, 2));
    seen.ClassRegistered = ClassRegistered(GRun->Dll);
    EnumChildWindows(dialog, CollectChild, 0);

    HWND link = ChildWithText(dialog, L"Main page");
    HWND plain = ChildWithText(dialog, L" on Tarnwick server.");
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc && link && plain) {
        seen.LinkStyle = LinkStyle(dialog, link, dc);
        seen.PlainStyle = LinkStyle(dialog, plain, dc);
    }
    if (dc)
        DeleteDC(dc);
    if (GRun->Click && seen.PlainTexts.size() == 3 && seen.LinkTexts.size() == 3) {
        ClickAt(dialog, L"Questions: ");
        ClickAt(dialog, L"support forum");
    }
}

VOID CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindThreadDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog)
        return;
    if (dialog == GRun->Dialog) {  // OK was pressed but the box stayed
        GRun->Seen.OkClosed = false;
        KillTimer(nullptr, timer);
        EndDialog(dialog, IDCANCEL);
        return;
    }
    GRun->Dialog = dialog;
    ++GRun->Seen.Dialogs;
    if (WindowText(dialog) == L"About Orvane library")
        Inspect(dialog);
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

using TExecute = void (*)(HWND);

TSeen RunExecute(TExecute execute, HMODULE dll, bool click)
{
    TRun run;
    run.Dll = dll;
    run.Click = click;
    GRun = &run;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, Tick);
    execute(nullptr);
    KillTimer(nullptr, timer);
    GRun = nullptr;
    return run.Seen;
}

}  // namespace

TEST_CASE("Execute shows the about box with the product key's data, twice in one process")
{
    TRegValueGuard version(HKEY_LOCAL_MACHINE, ProductKey, L"Version");
    TRegValueGuard type(HKEY_LOCAL_MACHINE, ProductKey, L"Type");
    TRegValueGuard rootDir(HKEY_LOCAL_MACHINE, ProductKey, L"RootDir");
    TRegValueGuard versions(HKEY_LOCAL_MACHINE, ProductKey, L"InstallVersions");
    TRegValueGuard browser(HKEY_CLASSES_ROOT, BrowserKey, nullptr);
    TScratchDir scratch(L"about");
    const std::wstring log = scratch / L"urls.txt";
    REQUIRE(SetRegText(HKEY_CLASSES_ROOT, BrowserKey, nullptr,
                       L"\"" + BinPath(L"qz_urlrecorder.exe") + L"\" \"" + log + L"\" \"%1\""));
    REQUIRE(SetRegText(HKEY_LOCAL_MACHINE, ProductKey, L"Version", L"4.07"));
    REQUIRE(SetRegText(HKEY_LOCAL_MACHINE, ProductKey, L"Type", L"trial version"));
    REQUIRE(SetRegText(HKEY_LOCAL_MACHINE, ProductKey, L"RootDir", L"C:\\Orvane"));
    SetDword(L"InstallVersions", 0x101);

    TModule dll(LoadLibraryW(BinPath(L"qzlabout.dll").c_str()));
    REQUIRE(dll);
    const auto execute = reinterpret_cast<TExecute>(reinterpret_cast<void*>(GetProcAddress(dll.Get(), "Execute")));
    const bool exported = execute != nullptr;
    REQUIRE(exported);
    CHECK_FALSE(ClassRegistered(dll.Get()));

    const TSeen first = RunExecute(execute, dll.Get(), true);
    CHECK(first.Dialogs == 1);
    CHECK(first.OkClosed);
    CHECK(first.Caption == L"About Orvane library");
    CHECK(first.ProductText ==
          L"Orvane library\r\n trial version 4.07\r\n Install directory: C:\\Orvane\r\n Install in: Delphi3,Delphi7");
    CHECK(first.ClassRegistered);
    CHECK_FALSE(ClassRegistered(dll.Get()));
    CHECK(first.LinkTexts == std::vector<std::wstring>{L"Main page", L"Order", L"support forum"});
    CHECK(first.PlainTexts ==
          std::vector<std::wstring>{L" on Tarnwick server.", L" the full version online.", L"Questions: "});
    // Links are dark blue on no background; plain texts keep the default colours.
    CHECK(first.LinkStyle == 3);
    CHECK(first.PlainStyle == 0);
    // The click on the link opened its page through the browser command; the
    // click on its plain text opened nothing.
    CHECK(RecordedUrls(log) == std::vector<std::wstring>{L"https://www.tarnwick.example/forum/orvane/"});

    // A second call reads the key again.
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, ProductKey, L"Type");
    SetDword(L"InstallVersions", 0);
    const TSeen second = RunExecute(execute, dll.Get(), false);
    CHECK(second.Dialogs == 1);
    CHECK(second.OkClosed);
    CHECK(second.ProductText == L"Orvane library\r\n Install directory: C:\\Orvane\r\n Install in: ");
    CHECK(second.ClassRegistered);
    CHECK_FALSE(ClassRegistered(dll.Get()));
}

TEST_CASE("OpenUrl reports a browser command that cannot start, or none")
{
    TRegValueGuard browser(HKEY_CLASSES_ROOT, BrowserKey, nullptr);
    TScratchDir scratch(L"openurl");
    const std::wstring command = L"\"" + (scratch / L"missing.exe") + L"\" \"%1\"";
    REQUIRE(SetRegText(HKEY_CLASSES_ROOT, BrowserKey, nullptr, command));
    const DWORD result = OpenUrl(L"https://www.tarnwick.example/");
    CHECK(result != 0);
    CHECK(result != NoBrowserCommand);

    REQUIRE(SetRegText(HKEY_CLASSES_ROOT, BrowserKey, nullptr, command, REG_EXPAND_SZ));
    CHECK(OpenUrl(L"https://www.tarnwick.example/") == NoBrowserCommand);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, BrowserKey);
    CHECK(OpenUrl(L"https://www.tarnwick.example/") == NoBrowserCommand);
}
