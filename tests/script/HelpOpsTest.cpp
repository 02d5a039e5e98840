// Help registration, external programs, the uninstall entry and the removal
// of a previous installation.
#include "support/Utils.h"
#include "tests/script/ScriptTestEnv.h"

namespace {

const wchar_t* const WinHelpKey = L"Software\\Microsoft\\Windows\\Help";

std::wstring UninstallKey() { return std::wstring(Product::UninstallRoot) + Product::UninstallKeyName; }

// Removes the uninstall entry when a test ends, whatever it left.
struct TUninstallEntryGuard {
    TUninstallEntryGuard() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, UninstallKey().c_str()); }
    ~TUninstallEntryGuard() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, UninstallKey().c_str()); }
};

}  // namespace

TEST_CASE_FIXTURE(TEngineDir, "RegisterWinHelp writes the help folder, empty before any SetHelpDirectory")
{

    TOutcome outcome = RunItem(MakeItem(0x10000 | opRegisterWinHelp, L"qzt-first.hlp"));
    CHECK(outcome.Result == 0);
    CHECK(outcome.Log == L"Registering windows help: qzt-first.hlp...Success");
    CHECK(RegText(HKEY_LOCAL_MACHINE, WinHelpKey, L"qzt-first.hlp") == L"");

    const TScriptItem items[] = {
        MakeItem(opSetHelpDirectory, L"Help", 0, 3),
        MakeItem(0x10000 | opRegisterWinHelp, L"qzt-second.cnt"),
    };
    TScript script(items, 2);
    CHECK(script.ItemDoScript() == 0);
    CHECK(script.LogString().empty());
    script.SetCurrent(1);
    CHECK(script.ItemDoScript() == 0);
    CHECK(RegText(HKEY_LOCAL_MACHINE, WinHelpKey, L"qzt-second.cnt") == dir / L"Help");

    RegRemoveValue(HKEY_LOCAL_MACHINE, WinHelpKey, L"qzt-first.hlp");
    RegRemoveValue(HKEY_LOCAL_MACHINE, WinHelpKey, L"qzt-second.cnt");
}

TEST_CASE("RunHelpRegistration runs the batch file from the help folder and stays there")
{
    // Removed after the state is back: the test leaves the process inside it.
    TScratchDir base(L"helpreg");
    TEngineState state;
    Shared.InstallDir = base / L"Help Inst";
    const std::wstring help = Shared.InstallDir + L"\\help";
    ForceDirectory(help);
    WriteFileBytes(help + L"\\help_reg.bat", "@echo off\r\necho %CD%> ran.txt\r\n");

    const TOutcome outcome = RunItem(MakeItem(0x10000 | opRunHelpRegistration, L"help\\help_reg.bat"));
    CHECK(outcome.Result == 0);
    CHECK(outcome.Log == L"Register help: " + help + L"\\help_reg.bat...Success");
    const std::string ran = ReadFileBytes(help + L"\\ran.txt");
    CHECK(LowerCase(AnsiToWide(ran.data(), ran.size())).find(LowerCase(help)) == 0);
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    CHECK(LowerCase(current) == LowerCase(help));

    const TOutcome missing = RunItem(MakeItem(opRunHelpRegistration, L"help\\absent.bat"));
    CHECK(missing.Result != 0);
    CHECK(missing.Log.empty());
}

TEST_CASE("RunFile starts a program of the current directory by its quoted path")
{
    // Removed after the state is back: the test leaves the process inside it.
    TScratchDir base(L"runfile");
    TEngineState state;
    const std::wstring folder = base / L"Run Dir";
    ForceDirectory(folder);
    REQUIRE(CopyBuildProgram(L"qzt_tool_1234.exe", folder + L"\\tool run.exe"));
    SetCurrentDirectoryW(folder.c_str());

    const TOutcome outcome = RunItem(MakeItem(opRunFile, L"tool run.exe"));
    CHECK(outcome.Result == 0);
    CHECK(outcome.Log == L"Run file: " + folder + L"\\tool run.exe...Success");
    const std::vector<std::wstring> record = ToolRecord(folder + L"\\tool run.exe");
    REQUIRE(record.size() == 2);
    CHECK(LowerCase(record[0]) == LowerCase(L"\"" + folder + L"\\tool run.exe\""));

    const TOutcome missing = RunItem(MakeItem(opRunFile, L"absent.exe"));
    CHECK(missing.Result == ERROR_FILE_NOT_FOUND);
    CHECK(missing.Log.empty());
}

TEST_CASE("RegisterUninstaller writes the entry and quotes only paths with blanks")
{
    TEngineState state;
    TUninstallEntryGuard entry;
    TScratchDir base(L"uninstreg");
    const std::wstring plain = base / L"Inst";
    const std::wstring blank = base / L"Orvane Library";
    struct {
        std::wstring Dir, Untwk, Log;
    } const cases[] = {
        {plain, plain + L"\\untwk.exe", plain + L"\\uninst.log"},
        {blank, L"\"" + blank + L"\\untwk.exe\"", L"\"" + blank + L"\\uninst.log\""},
    };
    for (const auto& c : cases) {
        CAPTURE(Narrow(c.Dir));
        Shared.InstallDir = c.Dir;
        const TOutcome outcome = RunItem(MakeItem(0x18012, L"untwk.exe", 0, 3));
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log == L"Registering Uninstall: untwk.exe...Success");
        CHECK(RegText(HKEY_LOCAL_MACHINE, UninstallKey(), L"DisplayName") == L"Tarnwick Orvane library v4.07");
        CHECK(RegText(HKEY_LOCAL_MACHINE, UninstallKey(), L"UninstallString") == c.Untwk + L" " + c.Log);
        CHECK(RegText(HKEY_LOCAL_MACHINE, UninstallKey(), L"QuietUninstallString") ==
              c.Untwk + L" /SILENT " + c.Log);
        CHECK(RegText(HKEY_LOCAL_MACHINE, UninstallKey(), L"DisplayIcon") == c.Dir + L"\\untwk.exe");
    }
}

TEST_CASE("CreateRegistryKey creates the key and always succeeds silently")
{
    TEngineState state;
    TScratchKey key(L"CreateKey");
    const std::wstring path = key.Path() + L"\\Tarnwick\\Orvane library";
    const TScriptItem item = MakeItem(0x3000F, path.c_str(), 0x80000001);
    for (int run = 0; run < 2; ++run) {
        const TOutcome outcome = RunItem(item);
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log.empty());
    }
    CHECK(RegKeyExists(HKEY_CURRENT_USER, path));
    const TOutcome bad = RunItem(MakeItem(0x3000F, L"Software\\QzTest\\Nowhere", 0x1234));
    CHECK(bad.Result == 0);
    CHECK(bad.Log.empty());
}

TEST_CASE("Start removes the installation that the uninstall entry names")
{
    TUninstallEntryGuard entry;
    TScratchDir base(L"previous");

    // An earlier installation made by the engine itself.
    const TScriptItem oldItems[] = {
        MakeItem(0x1400E, nullptr, 1), MakeItem(0x1400E, nullptr, 2), MakeItem(0x1400E, nullptr, 3),
        MakeItem(0x1400E, nullptr, 4), MakeItem(0x1400E, nullptr, 5), MakeItem(0x1400E, nullptr, 7),
        MakeItem(0x1400E, nullptr, 6), MakeItem(0x18001, L"", 0, 3), MakeItem(0x18001, L"Sub", 0, 3),
        MakeItem(0x18012, L"untwk.exe", 0, 3),
    };
    auto installOld = [&](const std::wstring& folder) {
        TEngineState state;
        Shared.InstallDir = folder;
        TScript script(oldItems, 10);
        REQUIRE(Walk(script).empty());
    };

    SUBCASE("quoted and bare forms of the uninstall string")
    {
        for (const wchar_t* name : {L"Old Inst", L"OldInst"}) {
            CAPTURE(Narrow(name));
            const std::wstring old = base / name;
            installOld(old);
            REQUIRE(DirectoryExists(old + L"\\Sub"));
            REQUIRE(RegText(HKEY_LOCAL_MACHINE, UninstallKey(), L"UninstallString") != L"<missing>");

            TEngineState state;
            Shared.InstallDir = base / L"New";
            {
                TScript script(nullptr, 0);
                CHECK(script.Start() == 0);
                CHECK(Shared.InstallDir == base / L"New");  // restored after the removal
            }
            CHECK_FALSE(PathExists(old));
            CHECK(RegText(HKEY_LOCAL_MACHINE, UninstallKey(), L"UninstallString") == L"<missing>");
            CHECK(PathExists(base / L"New\\uninst.log"));
        }
    }
    SUBCASE("an uninstall string without a blank or quote does nothing")
    {
        const std::wstring old = base / L"Kept";
        installOld(old);
        REQUIRE(RegWriteStr(HKEY_LOCAL_MACHINE, UninstallKey(), L"UninstallString", old + L"\\uninst.log"));
        TEngineState state;
        Shared.InstallDir = base / L"New";
        {
            TScript script(nullptr, 0);
            CHECK(script.Start() == 0);
        }
        CHECK(DirectoryExists(old + L"\\Sub"));
    }
}
