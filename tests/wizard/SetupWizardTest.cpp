// The real setup.exe without switches, driven from outside as a user would:
// messages to the windows of its process, the product's whole script against
// fake IDEs, and the next start reading that installation back.
#include "tests/common/TestEnv.h"

#include <vector>

#include "catalogue/Catalogue.h"
#include "support/Handles.h"
#include "support/Utils.h"
#include "tests/fakeide/FakeIde.h"
#include "tests/harness/FakeIdeSet.h"
#include "tests/wizard/WizardDriver.h"

namespace {

// Catalogue entries: Delphi 3 gets unchecked; Delphi 7 (dcc32), C++Builder 6
// (make) and RAD Studio XE2 (dcc32 and dcc64) are installed.
constexpr int Delphi3 = 1;
constexpr int CBuilder6 = 8;
constexpr int Delphi7 = 9;
constexpr int XE2 = 16;
constexpr uint32_t FakeVersions = 0x1 | 0x80 | 0x100 | 0x8000;
constexpr int RowDelphi3 = 23;

const std::wstring UninstallKey = std::wstring(Product::UninstallRoot) + Product::UninstallKeyName;
const std::wstring PackageDescription = L"Trial version of Orvane library v4.07";

std::wstring WindowText(HWND window)
{
    wchar_t text[4096] = {};
    GetWindowTextW(window, text, 4096);
    return text;
}

// Visible dialog windows of a process: the wizard, its message boxes and the
// folder browser.
std::vector<HWND> DialogsOf(DWORD processId)
{
    struct TSearch {
        DWORD ProcessId;
        std::vector<HWND> Found;
    } search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<TSearch*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t cls[16] = {};
            GetClassNameW(window, cls, 16);
            if (owner == s.ProcessId && IsWindowVisible(window) && lstrcmpW(cls, L"#32770") == 0)
                s.Found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// One setup.exe started without switches, and its wizard dialog.
class TSetupRun {
public:
    TSetupRun()
    {
        std::wstring line = QuotePath(BinPath(L"setup.exe"));
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION raw = {};
        REQUIRE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &raw));
        FProcess.Take(raw);
        const std::wstring caption = L"Installation Wizard for Orvane library v4.07";
        if (!WaitUntil([&] { return (FDialog = Find(caption)) != nullptr; }, 20000))
            TerminateProcess(FProcess.Process.Get(), 1);
        REQUIRE(FDialog);
    }
    ~TSetupRun()
    {
        if (WaitForSingleObject(FProcess.Process.Get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(FProcess.Process.Get(), 1);
            WaitForSingleObject(FProcess.Process.Get(), 5000);
        }
    }
    TSetupRun(const TSetupRun&) = delete;
    TSetupRun& operator=(const TSetupRun&) = delete;

    HWND Dialog() const { return FDialog; }
    HWND Item(int id) const { return GetDlgItem(FDialog, id); }
    // WM_GETTEXT: an edit's text is not the window text other processes see.
    std::wstring Text(int id) const
    {
        wchar_t text[1024] = {};
        SendMessageTimeoutW(Item(id), WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000, nullptr);
        return text;
    }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Visible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
    // A click that returns once the wizard has handled it (a page switch).
    bool Press(int id) const
    {
        return SendMessageTimeoutW(Item(id), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, nullptr) != 0;
    }
    // A click the program takes in its own time, for one that opens a window
    // with a loop of its own.
    void Click(int id) const { PostMessageW(Item(id), BM_CLICK, 0, 0); }
    // The visible dialog of the process with this caption, or any but the
    // wizard for an empty caption.
    HWND Find(const std::wstring& caption) const
    {
        for (HWND window : DialogsOf(FProcess.ProcessId))
            if (caption.empty() ? window != FDialog : WindowText(window) == caption)
                return window;
        return nullptr;
    }
    HWND WaitForOther(DWORD timeoutMs) const
    {
        HWND other = nullptr;
        WaitUntil([&] { return (other = Find(L"")) != nullptr; }, timeoutMs);
        return other;
    }
    bool Ended() const { return WaitForSingleObject(FProcess.Process.Get(), 0) == WAIT_OBJECT_0; }
    // The exit code once the process has ended, ~0u when it did not in time.
    DWORD ExitCode(DWORD timeoutMs) const
    {
        DWORD code = ~0u;
        if (WaitForSingleObject(FProcess.Process.Get(), timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(FProcess.Process.Get(), &code);
        return code;
    }

private:
    TProcessInfo FProcess;
    HWND FDialog = nullptr;
};

uint32_t ProductInt(const wchar_t* name)
{
    uint32_t value = 0xDEADBEEF;
    RegReadInt(HKEY_LOCAL_MACHINE, Product::RegKey, name, value);
    return value;
}

bool ListHas(const std::wstring& list, const std::wstring& entry)
{
    return (L";" + LowerCase(list) + L";").find(L";" + LowerCase(entry) + L";") != std::wstring::npos;
}

DWORD ValueCount(HKEY root, const std::wstring& key)
{
    TRegKey handle;
    DWORD count = ~0u;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, handle.Put()) == ERROR_SUCCESS)
        RegQueryInfoKeyW(handle.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                         nullptr, nullptr, nullptr);
    return count;
}

// No product key, uninstall entry or fake IDEs before and after. An
// installation left behind goes through its own uninstaller; the run-time
// packages in the system folder, which that leaves, go when they are new.
class TMachine {
public:
    TMachine(const std::wstring& installDir, const std::wstring& ideRoot) : FInstallDir(installDir), FIdeRoot(ideRoot)
    {
        for (const TPackageTarget& target : PackageTargets)
            if (target.DirKind == 6 && !PathExists(CombinePath(GetKindDir(6), target.Name)))
                FNewPackages.push_back(CombinePath(GetKindDir(6), target.Name));
        Clean();
    }
    ~TMachine()
    {
        std::wstring quiet;
        if (RegReadStr(HKEY_LOCAL_MACHINE, UninstallKey, L"QuietUninstallString", quiet))
            RunProcess(quiet);
        for (const std::wstring& path : FNewPackages)
            DeleteFileW(path.c_str());
        Clean();
    }

private:
    void Clean() const
    {
        RemoveTree(FInstallDir);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, UninstallKey.c_str());
        RegDeleteKeyTree(HKEY_LOCAL_MACHINE, Product::RegKey);
        RemoveFakeIdes(FakeVersions, FIdeRoot);
    }
    std::wstring FInstallDir;
    std::wstring FIdeRoot;
    std::vector<std::wstring> FNewPackages;
};

// Script error boxes of the setup process are failures: their text is
// reported and they are answered so that the run goes on.
bool WaitForFinishPage(const TSetupRun& setup, DWORD timeoutMs)
{
    return WaitUntil(
        [&] {
            if (HWND box = setup.Find(L"")) {
                FAIL_CHECK("message box during the script: " << Narrow(WindowText(box)) << ": "
                                                             << Narrow(WindowText(GetDlgItem(box, 0xFFFF))));
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                Sleep(200);
            }
            return setup.Ended() || WindowText(setup.Item(IDCANCEL)) == L"Finish";
        },
        timeoutMs);
}

}  // namespace

TEST_SUITE("setup")
{
TEST_CASE("a whole installation through setup.exe's wizard, then the next start presets from it")
{
    TScratchDir scratch(L"setup");
    const std::wstring ideRoot = scratch / L"ides";
    const std::wstring installDir = scratch / L"Orvane";
    TMachine machine(installDir, ideRoot);
    REQUIRE(MakeFakeIdes(FakeVersions, ideRoot));

    std::vector<bool> installedRows(CustomizeCount);
    uint32_t versions = 0;
    uint32_t items = 0;
    {
        TSetupRun setup;
        CHECK_FALSE(setup.Enabled(IDC_BACK));
        CHECK(setup.Enabled(IDC_NEXT));

        REQUIRE(setup.Press(IDC_NEXT));
        const HWND list = setup.Item(IDC_VERSIONS);
        for (int row = 0; row < CustomizeCount; ++row) {
            CAPTURE(row);
            const uint32_t ide = CustomizeList[row].IdeMask;
            const bool usable = ide == 0 || (ide & FakeVersions) != 0;
            CHECK(RowChecked(list, row) == usable);
            CHECK(RowEnabled(list, row) == usable);
        }
        ClickRow(list, RowDelphi3);
        CHECK_FALSE(RowChecked(list, RowDelphi3));
        for (int row = 0; row < CustomizeCount; ++row)
            if ((installedRows[row] = RowChecked(list, row))) {
                items |= CustomizeList[row].ItemBit;
                versions |= CustomizeList[row].IdeMask;
            }
        CHECK(versions == (0x80 | 0x100 | 0x8000));

        REQUIRE(setup.Press(IDC_NEXT));
        const std::wstring proposed = setup.Text(IDC_DIRECTORY);
        CHECK(proposed == ideRoot + L"\\Orvane");  // beside the fake IDEs
        RECT button = {};
        GetWindowRect(setup.Item(IDC_BROWSE), &button);
        setup.Click(IDC_BROWSE);
        const HWND browser = setup.WaitForOther(10000);
        REQUIRE(browser);
        CHECK(GetWindow(browser, GW_OWNER) == setup.Dialog());
        RECT placed = {}, work = {};
        GetWindowRect(browser, &placed);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        CHECK(placed.right == button.right);
        const int height = placed.bottom - placed.top;
        CHECK(placed.top == (button.bottom + 1 + height > work.bottom ? work.bottom - height : button.bottom + 1));
        PostMessageW(GetDlgItem(browser, IDCANCEL), BM_CLICK, 0, 0);
        CHECK(WaitUntil([&] { return !IsWindow(browser); }, 10000));
        CHECK(setup.Text(IDC_DIRECTORY) == proposed);

        SendMessageW(setup.Item(IDC_DIRECTORY), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(installDir.c_str()));
        REQUIRE(setup.Press(IDC_NEXT));
        CHECK(setup.Text(IDC_NEXT) == L"Start");
        setup.Click(IDC_NEXT);
        const DWORD start = GetTickCount();
        REQUIRE(WaitForFinishPage(setup, 300000));
        MESSAGE("the script ran for " << (GetTickCount() - start) / 1000.0 << " s");
        REQUIRE_FALSE(setup.Ended());
        CHECK(setup.Text(IDCANCEL) == L"Finish");

        // What the script and the finish page left, before Finish is clicked.
        for (const wchar_t* file : {L"untwk.exe", L"uninst.log", L"Source\\qzl.inc", L"Source\\qzlabout.dll",
                                    L"Delphi7\\qzl70.bpl", L"Delphi7\\dclqzl70.bpl", L"CBuilder6\\qzl60.bpl",
                                    L"CBuilder6\\dclqzl60.bpl", L"RADStudio9\\Win32\\qzl160.bpl",
                                    L"RADStudio9\\Win32\\dclqzl160.bpl", L"RADStudio9\\Win64\\qzl160.bpl"})
            CHECK_MESSAGE(FileExists(CombinePath(installDir, file)), Narrow(file));
        for (const wchar_t* package : {L"qzl70.bpl", L"qzl60.bpl", L"qzl160.bpl"})
            CHECK_MESSAGE(FileExists(CombinePath(GetKindDir(6), package)), Narrow(package));
        CHECK_FALSE(PathExists(installDir + L"\\delphi3"));

        // The chosen IDEs know the design-time packages and search the
        // installation's folders; the unchecked one is as it was.
        const auto ide = [](int entry, const std::wstring& key, const std::wstring& name) {
            return RegText(HKEY_CURRENT_USER, IdeByIndex(entry)->RegKey + key, name);
        };
        CHECK(ide(Delphi7, L"\\Known Packages", installDir + L"\\Delphi7\\dclqzl70.bpl") == PackageDescription);
        CHECK(ListHas(ide(Delphi7, L"\\Library", L"Search Path"), installDir + L"\\Delphi7"));
        CHECK(ide(CBuilder6, L"\\Known Packages", installDir + L"\\CBuilder6\\dclqzl60.bpl") == PackageDescription);
        CHECK(ListHas(ide(CBuilder6, L"\\Library", L"Search Path"), installDir + L"\\Source"));
        CHECK(ide(XE2, L"\\Known Packages", installDir + L"\\RADStudio9\\Win32\\dclqzl160.bpl") == PackageDescription);
        CHECK(ListHas(ide(XE2, L"\\Library\\Win32", L"Search Path"), installDir + L"\\RADStudio9\\Win32"));
        CHECK(ListHas(ide(XE2, L"\\Library\\Win64", L"Search Path"), installDir + L"\\RADStudio9\\Win64"));
        CHECK(ValueCount(HKEY_CURRENT_USER, IdeByIndex(Delphi3)->RegKey + std::wstring(L"\\Known Packages")) == 0);
        CHECK(ide(Delphi3, L"\\Library", L"SearchPath") == FakeIdeSearchPath(Delphi3));

        const std::wstring untwk = QuotePath(installDir + L"\\untwk.exe");
        const std::wstring log = QuotePath(installDir + L"\\uninst.log");
        CHECK(RegText(HKEY_LOCAL_MACHINE, UninstallKey, L"UninstallString") == untwk + L" " + log);
        CHECK(RegText(HKEY_LOCAL_MACHINE, UninstallKey, L"QuietUninstallString") == untwk + L" /SILENT " + log);

        CHECK(ProductInt(Product::ValInstallVersions) == versions);
        CHECK(ProductInt(Product::ValInstallItems) == items);
        CHECK(RegText(HKEY_LOCAL_MACHINE, Product::RegKey, Product::ValRootDir) == installDir);
        CHECK(RegText(HKEY_LOCAL_MACHINE, Product::RegKey, Product::ValVersion) == std::wstring(L"4.07"));
        CHECK(RegText(HKEY_LOCAL_MACHINE, Product::RegKey, Product::ValType) == std::wstring(L"trial version"));
        wchar_t today[80] = {};
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, today, 80);
        CHECK(RegText(HKEY_LOCAL_MACHINE, Product::RegKey, Product::ValInstallDate) == std::wstring(today));
        CHECK(ProductInt(Product::ValCustomizeItems) == 5);

        setup.Click(IDCANCEL);  // "Finish": no question
        CHECK(setup.ExitCode(10000) == 0);
    }
    {
        TSetupRun setup;
        REQUIRE(setup.Press(IDC_NEXT));
        CHECK(setup.Text(IDC_TEXT).rfind(L"The previous version of Orvane library was found.", 0) == 0);
        for (int row = 0; row < CustomizeCount; ++row) {
            CAPTURE(row);
            CHECK(RowChecked(setup.Item(IDC_VERSIONS), row) == static_cast<bool>(installedRows[row]));
        }
        REQUIRE(setup.Press(IDC_NEXT));
        CHECK(setup.Text(IDC_DIRECTORY) == installDir);

        setup.Click(IDCANCEL);
        const HWND question = setup.WaitForOther(10000);
        REQUIRE(question);
        CHECK(WindowText(question) == L"Install");
        CHECK(WindowText(GetDlgItem(question, 0xFFFF)) == L"Are you sure you want to cancel the install?");
        PostMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
        CHECK(setup.ExitCode(10000) == 0);
    }

    std::wstring quiet;
    REQUIRE(RegReadStr(HKEY_LOCAL_MACHINE, UninstallKey, L"QuietUninstallString", quiet));
    CHECK(RunProcess(quiet) == 0);
    CHECK(WaitUntil([&] { return !PathExists(installDir); }, 10000));
}
}
