// IDE integration: path lists, package registration and the compile step,
// against scratch registry keys and stand-in command-line tools.
#include "support/Utils.h"
#include "tests/script/ScriptTestEnv.h"

namespace {

// Makes catalogue entry index (1-based) current, with its registry branch
// moved below a scratch key.
void UseProduct(int index, const TScratchKey& key, const wchar_t* folder)
{
    IdeCatalogue[index - 1].RegKey = key.Path().c_str();
    SetCurrentProduct(index, folder);
}

}  // namespace

TEST_CASE("AddIdePath appends whole entries and leaves present ones alone")
{
    TEngineState state;
    TScratchKey key(L"IdePath");
    Shared.InstallDir = L"C:\\X";
    UseProduct(16, key, L"RADStudio9");
    const std::wstring valueKey = key.Path() + L"\\Library\\Win32";
    const TScriptItem item = MakeItem(0x10000 | opAddIdePath, L"\\Library\\Win32\\Search Path", 1, 3);

    struct TCase {
        const wchar_t* Before;
        const wchar_t* After;
        bool Added;
    };
    const TCase cases[] = {
        {L"$(BDS)\\lib;c:\\x\\SOURCE", L"$(BDS)\\lib;c:\\x\\SOURCE", false},
        {L"C:\\X\\Source2;C:\\X\\Source\\Sub", L"C:\\X\\Source2;C:\\X\\Source\\Sub;C:\\X\\Source", true},
        {L"", L"C:\\X\\Source", true},
        {L"$(BDS)\\lib;", L"$(BDS)\\lib;C:\\X\\Source", true},
        {L"C:\\X\\Source;$(BDS)\\lib", L"C:\\X\\Source;$(BDS)\\lib", false},
    };
    for (const TCase& c : cases) {
        CAPTURE(Narrow(c.Before));
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, valueKey, L"Search Path", c.Before));
        const TOutcome outcome = RunItem(item);
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log ==
              std::wstring(L"Adding search path: C:\\X\\Source") + (c.Added ? L"...Success" : L"...Already"));
        CHECK(RegText(HKEY_CURRENT_USER, valueKey, L"Search Path") == c.After);
    }

    // The product folder kinds.
    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, valueKey, L"Search Path", L""));
    TScriptItem win64 = item;
    win64.Code = 4;
    CHECK(RunItem(win64).Result == 0);
    CHECK(RegText(HKEY_CURRENT_USER, valueKey, L"Search Path") == L"C:\\X\\RADStudio9\\Win64");

    // An IDE without the value is skipped silently.
    RegDeleteTreeW(HKEY_CURRENT_USER, valueKey.c_str());
    TOutcome outcome = RunItem(item);
    CHECK(outcome.Result == 0);
    CHECK(outcome.Log.empty());
    CHECK(RegText(HKEY_CURRENT_USER, valueKey, L"Search Path") == L"<missing>");

    // No current product is an error and reads no catalogue entry.
    Shared.CurrentProduct = 0;
    outcome = RunItem(item);
    CHECK(outcome.Result == -8);
    CHECK(outcome.Log == L"No IDE version selected for: \\Library\\Win32\\Search Path...Fail");
    Shared.CurrentProduct = 29;
    CHECK(RunItem(item).Result == -8);
}

TEST_CASE("AddLibraryPath chooses its value from the item or the IDE version")
{
    TEngineState state;
    TScratchKey key(L"LibPath");
    TScratchDir dir(L"libpath");
    Shared.InstallDir = dir.Path();
    const std::wstring source = dir / L"Source";

    SUBCASE("a named key suffix and value")
    {
        UseProduct(8, key, L"CBuilder6");
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, key.Path() + L"\\Library", L"Include Path", L"$(BCB)\\include"));
        TScriptItem item = MakeItem(0x10000 | opAddLibraryPath, L"Source", 0, 3);
        item.Text2 = L"Library";
        item.Text3 = L"Include Path";
        const TOutcome outcome = RunItem(item);
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log == L"Adding search path: " + source + L"...Success");
        CHECK(RegText(HKEY_CURRENT_USER, key.Path() + L"\\Library", L"Include Path") == L"$(BCB)\\include;" + source);
    }
    SUBCASE("the library search path of a 32/64-bit version, Win64 branch")
    {
        UseProduct(17, key, L"RADStudio10");
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, key.Path() + L"\\Library\\Win64", L"Search Path", L"a"));
        TScriptItem item = MakeItem(opAddLibraryPath, L"Source", 0, 3);
        item.Options = 2;
        CHECK(RunItem(item).Result == 0);
        CHECK(RegText(HKEY_CURRENT_USER, key.Path() + L"\\Library\\Win64", L"Search Path") == L"a;" + source);
    }
    SUBCASE("a missing value is an error unless option bit 0 allows it")
    {
        UseProduct(8, key, L"CBuilder6");
        TScriptItem item = MakeItem(opAddLibraryPath, L"Source", 0, 3);
        TOutcome outcome = RunItem(item);
        CHECK(outcome.Result == -2);
        CHECK(outcome.Log.empty());
        item.Options = 1;
        outcome = RunItem(item);
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log.empty());
    }
}

TEST_CASE("RegisterPackage registers the package and its folder")
{
    TEngineState state;
    TScratchKey key(L"RegPkg");
    TScratchDir dir(L"regpkg");
    Shared.InstallDir = dir.Path();
    const std::wstring package = dir / L"Pkg\\dclqzl.bpl";
    const std::wstring folder = dir / L"Pkg";
    const TScriptItem item = MakeItem(0x10000 | opRegisterPackage, L"Pkg\\dclqzl.bpl", 0, 3);
    const std::wstring description = L"Trial version of Orvane library v4.07";

    SUBCASE("Delphi 3 uses the value name SearchPath")
    {
        UseProduct(1, key, L"Delphi3");
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, key.Path() + L"\\Library", L"SearchPath", L"$(DELPHI)\\Lib"));
        const TOutcome outcome = RunItem(item);
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log == L"Registering package: " + package + L"...Success\r\nAdding search path: " + folder +
                                 L"...Success");
        CHECK(RegText(HKEY_CURRENT_USER, key.Path() + L"\\Known Packages", package) == description);
        CHECK(RegText(HKEY_CURRENT_USER, key.Path() + L"\\Library", L"SearchPath") == L"$(DELPHI)\\Lib;" + folder);
        CHECK(RegText(HKEY_CURRENT_USER, key.Path() + L"\\Globals", L"ForceEnvOptionsUpdate") == L"<missing>");
    }
    SUBCASE("entries 12 to 14 ask for an options update only when the folder is new")
    {
        UseProduct(13, key, L"BDS2009");
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, key.Path() + L"\\Library", L"Search Path", L""));
        CHECK(RunItem(item).Result == 0);
        CHECK(RegText(HKEY_CURRENT_USER, key.Path() + L"\\Globals", L"ForceEnvOptionsUpdate") == L"1");
        CHECK(RegText(HKEY_CURRENT_USER, key.Path() + L"\\Library", L"Search Path") == folder);

        RegDeleteTreeW(HKEY_CURRENT_USER, (key.Path() + L"\\Globals").c_str());
        const TOutcome again = RunItem(item);
        CHECK(again.Result == 0);
        CHECK(again.Log == L"Registering package: " + package + L"...Success\r\nAdding search path: " + folder +
                               L"...Already");
        CHECK(RegText(HKEY_CURRENT_USER, key.Path() + L"\\Globals", L"ForceEnvOptionsUpdate") == L"<missing>");
    }
    SUBCASE("other entries never touch Globals; the 64-bit branch follows option bit 1")
    {
        UseProduct(16, key, L"RADStudio9");
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, key.Path() + L"\\Library\\Win64", L"Search Path", L""));
        TScriptItem win64 = item;
        win64.Options = 2;
        CHECK(RunItem(win64).Result == 0);
        CHECK(RegText(HKEY_CURRENT_USER, key.Path() + L"\\Library\\Win64", L"Search Path") == folder);
        CHECK(RegText(HKEY_CURRENT_USER, key.Path() + L"\\Globals", L"ForceEnvOptionsUpdate") == L"<missing>");
    }
    SUBCASE("an unreadable library path is -2 after the package was registered")
    {
        UseProduct(9, key, L"Delphi7");
        const TOutcome outcome = RunItem(item);
        CHECK(outcome.Result == -2);
        CHECK(outcome.Log == L"Registering package: " + package + L"...Success");
        CHECK(RegText(HKEY_CURRENT_USER, key.Path() + L"\\Known Packages", package) == description);
    }
    SUBCASE("no current product writes nothing")
    {
        IdeCatalogue[0].RegKey = key.Path().c_str();
        const TOutcome outcome = RunItem(item);
        CHECK(outcome.Result == -8);
        CHECK(RegText(HKEY_CURRENT_USER, key.Path() + L"\\Known Packages", package) == L"<missing>");
    }
}

TEST_CASE("CompilePackage result codes for masks and missing tools")
{
    TEngineState state;
    TScratchDir ide(L"compile-missing");
    for (TBorlandProduct& entry : IdeCatalogue)
        entry.RootDir = ide.Path();

    struct TCase {
        uint32_t Mask;
        uint32_t Options;
        int Result;
        const wchar_t* Log;
    };
    const TCase cases[] = {
        {0, 0, -1, L""},
        {0x10000000, 0, -2, L""},
        {0x80000000, 0, -2, L""},
        {0x100 | 0x200, 0, -3, L"Compiling package, cannot find dcc32.exe: p.dpk...Fail"},
        {0x8000, 1, -3, L"Compiling package, cannot find dcc64.exe: p.dpk...Fail"},
        {0x8000, 3, -3, L"Compiling package, cannot find dcc32.exe: p.dpk...Fail"},
        {0x80 | 0x100, 1, -4, L"Compiling package, cannot find make.exe: p.dpk...Fail"},
    };
    for (const TCase& c : cases) {
        CAPTURE(c.Mask);
        TScriptItem item = MakeItem(opCompilePackage, L"p.dpk", c.Mask);
        item.Options = c.Options;
        const TOutcome outcome = RunItem(item);
        CHECK(outcome.Result == c.Result);
        CHECK(outcome.Log == c.Log);
    }
    // A folder named like the tool is not the tool.
    ForceDirectory(ide / L"bin\\dcc32.exe");
    CHECK(RunItem(MakeItem(opCompilePackage, L"p.dpk", 0x100)).Result == -3);
}

TEST_CASE("CompilePackage starts the IDE's tool with a quoted path in the work folder")
{
    // Removed after the state is back: the test leaves the process inside it.
    TScratchDir base(L"compile");
    TEngineState state;
    const std::wstring root = base / L"Fake IDE";  // a blank in the IDE's folder
    const std::wstring work = base / L"Work";
    ForceDirectory(root + L"\\bin");
    ForceDirectory(work);
    for (const wchar_t* tool : {L"dcc32.exe", L"dcc64.exe", L"make.exe"})
        REQUIRE(CopyBuildProgram(L"qzt_tool_1234.exe", root + L"\\bin\\" + tool));
    IdeCatalogue[15].RootDir = root;  // RADStudio9, Delphi
    IdeCatalogue[7].RootDir = root;   // CBuilder6, make
    Shared.InstallDir = base.Path();
    SetCurrentDirectoryW(work.c_str());

    struct TCase {
        uint32_t Mask;
        uint32_t Options;
        const wchar_t* Project;
        const wchar_t* Tool;
        std::wstring CommandLine;
    };
    const TCase cases[] = {
        {0x8000, 0, L"qzl160.dpk", L"dcc32.exe", L"\"" + root + L"\\bin\\dcc32.exe\" qzl160.dpk"},
        {0x8000, 1, L"qzl160.dpk", L"dcc64.exe", L"\"" + root + L"\\bin\\dcc64.exe\" qzl160.dpk"},
        {0x80, 0, L"qzl60.bpk", L"make.exe", L"\"" + root + L"\\bin\\make.exe\" /fqzl60.bpk"},
    };
    for (const TCase& c : cases) {
        CAPTURE(Narrow(c.Tool));
        const std::wstring toolPath = root + L"\\bin\\" + c.Tool;
        TScriptItem item = MakeItem(opCompilePackage, c.Project, c.Mask);
        item.Options = c.Options;
        const TOutcome outcome = RunItem(item);
        // The stand-in fails and writes no package: still a success here.
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log == L"Compiling package: " + std::wstring(c.Project) + L"...Success");
        const std::vector<std::wstring> record = ToolRecord(toolPath);
        REQUIRE(record.size() == 2);
        CHECK(record[0] == c.CommandLine);
        CHECK(LowerCase(record[1]) == LowerCase(work));
    }
    // The missing package surfaces at the check that follows the compile.
    const TOutcome check = RunItem(MakeItem(opCheckFileExists, L"Work\\qzl160.bpl", 0, 3));
    CHECK(check.Result == 1);
    CHECK(check.Log == L"Check file: " + work + L"\\qzl160.bpl...Fail");
}
