// The wizard frame and its pages, driven through the real dialog.
#include "tests/common/TestEnv.h"

#include <vector>

#include "catalogue/Catalogue.h"
#include "support/Handles.h"
#include "support/SharedState.h"
#include "support/Utils.h"
#include "tests/harness/FakeIdeSet.h"
#include "tests/wizard/WizardDriver.h"

namespace {

// Rows of the selection list.
constexpr int RowXE2 = 12;
constexpr int RowDelphi7 = 19;
constexpr int RowHelp = 27;
constexpr int RowDelphiDemos = 28;
constexpr int RowBuilderDemos = 29;

const wchar_t* const CancelQuestion = L"Are you sure you want to cancel the install?";
const wchar_t* const CurrentVersionKey = L"Software\\Microsoft\\Windows\\CurrentVersion";

void ForgetPreviousInstall() { RegDeleteKeyTree(HKEY_LOCAL_MACHINE, Product::RegKey); }

// Delphi 7 and RAD Studio XE2 installed for the life of the object.
class TFakeIdes {
public:
    TFakeIdes() { CHECK(MakeFakeIdes(Versions, Root())); }
    ~TFakeIdes() { RemoveFakeIdes(Versions, Root()); }
    std::wstring Root() const { return FDir.Path(); }

private:
    static constexpr uint32_t Versions = 0x100 | 0x8000;
    TScratchDir FDir{L"ides"};
};

// Takes "ProgramFilesDir" away for one test.
class TNoProgramFiles {
public:
    TNoProgramFiles()
    {
        FHad = RegReadStr(HKEY_LOCAL_MACHINE, CurrentVersionKey, L"ProgramFilesDir", FValue);
        RegRemoveValue(HKEY_LOCAL_MACHINE, CurrentVersionKey, L"ProgramFilesDir");
    }
    ~TNoProgramFiles()
    {
        if (FHad)
            RegWriteStr(HKEY_LOCAL_MACHINE, CurrentVersionKey, L"ProgramFilesDir", FValue);
    }

private:
    bool FHad = false;
    std::wstring FValue;
};

}  // namespace

TEST_CASE("welcome page: caption, buttons and text")
{
    ForgetPreviousInstall();
    TWizardRun wizard;
    REQUIRE(wizard.Dialog());
    SaveScreenshot(wizard.Dialog(), L"1-welcome");

    CHECK(wizard.Page() == 1);
    wchar_t caption[128] = {};
    GetWindowTextW(wizard.Dialog(), caption, 128);
    CHECK(std::wstring(caption) == L"Installation Wizard for Orvane library v4.07");
    CHECK_FALSE(wizard.Enabled(IDC_BACK));
    CHECK(wizard.Enabled(IDC_NEXT));
    CHECK(wizard.Text(IDC_TEXT).rfind(L"Welcome to the Orvane library Setup program. This program will install "
                                      L"trial version of Orvane library v4.07 on you computer.\r\n\r\n",
                                      0) == 0);
    for (int hidden : {IDC_DIRECTORY, IDC_BROWSE, IDC_VERSIONS, IDC_CUSTOMIZE, IDC_PROGRESS, IDC_STATUS})
        CHECK_FALSE(wizard.Visible(hidden));
}

namespace {

// The browser command of the maker page's scheme, the URL recorder for the
// life of the object.
class TRecordingBrowser {
public:
    explicit TRecordingBrowser(const std::wstring& log)
    {
        const std::wstring url = Product::MakerUrl;
        FKey = url.substr(0, url.find(L':')) + L"\\shell\\open\\command";
        DWORD size = 0;
        if (RegGetValueW(HKEY_CLASSES_ROOT, FKey.c_str(), nullptr, RRF_RT_ANY | RRF_NOEXPAND, &FType, nullptr,
                         &size) == ERROR_SUCCESS) {
            FOld.resize(size);
            FHad = RegGetValueW(HKEY_CLASSES_ROOT, FKey.c_str(), nullptr, RRF_RT_ANY | RRF_NOEXPAND, &FType,
                                FOld.data(), &size) == ERROR_SUCCESS;
        }
        REQUIRE(RegWriteStr(HKEY_CLASSES_ROOT, FKey, L"",
                            QuotePath(BinPath(L"qz_urlrecorder.exe")) + L" \"" + log + L"\" \"%1\""));
    }
    ~TRecordingBrowser()
    {
        if (FHad)
            RegSetKeyValueW(HKEY_CLASSES_ROOT, FKey.c_str(), nullptr, FType, FOld.data(),
                            static_cast<DWORD>(FOld.size()));
        else
            RegRemoveValue(HKEY_CLASSES_ROOT, FKey, L"");
    }

private:
    std::wstring FKey;
    bool FHad = false;
    DWORD FType = 0;
    std::vector<BYTE> FOld;
};

// What the recorder wrote, once a launch still on its way has had time to.
std::wstring RecordedUrls(const std::wstring& log)
{
    Pump(1000);
    return ReadUtf16File(log);
}

// A left press at a client point of the dialog, as the system reports it to
// the parent of the child under it.
DWORD PressAt(HWND dialog, POINT at)
{
    const DWORD now = GetTickCount();
    SendMessageW(dialog, WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, 0), MAKELPARAM(at.x, at.y));
    return now;
}

void WaitUntilTick(DWORD tick)
{
    while (static_cast<int>(GetTickCount() - tick) < 0)
        Sleep(5);
}

}  // namespace

TEST_CASE("maker link: left of the buttons, hand cursor, dark blue, opens the maker's page at most once in 500 ms")
{
    ForgetPreviousInstall();
    TScratchDir scratch(L"link");
    const std::wstring log = scratch / L"urls.txt";
    TRecordingBrowser browser(log);
    TWizardRun wizard;
    const HWND link = Wizard.LinkHandle;
    REQUIRE(link);

    wchar_t cls[32] = {};
    GetClassNameW(link, cls, 32);
    CHECK(std::wstring(cls) == L"QZ_ILABEL");
    RECT linkRect = {}, back = {};
    GetWindowRect(link, &linkRect);
    GetWindowRect(wizard.Item(IDC_BACK), &back);
    MapWindowPoints(nullptr, wizard.Dialog(), reinterpret_cast<POINT*>(&linkRect), 2);
    MapWindowPoints(nullptr, wizard.Dialog(), reinterpret_cast<POINT*>(&back), 2);
    CHECK(linkRect.left == 30);
    CHECK(linkRect.top == back.top + 4);

    CHECK(reinterpret_cast<HCURSOR>(GetClassLongPtrW(link, GCLP_HCURSOR)) == LoadCursorW(nullptr, IDC_HAND));
    {
        TWindowDC dc(link);
        const LRESULT brush = SendMessageW(wizard.Dialog(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()),
                                           reinterpret_cast<LPARAM>(link));
        CHECK(GetTextColor(dc.Get()) == RGB(0, 0, 192));
        CHECK(GetBkMode(dc.Get()) == TRANSPARENT);
        CHECK(reinterpret_cast<HGDIOBJ>(brush) == GetStockObject(NULL_BRUSH));
    }

    // Pressed at 0, 300 and 600 ms: the second press falls within the
    // guard and does not lengthen it, the third opens the page again.
    const POINT onLink = {(linkRect.left + linkRect.right) / 2, (linkRect.top + linkRect.bottom) / 2};
    const DWORD first = PressAt(wizard.Dialog(), onLink);
    WaitUntilTick(first + 300);
    const DWORD second = PressAt(wizard.Dialog(), onLink);
    WaitUntilTick(first + 600);
    const DWORD third = PressAt(wizard.Dialog(), onLink);
    REQUIRE(second - first < 500);  // else the first opening took too long to tell
    REQUIRE(third - second < 500);
    const std::wstring maker = std::wstring(Product::MakerUrl) + L"\r\n" + Product::MakerUrl + L"\r\n";
    CHECK(RecordedUrls(log) == maker);

    // Beside the link, long after the last opening: nothing.
    WaitUntilTick(third + 1000);
    PressAt(wizard.Dialog(), {linkRect.right + 10, onLink.y});
    CHECK(RecordedUrls(log) == maker);
}

TEST_CASE("Cancel asks on pages 1 to 4; No keeps the wizard, Yes ends it")
{
    ForgetPreviousInstall();
    TWizardRun wizard;
    for (int page = 1; page <= 4; ++page) {
        CAPTURE(page);
        REQUIRE(wizard.Page() == page);
        {
            TBoxWatch watch(IDNO);
            wizard.Click(IDCANCEL);
            CHECK(watch.Seen == 1);
            CHECK(watch.Caption == L"Install");
            CHECK(watch.Text == CancelQuestion);
        }
        CHECK(IsWindowVisible(wizard.Dialog()));
        CHECK(wizard.Page() == page);
        if (page < 4)
            wizard.Click(IDC_NEXT);
    }
    TBoxWatch watch(IDYES);
    SendMessageW(wizard.Dialog(), WM_COMMAND, IDCANCEL, 0);  // Escape and the close box
    CHECK(watch.Seen == 1);
    CHECK_FALSE(IsWindowVisible(wizard.Dialog()));
}

TEST_CASE("selection page presets")
{
    ForgetPreviousInstall();

    SUBCASE("no IDE installed: only the three extra rows are checked")
    {
        TWizardRun wizard;
        wizard.Click(IDC_NEXT);
        REQUIRE(wizard.Page() == 2);
        CHECK(wizard.Visible(IDC_VERSIONS));
        CHECK_FALSE(wizard.Visible(IDC_CUSTOMIZE));
        CHECK(wizard.Text(IDC_TEXT) == L"Which versions of Delphi and/or CBuilder will you be installing Orvane library to ?");
        for (int row = 0; row < CustomizeCount; ++row) {
            CAPTURE(row);
            const bool extra = row >= RowHelp;
            CHECK(wizard.RowChecked(row) == extra);
            CHECK(wizard.RowEnabled(row) == extra);
        }
        CHECK(wizard.Enabled(IDC_NEXT));
        CHECK(wizard.Enabled(IDC_BACK));
    }
    SUBCASE("Delphi 7 and RAD Studio XE2 installed")
    {
        TFakeIdes ides;
        TWizardRun wizard;
        wizard.Click(IDC_NEXT);
        SaveScreenshot(wizard.Dialog(), L"2-selection");
        for (int row = 0; row < CustomizeCount; ++row) {
            CAPTURE(row);
            const bool expected = row == RowXE2 || row == RowDelphi7 || row >= RowHelp;
            CHECK(wizard.RowChecked(row) == expected);
            CHECK(wizard.RowEnabled(row) == expected);
        }
    }
    SUBCASE("a previous installation chooses the rows")
    {
        TFakeIdes ides;
        CHECK(RegWriteInt(HKEY_LOCAL_MACHINE, Product::RegKey, Product::ValInstallVersions, 0x100));
        CHECK(RegWriteInt(HKEY_LOCAL_MACHINE, Product::RegKey, Product::ValInstallItems, 0x480));
        CHECK(RegWriteInt(HKEY_LOCAL_MACHINE, Product::RegKey, Product::ValCustomizeItems, 0));
        TWizardRun wizard;
        wizard.Click(IDC_NEXT);
        CHECK(wizard.Text(IDC_TEXT).rfind(L"The previous version of Orvane library was found.", 0) == 0);
        for (int row = 0; row < CustomizeCount; ++row) {
            CAPTURE(row);
            CHECK(wizard.RowChecked(row) == (row == RowDelphi7 || row == RowHelp));
        }
        CHECK(wizard.RowEnabled(RowXE2));  // installed, just not chosen then
        CHECK(Shared.CustomizeItems == 0);  // a stored 0 replaces the initial 5
        ForgetPreviousInstall();
    }
}

TEST_CASE("selection page: Next needs a checked row, checks survive Back and Next")
{
    ForgetPreviousInstall();
    TWizardRun wizard;
    wizard.Click(IDC_NEXT);
    REQUIRE(wizard.Page() == 2);

    wizard.ClickRow(RowHelp);
    wizard.ClickRow(RowDelphiDemos);
    CHECK(wizard.Enabled(IDC_NEXT));
    wizard.ClickRow(RowBuilderDemos);
    CHECK_FALSE(wizard.RowChecked(RowBuilderDemos));
    CHECK_FALSE(wizard.Enabled(IDC_NEXT));
    wizard.ClickRow(RowXE2);  // greyed: no IDE, no toggle
    CHECK_FALSE(wizard.RowChecked(RowXE2));
    CHECK_FALSE(wizard.Enabled(IDC_NEXT));
    wizard.ClickRow(RowDelphiDemos);
    CHECK(wizard.Enabled(IDC_NEXT));

    wizard.Click(IDC_BACK);
    REQUIRE(wizard.Page() == 1);
    CHECK(Shared.InstallItems == 0x100);
    CHECK(Shared.InstallVersions == 0);
    CHECK_FALSE(wizard.Visible(IDC_VERSIONS));
    wizard.Click(IDC_NEXT);
    CHECK_FALSE(wizard.RowChecked(RowHelp));
    CHECK(wizard.RowChecked(RowDelphiDemos));
    CHECK_FALSE(wizard.RowChecked(RowBuilderDemos));
    CHECK(wizard.Enabled(IDC_NEXT));
}

TEST_CASE("Customize dialog: opened by its command, disables the wizard, OK stores the options")
{
    ForgetPreviousInstall();
    TWizardRun wizard;
    wizard.Click(IDC_NEXT);
    bool wizardDisabled = false;
    {
        TBoxWatch watch(0, [&](HWND box) {
            wizardDisabled = !IsWindowEnabled(wizard.Dialog());
            SendMessageW(GetDlgItem(box, IDC_OPTIONS_OK), BM_CLICK, 0, 0);
        });
        watch.ScreenshotName = L"7-customize";
        SendMessageW(wizard.Dialog(), WM_COMMAND, IDC_CUSTOMIZE, 0);
        CHECK(watch.Seen == 1);
        CHECK(watch.Caption == L"Customize...");
    }
    CHECK(wizardDisabled);
    CHECK(IsWindowEnabled(wizard.Dialog()));
    CHECK(Shared.CustomizeItems == 1);  // the one option was checked from bit 0 of 5
    CHECK(CLBArray.Count() == 1);       // the dialog's wrapper is gone again
}

TEST_CASE("directory page proposals")
{
    ForgetPreviousInstall();
    SUBCASE("previous RootDir, whatever IDE is selected")
    {
        TFakeIdes ides;
        CHECK(RegWriteStr(HKEY_LOCAL_MACHINE, Product::RegKey, Product::ValRootDir, L"D:\\Libs\\Orvane"));
        TWizardRun wizard;
        wizard.Click(IDC_NEXT);
        wizard.Click(IDC_NEXT);
        REQUIRE(wizard.Page() == 3);
        CHECK(wizard.Text(IDC_DIRECTORY) == L"D:\\Libs\\Orvane");
        ForgetPreviousInstall();
    }
    SUBCASE("the parent of the first selected IDE")
    {
        TFakeIdes ides;
        TWizardRun wizard;
        wizard.Click(IDC_NEXT);
        wizard.Click(IDC_NEXT);
        SaveScreenshot(wizard.Dialog(), L"3-directory");
        CHECK(wizard.Text(IDC_DIRECTORY) == ides.Root() + L"\\Orvane");
        CHECK(wizard.Visible(IDC_BROWSE));
        CHECK(wizard.Visible(IDC_DEST_GROUP));
        CHECK(GetFocus() == wizard.Item(IDC_DIRECTORY));
    }
    SUBCASE("ProgramFilesDir without an IDE")
    {
        std::wstring programFiles;
        REQUIRE(RegReadStr(HKEY_LOCAL_MACHINE, CurrentVersionKey, L"ProgramFilesDir", programFiles));
        TWizardRun wizard;
        wizard.Click(IDC_NEXT);
        wizard.Click(IDC_NEXT);
        CHECK(wizard.Text(IDC_DIRECTORY) == programFiles + L"\\Orvane");
    }
    SUBCASE("empty when every source fails")
    {
        TNoProgramFiles noProgramFiles;
        TWizardRun wizard;
        wizard.Click(IDC_NEXT);
        wizard.Click(IDC_NEXT);
        CHECK(wizard.Text(IDC_DIRECTORY).empty());
    }
}

TEST_CASE("directory page stores the typed folder with one separator removed")
{
    ForgetPreviousInstall();
    TWizardRun wizard;
    wizard.Click(IDC_NEXT);
    wizard.Click(IDC_NEXT);
    wizard.SetText(IDC_DIRECTORY, L"C:\\Target\\");
    wizard.Click(IDC_NEXT);
    CHECK(wizard.Page() == 4);
    CHECK(Shared.InstallDir == L"C:\\Target");
    wizard.Click(IDC_BACK);
    CHECK(wizard.Text(IDC_DIRECTORY) == L"C:\\Target");
    wizard.SetText(IDC_DIRECTORY, L"C:\\Target\\\\");
    wizard.Click(IDC_NEXT);
    CHECK(Shared.InstallDir == L"C:\\Target\\");

    CHECK(TrimStoredDirectory(L"D:/Work/") == L"D:/Work");
    CHECK(TrimStoredDirectory(std::wstring(300, L'a')).size() == 259);
}

TEST_CASE("directory page refuses destinations the uninstaller would have to delete wholesale")
{
    ForgetPreviousInstall();
    TWizardRun wizard;
    wizard.Click(IDC_NEXT);
    wizard.Click(IDC_NEXT);
    REQUIRE(wizard.Page() == 3);
    wchar_t windows[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring programFiles;
    RegReadStr(HKEY_LOCAL_MACHINE, CurrentVersionKey, L"ProgramFilesDir", programFiles);
    int index = 0;
    for (const std::wstring& refused : {std::wstring(), std::wstring(L"relative\\folder"), std::wstring(L"C:\\"),
                                        std::wstring(windows), std::wstring(windows) + L"\\", std::wstring(system),
                                        programFiles}) {
        CAPTURE(Narrow(refused));
        wizard.SetText(IDC_DIRECTORY, refused);
        TBoxWatch watch(IDOK);
        if (index++ == 2)
            watch.ScreenshotName = L"9-refused";
        wizard.Click(IDC_NEXT);
        CHECK(watch.Seen == 1);
        CHECK(watch.Caption == L"Error");
        CHECK(wizard.Page() == 3);
        CHECK(wizard.Text(IDC_NEXT) == L"&Next >");
    }
    // Back still leaves and stores the text as typed.
    wizard.SetText(IDC_DIRECTORY, L"C:\\");
    wizard.Click(IDC_BACK);
    CHECK(wizard.Page() == 2);
    CHECK(Shared.InstallDir == L"C:");

    wizard.Click(IDC_NEXT);
    wizard.SetText(IDC_DIRECTORY, programFiles + L"\\Orvane");
    TBoxWatch none(IDOK);
    wizard.Click(IDC_NEXT);
    CHECK(none.Seen == 0);
    CHECK(wizard.Page() == 4);
}

TEST_CASE("ready page: Start caption and its restore")
{
    ForgetPreviousInstall();
    TWizardRun wizard;
    for (int i = 0; i < 3; ++i)
        wizard.Click(IDC_NEXT);
    REQUIRE(wizard.Page() == 4);
    SaveScreenshot(wizard.Dialog(), L"4-ready");
    CHECK(wizard.Text(IDC_NEXT) == L"Start");
    CHECK(wizard.Text(IDC_TEXT).rfind(L"You are now ready to install trial version of Orvane library v4.07", 0) == 0);
    wizard.Click(IDC_BACK);
    CHECK(wizard.Page() == 3);
    CHECK(wizard.Text(IDC_NEXT) == L"&Next >");
    wizard.Click(IDC_NEXT);
    CHECK(wizard.Text(IDC_NEXT) == L"Start");
}

TEST_CASE("script error text keeps the whole log text")
{
    CHECK(ScriptErrorText(17, 2, 0x10006, L"Compiling package: x...Fail") ==
          L"Error in ScriptItem=17, ErrorCode=2h ScriptItemId=10006 with text\r\nCompiling package: x...Fail");
    const std::wstring longLog(5000, L'p');
    const std::wstring head = L"Error in ScriptItem=959, ErrorCode=fffffffdh ScriptItemId=ffffffff with text\r\n";
    CHECK(ScriptErrorText(959, -3, 0xFFFFFFFF, longLog) == head + longLog);
}

namespace {
// Creates the Source folder, then fails on a payload that does not exist.
const TScriptItem InstallScript[] = {
    {opCreateFolder, L"Source", 0, 3, nullptr, nullptr, 0, 0, nullptr},
    {opCopyPayloadFile, L"Source\\missing.txt", 59999, 3, nullptr, nullptr, 0, 0, nullptr},
    {opCreateFolder, L"Help", 0, 3, nullptr, nullptr, 0, 0, nullptr},
};
}  // namespace

TEST_CASE("progress page: one error box per failed item, the walk goes on, then the finish page")
{
    ForgetPreviousInstall();
    TScratchDir target(L"target");
    const std::wstring installDir = target / L"Orvane";
    TWizardRun wizard(InstallScript, 3);
    wizard.Click(IDC_NEXT);
    wizard.Click(IDC_NEXT);
    wizard.SetText(IDC_DIRECTORY, installDir);
    wizard.Click(IDC_NEXT);
    REQUIRE(wizard.Page() == 4);

    bool progressShown = false;
    TBoxWatch error(IDOK, [&](HWND box) {
        progressShown = wizard.Page() == 5 && wizard.Visible(IDC_PROGRESS) && !wizard.Enabled(IDC_NEXT);
        SetWindowPos(box, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // out of the picture
        SaveScreenshot(wizard.Dialog(), L"5-progress");
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    error.ScreenshotName = L"8-script-error";
    wizard.Click(IDC_NEXT);  // Start: runs the script, then moves on by itself
    CHECK(error.Seen == 1);
    CHECK(error.Caption == L"Error");
    CHECK(error.Text.rfind(L"Error in ScriptItem=1, ErrorCode=", 0) == 0);
    CHECK(error.Text.find(L"ScriptItemId=8002 with text\r\n") != std::wstring::npos);
    CHECK(progressShown);

    REQUIRE(wizard.Page() == 6);
    SaveScreenshot(wizard.Dialog(), L"6-finish");
    CHECK(DirectoryExists(installDir + L"\\Source"));
    CHECK(DirectoryExists(installDir + L"\\Help"));  // the walk went on after the error
    CHECK(wizard.Text(IDCANCEL) == L"Finish");
    CHECK_FALSE(wizard.Visible(IDC_BACK));
    CHECK_FALSE(wizard.Visible(IDC_NEXT));
    CHECK_FALSE(wizard.Visible(IDC_STATUS));
    CHECK_FALSE(wizard.Visible(IDC_PROGRESS));
    CHECK_FALSE(wizard.Pages().Progress().InDoScript());
    ForgetPreviousInstall();
}

namespace {
const TScriptItem QuietScript[] = {
    {opCreateFolder, L"Source", 0, 3, nullptr, nullptr, 0, 0, nullptr},
};

}  // namespace

TEST_CASE("Start waits for a running chosen IDE: Abort stays, Retry after it closed goes on")
{
    ForgetPreviousInstall();
    TFakeIdes ides;
    TScratchDir target(L"target");
    const std::wstring installDir = target / L"Orvane";
    TWizardRun wizard(QuietScript, 1);
    wizard.Click(IDC_NEXT);  // Delphi 7 and XE2 preset
    wizard.Click(IDC_NEXT);
    wizard.SetText(IDC_DIRECTORY, installDir);
    wizard.Click(IDC_NEXT);
    REQUIRE(wizard.Page() == 4);
    TRunningProgram bds(FakeIdeFolder(ides.Root(), 16) + L"\\bin\\bds.exe");

    {
        TBoxWatch cancel(IDABORT);
        cancel.ScreenshotName = L"10-running-ide";
        wizard.Click(IDC_NEXT);
        CHECK(cancel.Seen == 1);
        CHECK(cancel.Caption == L"Install");
        CHECK(cancel.Text.find(L"RAD Studio XE2 (") != std::wstring::npos);
        CHECK(LowerCase(cancel.Text).find(L"\\bin\\bds.exe)") != std::wstring::npos);
        REQUIRE(wizard.Page() == 4);
        CHECK(wizard.Text(IDC_NEXT) == L"Start");
        CHECK_FALSE(DirectoryExists(installDir));
    }
    {
        // Closed while the question is open: one Retry and the script runs.
        TBoxWatch retry(0, [&](HWND box) {
            bds.End();
            PostMessageW(box, WM_COMMAND, IDRETRY, 0);
        });
        wizard.Click(IDC_NEXT);
        CHECK(retry.Seen == 1);
        CHECK(wizard.Page() == 6);
        CHECK(DirectoryExists(installDir + L"\\Source"));
    }
    TBoxWatch none(IDYES);
    wizard.Click(IDCANCEL);
    ForgetPreviousInstall();
}
