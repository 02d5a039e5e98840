#include <windows.h>

#include <commctrl.h>

#include "catalogue/Catalogue.h"
#include "support/SharedState.h"
#include "tests/uninstall/LogBuilder.h"

namespace {

const wchar_t* const WinHelpKey = L"Software\\Microsoft\\Windows\\Help";
const std::wstring UninstallRoot = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// IDE keys of the catalogue that a test fills in; removed afterwards.
struct TIdeKeys {
    explicit TIdeKeys(std::initializer_list<int> products) : FProducts(products) { Clear(); }
    ~TIdeKeys() { Clear(); }
    void Clear()
    {
        for (int index : FProducts)
            RegDeleteTreeW(HKEY_CURRENT_USER, IdeByIndex(index)->RegKey);
    }
    std::vector<int> FProducts;
};

std::wstring IdeKeyOf(int product, const wchar_t* sub = L"") { return IdeByIndex(product)->RegKey + std::wstring(sub); }

}  // namespace

TEST_CASE("folders and files of the installation are removed, nothing outside it")
{
    TScratchDir dir(L"files");
    const std::wstring inst = dir / L"inst";
    REQUIRE(MakeFolder(inst + L"\\Source\\deep"));
    REQUIRE(WriteFileBytes(inst + L"\\Source\\deep\\a.pas", "unit a;"));
    REQUIRE(WriteFileBytes(inst + L"\\Source\\qzl.pas", "unit qzl;"));
    REQUIRE(WriteFileBytes(inst + L"\\kept.txt", "x"));

    SUBCASE("the logged folders and files go")
    {
        TLogBuilder log;
        log.Products(inst)
            .Add(opCreateFolder, 0, 3, L"Source")
            .Add(opDeleteSingleFile, 0, 3, L"Source\\qzl.pas")
            .Add(opCopyPayloadFile, 0, 3, L"kept.txt");
        REQUIRE(Deinstall(dir, log.Bytes()) == 0);
        CHECK_FALSE(PathExists(inst + L"\\Source"));
        CHECK_FALSE(PathExists(inst + L"\\kept.txt"));
        CHECK(DirectoryExists(inst));  // not logged, so it stays
    }

    SUBCASE("empty and relative paths, the temporary and profile folders are refused")
    {
        const std::wstring victim = dir / L"victim";
        REQUIRE(MakeFolder(victim));
        REQUIRE(WriteFileBytes(victim + L"\\file.txt", "keep"));
        REQUIRE(WriteFileBytes(dir / L"loose.txt", "keep"));
        wchar_t profile[MAX_PATH] = {};
        REQUIRE(GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH) > 0);
        REQUIRE(SetCurrentDirectoryW(dir.Path().c_str()));

        TLogBuilder log;
        log.Products(inst)
            .Add(opCreateFolder, 0, 0, L"victim")          // relative: the current directory's
            .Add(opDeleteSingleFile, 0, 0, L"loose.txt")   // the same for a file
            .Add(opCreateFolder, 0, 0, L"")                // empty
            .Add(opCreateFolder, 0, 5, L"")                // the temporary folder (holds this test)
            .Add(opCreateFolder, 0, 0, profile)            // the profile folder
            .Add(opDeleteSingleFile, 0, 1, L"");           // the Windows folder as a file
        REQUIRE(Deinstall(dir, log.Bytes()) == 0);
        CHECK(FileExists(victim + L"\\file.txt"));
        CHECK(FileExists(dir / L"loose.txt"));
        CHECK(FileExists(inst + L"\\kept.txt"));
        CHECK(DirectoryExists(GetKindDir(1)));
        CHECK(DirectoryExists(profile));
        SetCurrentDirectoryW(BinDir().c_str());
    }
}

TEST_CASE("registry keys and values of the installation are removed")
{
    TScratchKey scratch(L"deinst");
    const std::wstring keyPath = scratch.Path() + L"\\Tarnwick\\Orvane library";
    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, keyPath + L"\\Sub", L"v", L"1"));
    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, keyPath, L"RootDir", L"C:\\x"));
    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, scratch.Path(), L"stay", L"1"));
    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, L"Software\\QzTest\\canary", L"v", L"1"));
    TScratchDir dir(L"reg");

    SUBCASE("a key goes with everything below it and its emptied parents")
    {
        TLogBuilder log;
        log.Products(dir / L"inst").Add(opCreateRegistryKey, 0x80000001, 0, keyPath);
        REQUIRE(Deinstall(dir, log.Bytes()) == 0);
        CHECK_FALSE(RegKeyExists(HKEY_CURRENT_USER, keyPath));
        CHECK_FALSE(RegKeyExists(HKEY_CURRENT_USER, scratch.Path() + L"\\Tarnwick"));
        CHECK(RegText(HKEY_CURRENT_USER, scratch.Path(), L"stay") == L"1");
    }

    SUBCASE("an empty or top-level key path and an unknown root are refused")
    {
        TLogBuilder log;
        log.Products(dir / L"inst")
            .Add(opCreateRegistryKey, 0x80000001, 0, L"")
            .Add(opCreateRegistryKey, 0x80000001, 0, L"Software")
            .Add(opCreateRegistryKey, 0x80000001, 0, L"Software\\")
            .Add(opCreateRegistryKey, 0x12345678, 0, keyPath);
        REQUIRE(Deinstall(dir, log.Bytes()) == 0);
        CHECK(RegText(HKEY_CURRENT_USER, L"Software\\QzTest\\canary", L"v") == L"1");
        CHECK(RegText(HKEY_CURRENT_USER, keyPath, L"RootDir") == L"C:\\x");
    }

    SUBCASE("a WinHelp registration value goes, its neighbour stays")
    {
        REQUIRE(RegWriteStr(HKEY_LOCAL_MACHINE, WinHelpKey, L"qztest.hlp", L"C:\\inst\\Help"));
        REQUIRE(RegWriteStr(HKEY_LOCAL_MACHINE, WinHelpKey, L"qztest-other.hlp", L"C:\\other"));
        TLogBuilder log;
        log.Products(dir / L"inst").Add(opRegisterWinHelp, 0, 0, L"qztest.hlp");
        REQUIRE(Deinstall(dir, log.Bytes()) == 0);
        CHECK(RegText(HKEY_LOCAL_MACHINE, WinHelpKey, L"qztest.hlp") == L"<missing>");
        CHECK(RegText(HKEY_LOCAL_MACHINE, WinHelpKey, L"qztest-other.hlp") == L"C:\\other");
        RegRemoveValue(HKEY_LOCAL_MACHINE, WinHelpKey, L"qztest-other.hlp");
    }

    SUBCASE("the uninstall entry named by the product records goes, no other")
    {
        REQUIRE(RegWriteStr(HKEY_LOCAL_MACHINE, UninstallRoot + L"qzTestUninst", L"DisplayName", L"x"));
        REQUIRE(RegWriteStr(HKEY_LOCAL_MACHINE, UninstallRoot + L"qzTestOther", L"DisplayName", L"y"));
        TLogBuilder log;
        log.Products(dir / L"inst").Add(opRegisterUninstaller, 0, 3, L"untwk.exe");
        REQUIRE(Deinstall(dir, log.Bytes()) == 0);
        CHECK_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UninstallRoot + L"qzTestUninst"));
        CHECK(RegKeyExists(HKEY_LOCAL_MACHINE, UninstallRoot + L"qzTestOther"));

        // Without a product record 7 there is no entry to remove: the
        // Uninstall branch itself must not be taken for it.
        TLogBuilder unnamed;
        unnamed.Products(dir / L"inst", true, L"").Add(opRegisterUninstaller, 0, 3, L"untwk.exe");
        REQUIRE(Deinstall(dir, unnamed.Bytes()) == 0);
        CHECK(RegKeyExists(HKEY_LOCAL_MACHINE, UninstallRoot + L"qzTestOther"));
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (UninstallRoot + L"qzTestOther").c_str());
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QzTest\\canary");
}

TEST_CASE("IDE registrations are removed from the product that a SelectProduct makes current")
{
    TScratchDir dir(L"ide");
    const std::wstring inst = dir / L"inst";
    TIdeKeys keys{1, 2, 16};

    SUBCASE("package, library path (SearchPath for product 1 only) and IDE path of each product")
    {
        const std::wstring package = inst + L"\\Delphi3\\qzl30.dpl";
        const std::wstring xe2 = IdeKeyOf(16, L"\\Library\\Win32");
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Known Packages"), package, L"Orvane library"));
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Known Packages"), L"C:\\other.dpl", L"Other"));
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Library"), L"SearchPath",
                            L"C:\\Other;" + inst + L"\\Delphi3;" + inst + L"\\Delphi3\\Lib;C:\\Z"));
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Library"), L"Search Path", inst + L"\\Delphi3\\Lib"));
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, IdeKeyOf(2, L"\\Library"), L"Search Path",
                            L"$(DELPHI)\\Lib;" + inst + L"\\Delphi4"));
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, IdeKeyOf(2, L"\\Library"), L"SearchPath", inst + L"\\Delphi4"));
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, xe2, L"Search Path",
                            L"$(BDS)\\lib;" + inst + L"\\RADStudio9\\Win32X;" + inst + L"\\RADStudio9\\Win32"));
        TLogBuilder log;
        log.Products(inst)
            .Add(opSelectProduct, 16, 0, L"RADStudio9")
            .Add(opAddIdePath, 3, 3, L"\\Library\\Win32\\Search Path")
            .Add(opSelectProduct, 16, 0, L"RADStudio9")
            .Add(opSelectProduct, 2, 0, L"Delphi4")
            .Add(opAddLibraryPath, 0, 3, L"Delphi4")
            .Add(opSelectProduct, 2, 0, L"Delphi4")
            .Add(opSelectProduct, 1, 0, L"Delphi3")
            .Add(opRegisterPackage, 0, 3, L"Delphi3\\qzl30.dpl")
            .Add(opAddLibraryPath, 0, 3, L"Delphi3\\Lib")
            .Add(opSelectProduct, 1, 0, L"Delphi3");
        REQUIRE(Deinstall(dir, log.Bytes()) == 0);
        CHECK(RegText(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Known Packages"), package) == L"<missing>");
        CHECK(RegText(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Known Packages"), L"C:\\other.dpl") == L"Other");
        CHECK(RegText(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Library"), L"SearchPath") == L"C:\\Other;C:\\Z");
        CHECK(RegText(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Library"), L"Search Path") == inst + L"\\Delphi3\\Lib");
        CHECK(RegText(HKEY_CURRENT_USER, IdeKeyOf(2, L"\\Library"), L"Search Path") == L"$(DELPHI)\\Lib");
        CHECK(RegText(HKEY_CURRENT_USER, IdeKeyOf(2, L"\\Library"), L"SearchPath") == inst + L"\\Delphi4");
        // The IDE path entry is the install-relative folder of the record's kind.
        CHECK(RegText(HKEY_CURRENT_USER, xe2, L"Search Path") == L"$(BDS)\\lib;" + inst + L"\\RADStudio9\\Win32X");
        // After the walk the first product of the log is current.
        CHECK(Shared.CurrentProduct == 16);
        CHECK(Shared.CurrentProductFolder == L"RADStudio9");
    }

    SUBCASE("kinds that need a current product change nothing before any SelectProduct")
    {
        const std::wstring list = inst + L"\\Delphi3;" + inst + L"\\Delphi3\\Lib";
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Library"), L"SearchPath", list));
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Library"), L"Browsing Path", inst));
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Known Packages"), inst + L"\\Delphi3\\qzl30.dpl",
                            L"Orvane"));
        TLogBuilder log;
        log.Products(inst)
            .Add(opRegisterPackage, 0, 3, L"Delphi3\\qzl30.dpl")
            .Add(opAppendToHelpConfig, 1, 4, L"\r\n:Index x=qzlib.hlp")
            .Add(opAddLibraryPath, 0, 3, L"Delphi3\\Lib")
            .Add(opAddIdePath, 0, 3, L"\\Library\\Browsing Path");
        // A product left current by the caller must not be used either.
        Shared.CurrentProduct = 1;
        REQUIRE(Deinstall(dir, log.Bytes()) == 0);
        CHECK(RegText(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Library"), L"SearchPath") == list);
        CHECK(RegText(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Library"), L"Browsing Path") == inst);
        CHECK(RegText(HKEY_CURRENT_USER, IdeKeyOf(1, L"\\Known Packages"), inst + L"\\Delphi3\\qzl30.dpl") ==
              L"Orvane");
        CHECK(Shared.CurrentProduct == 0);
    }
}

TEST_CASE("a help configuration line is removed from the IDE's file once")
{
    TScratchDir dir(L"helpcfg");
    TIdeKeys keys{9};
    const std::wstring ide = dir / L"Delphi7";
    REQUIRE(MakeFolder(ide + L"\\Help"));
    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, IdeKeyOf(9), L"RootDir", ide));
    const std::wstring ohi = ide + L"\\Help\\d7.ohi";
    REQUIRE(WriteFileBytes(ohi, ":Link a.hlp\r\n:Index Orvane library=QZLIB.HLP\r\n:Link b.hlp\r\n"
                                ":Index Orvane library=qzlib.hlp\r\n"));
    REQUIRE(WriteFileBytes(ide + L"\\Help\\d7.ohl", "\r\n:Index Orvane library=qzlib.hlp"));

    TLogBuilder log;
    log.Products(dir / L"inst")
        .Add(opSelectProduct, 9, 0, L"Delphi7")
        .Add(opAppendToHelpConfig, 1, 4, L"\r\n:Index Orvane library=qzlib.hlp")
        .Add(opAppendToHelpConfig, 4, 4, L"\r\n:Index Orvane library=qzlib.hlp")  // no fourth file
        .Add(opSelectProduct, 9, 0, L"Delphi7");
    REQUIRE(Deinstall(dir, log.Bytes()) == 0);
    // Letter case is ignored when searching; the first occurrence goes.
    CHECK(ReadFileBytes(ohi) == ":Link a.hlp\r\n:Link b.hlp\r\n:Index Orvane library=qzlib.hlp\r\n");
    CHECK(ReadFileBytes(ide + L"\\Help\\d7.ohl") == "\r\n:Index Orvane library=qzlib.hlp");
}

TEST_CASE("help unregistration runs the batch file, and a missing one stops the walk")
{
    TScratchDir dir(L"helpreg");
    const std::wstring inst = dir / L"inst";
    REQUIRE(MakeFolder(inst + L"\\Source"));
    REQUIRE(MakeFolder(inst + L"\\Help"));
    REQUIRE(MakeFolder(inst + L"\\Delphi7"));
    TLogBuilder log;
    log.Products(inst)
        .Add(opCreateFolder, 0, 3, L"")
        .Add(opCreateFolder, 0, 3, L"Source")
        .Add(opCreateFolder, 0, 3, L"Help")
        .Add(opRunHelpRegistration, 0, 0, L"help\\help_reg.bat")
        .Add(opCreateFolder, 0, 3, L"Delphi7");
    REQUIRE(SetCurrentDirectoryW(dir.Path().c_str()));

    SUBCASE("missing batch file")
    {
        REQUIRE(Deinstall(dir, log.Bytes()) == 0);
        CHECK_FALSE(PathExists(inst + L"\\Delphi7"));
        CHECK(DirectoryExists(inst + L"\\Help"));
        CHECK(DirectoryExists(inst + L"\\Source"));
    }

    SUBCASE("the batch file runs inside the help folder, then everything goes")
    {
        const std::wstring marker = dir / L"cwd.txt";
        REQUIRE(WriteFileBytes(inst + L"\\Help\\help_unreg.bat", "@cd > \"" + WideToAnsi(marker) + "\"\r\n"));
        REQUIRE(Deinstall(dir, log.Bytes()) == 0);
        std::string cwd = ReadFileBytes(marker);
        while (!cwd.empty() && (cwd.back() == '\n' || cwd.back() == '\r' || cwd.back() == ' '))
            cwd.pop_back();
        CHECK(LowerCaseA(cwd) == LowerCaseA(WideToAnsi(inst + L"\\help")));
        CHECK_FALSE(PathExists(inst));
        // The caller's current directory is given back.
        wchar_t current[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, current);
        CHECK(LowerCase(current) == LowerCase(dir.Path()));
    }
    SetCurrentDirectoryW(BinDir().c_str());
}

TEST_CASE("a partial uninstall keeps the records flagged for it")
{
    TScratchDir dir(L"partial");
    TScratchKey key(L"partial");
    const std::wstring inst = dir / L"inst";
    const std::wstring templates = CombinePath(GetKindDir(1), L"qz-test-templates.dat");
    REQUIRE(MakeFolder(inst));
    REQUIRE(WriteFileBytes(templates, "templates"));
    REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, key.Path() + L"\\Orvane library"));
    TLogBuilder log;
    log.Products(inst)
        .Add(opCopyPayloadIfMissing, 31, 1, L"qz-test-templates.dat", ifLogged | ifKeepOnPartial)
        .Add(opDeleteSingleFile, 0, 3, L"qzl.pas")
        .Add(opCreateRegistryKey, 0x80000001, 0, key.Path() + L"\\Orvane library", ifLogged | ifKeepOnPartial);

    for (const bool partial : {true, false}) {
        CAPTURE(partial);
        REQUIRE(WriteFileBytes(inst + L"\\qzl.pas", "unit"));
        REQUIRE(Deinstall(dir, log.Bytes(), partial) == 0);
        CHECK(FileExists(templates) == partial);
        CHECK(RegKeyExists(HKEY_CURRENT_USER, key.Path() + L"\\Orvane library") == partial);
        CHECK_FALSE(PathExists(inst + L"\\qzl.pas"));
    }
    DeleteFileW(templates.c_str());
}

namespace {

// A window with the controls DoDeinstall drives, as untwk's dialog has them.
class TDeinstallWindow {
public:
    TDeinstallWindow()
    {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&init);
        FWindow = CreateWindowExW(0, L"STATIC", L"deinstall", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
        Child(L"STATIC", idcDeinstMainText, 0);
        Child(L"BUTTON", idcDeinstFrame, BS_GROUPBOX);
        Child(PROGRESS_CLASSW, idcDeinstProgress, 0);
        Child(L"STATIC", idcDeinstStatus, 0);
        Child(L"BUTTON", idcDeinstStart, WS_VISIBLE);
        Child(L"BUTTON", idcDeinstCancel, WS_VISIBLE);
    }
    ~TDeinstallWindow() { DestroyWindow(FWindow); }
    HWND Get() const { return FWindow; }
    HWND Item(int id) const { return GetDlgItem(FWindow, id); }
    bool Shown(int id) const { return (GetWindowLongW(Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    std::wstring Text(int id) const
    {
        wchar_t buffer[512] = {};
        GetDlgItemTextW(FWindow, id, buffer, 512);
        return buffer;
    }

private:
    void Child(const wchar_t* cls, int id, DWORD style)
    {
        CreateWindowExW(0, cls, L"", WS_CHILD | style, 0, 0, 10, 10, FWindow,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    HWND FWindow;
};

}  // namespace

TEST_CASE("with a dialog the walk shows status texts and progress")
{
    TScratchDir dir(L"dialog");
    const std::wstring inst = dir / L"inst";
    REQUIRE(MakeFolder(inst + L"\\Source"));
    TDeinstallWindow window;
    REQUIRE(window.Get());

    // Walks the log with the window as its dialog; the time it took.
    const auto walk = [&](const TLogBuilder& log, bool partial) {
        TDeinstall deinstall;
        WriteFileBytes(dir / L"uninst.log", log.Bytes());
        REQUIRE(deinstall.PrepareUninstFile(dir / L"uninst.log") == 0);
        REQUIRE(deinstall.PrepareDeinstall() == 0);
        deinstall.SetDialogHandle(window.Get());
        deinstall.sProductText = L"Trial version of Orvane library v4.07";
        deinstall.flPartialUninstall = partial;
        const DWORD start = GetTickCount();
        REQUIRE(deinstall.DoDeinstall() == 0);
        return GetTickCount() - start;
    };
    const auto range = [&] {
        PBRANGE bar = {};
        SendMessageW(window.Item(idcDeinstProgress), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&bar));
        CHECK(SendMessageW(window.Item(idcDeinstProgress), PBM_GETPOS, 0, 0) == bar.iHigh);  // ends full
        return static_cast<size_t>(bar.iHigh) + 1;
    };

    SUBCASE("controls, texts, progress and pauses")
    {
        TLogBuilder log;
        log.Products(inst)
            .Add(opSelectProduct, 1, 0, L"Delphi3")  // walked last: leaves the status line as it is
            .Add(opCreateFolder, 0, 3, L"Source")
            .Add(opDeleteSingleFile, 0, 3, L"Source\\absent.pas");
        CHECK(walk(log, false) >= 3 * 50 - 10);
        CHECK(window.Text(idcDeinstMainText) ==
              L"Performing uninstall of the \"Trial version of Orvane library v4.07\"...");
        for (int shown : {idcDeinstFrame, idcDeinstProgress, idcDeinstStatus})
            CHECK(window.Shown(shown));
        CHECK_FALSE(IsWindowEnabled(window.Item(idcDeinstStart)));
        CHECK(IsWindowEnabled(window.Item(idcDeinstCancel)));
        CHECK(window.Text(idcDeinstStatus) == L"Removing directory");
        CHECK_FALSE(PathExists(inst + L"\\Source"));
        // Every record's length after the marker was added.
        CHECK(range() == log.Bytes().size() - log.Boundaries()[6]);
    }
    SUBCASE("partial mode shows Skipping")
    {
        TLogBuilder log;
        log.Products(inst).Add(opCreateFolder, 0, 3, L"Source", ifLogged | ifKeepOnPartial);
        walk(log, true);
        CHECK(window.Text(idcDeinstStatus) == L"Skipping");
        CHECK(DirectoryExists(inst + L"\\Source"));
    }
    SUBCASE("a span beyond 16 bits gets a 32-bit range")
    {
        TLogBuilder log;
        log.Products(inst);
        for (int i = 0; i < 3; ++i)
            log.Add(0x0099, 0, 0, std::wstring(30000, L'x'));  // a kind nothing undoes
        walk(log, false);
        CHECK(range() == 3 * (30000 + 16));
    }
}
