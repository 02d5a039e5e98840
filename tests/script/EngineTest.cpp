// The walk itself: block skipping, copy-only mode, status texts, and the
// bytes of both logs.
#include "support/Utils.h"
#include "tests/script/ScriptTestEnv.h"
#include "uninstall/UninstLog.h"

namespace {

const std::wstring HeaderLine = L"Start installation for trial version of Orvane library v4.07";

}  // namespace

TEST_CASE_FIXTURE(TEngineDir, "a skipped block ends only at the closing item with the same code")
{
    Shared.InstallItems = 0x1;

    const TScriptItem items[] = {
        MakeItem(opIfItemSelected, nullptr, 0x2),
        MakeItem(0x10000 | opSelectProduct, L"Delphi5", 3),
        MakeItem(opEndIfItemSelected, nullptr, 0x4),  // another block's end: skipping goes on
        MakeItem(0x10000 | opCreateFolder, L"inner", 0, 3),
        MakeItem(opIfVersionSelected, nullptr, 0x8),  // a nested opening item is passed over
        MakeItem(opEndIfItemSelected, nullptr, 0x2),
        MakeItem(0x10000 | opCreateFolder, L"after", 0, 3),
        MakeItem(opEndIfItemSelected, nullptr, 0x2),  // met while not skipping: nothing
    };
    {
        TScript script(items, 8);
        CHECK(Walk(script).empty());
    }
    CHECK(Shared.CurrentProduct == 0);
    CHECK(Shared.CurrentProductFolder.empty());
    CHECK_FALSE(PathExists(dir / L"inner"));
    CHECK(DirectoryExists(dir / L"after"));

    const std::vector<std::wstring> lines = ReadUtf16Lines(dir / L"install.log");
    REQUIRE(lines.size() == 4);
    CHECK(lines[3] == L"Creating directory: " + (dir / L"after") + L"...Success");

    const std::vector<TLogRecord> records = LogRecords(ReadFileBytes(dir / L"uninst.log"));
    REQUIRE(records.size() == 1);
    CHECK(LogRecordText(records[0]) == "after");
}

TEST_CASE("each condition skips its block only when its mask test fails")
{
    struct TCase {
        uint16_t Open, Close;
        uint32_t TSharedState::*Mask;
        uint32_t MaskValue;
        bool Skips;
    };
    const TCase cases[] = {
        {opIfVersionSelected, opEndIfVersionSelected, &TSharedState::InstallVersions, 0x10, false},
        {opIfVersionSelected, opEndIfVersionSelected, &TSharedState::InstallVersions, 0x01, true},
        {opIfItemSelected, opEndIfItemSelected, &TSharedState::InstallItems, 0x30, false},
        {opIfItemSelected, opEndIfItemSelected, &TSharedState::InstallItems, 0x20, true},
        {opIfOptionSet, opEndIfOptionSet, &TSharedState::CustomizeItems, 0x10, false},
        {opIfOptionSet, opEndIfOptionSet, &TSharedState::CustomizeItems, 0x04, true},
        {opIfOptionClear, opEndIfOptionClear, &TSharedState::CustomizeItems, 0x04, false},
        {opIfOptionClear, opEndIfOptionClear, &TSharedState::CustomizeItems, 0x14, true},
    };
    for (const TCase& c : cases) {
        CAPTURE(c.Open);
        CAPTURE(c.MaskValue);
        TEngineState state;
        Shared.*c.Mask = c.MaskValue;
        const TScriptItem items[] = {
            MakeItem(c.Open, nullptr, 0x10),
            MakeItem(opSelectProduct, L"Delphi7", 9),
            MakeItem(c.Close, nullptr, 0x10),
        };
        TScript script(items, 3);
        for (int i = 0; i < 3; ++i) {
            script.SetCurrent(i);
            CHECK(script.ItemDoScript() == 0);
        }
        CHECK(Shared.CurrentProduct == (c.Skips ? 0 : 9));
    }
}

TEST_CASE_FIXTURE(TEngineDir, "IfFileExists logs its test and skips the block of a missing file without an error")
{
    WriteFileBytes(dir / L"present.txt", "x");

    const TScriptItem items[] = {
        MakeItem(opIfFileExists, L"missing.txt", 0x4000002, 3),
        MakeItem(opCreateFolder, L"skipped", 0, 3),
        MakeItem(opEndIfFileExists, nullptr, 0x4000002),
        MakeItem(opIfFileExists, L"present.txt", 7, 3),
        MakeItem(opCreateFolder, L"done", 0, 3),
        MakeItem(opEndIfFileExists, nullptr, 7),
    };
    {
        TScript script(items, 6);
        CHECK(Walk(script).empty());
    }
    CHECK_FALSE(PathExists(dir / L"skipped"));
    CHECK(DirectoryExists(dir / L"done"));
    const std::vector<std::wstring> lines = ReadUtf16Lines(dir / L"install.log");
    REQUIRE(lines.size() == 6);
    CHECK(lines[3] == L"Check file: " + (dir / L"missing.txt") + L"...Fail");
    CHECK(lines[4] == L"Check file: " + (dir / L"present.txt") + L"...Success");
    CHECK(lines[5] == L"Creating directory: " + (dir / L"done") + L"...Success");
}

TEST_CASE_FIXTURE(TEngineDir, "copy-only mode runs control and file items only and logs nothing for the others")
{
    TScratchDir ide(L"copyonly-ide");
    Shared.flCopyOnly = true;
    IdeCatalogue[0].RootDir = ide.Path();
    ForceDirectory(ide / L"bin");
    CopyBuildProgram(L"qzt_tool_1234.exe", ide / L"bin\\dcc32.exe");

    const TScriptItem items[] = {
        MakeItem(0x10000 | opSelectProduct, L"Delphi3", 1),
        MakeItem(opCompilePackage, L"qzl30.dpk", 0x1),
        MakeItem(0x10000 | opRegisterPackage, L"Delphi3\\dclqzl30.dpl", 0, 3),
        MakeItem(0x10000 | opRegisterWinHelp, L"qzlib.hlp"),
        MakeItem(0x10000 | opCreateFolder, L"Source", 0, 3),
    };
    {
        TScript script(items, 5);
        CHECK(Walk(script).empty());
    }
    CHECK(Shared.CurrentProduct == 1);
    CHECK(DirectoryExists(dir / L"Source"));
    CHECK_FALSE(PathExists(ide / L"bin\\dcc32.exe.txt"));  // the compiler never ran

    const std::vector<std::wstring> lines = ReadUtf16Lines(dir / L"install.log");
    REQUIRE(lines.size() == 4);
    CHECK(lines[3] == L"Creating directory: " + (dir / L"Source") + L"...Success");
    const std::vector<TLogRecord> records = LogRecords(ReadFileBytes(dir / L"uninst.log"));
    REQUIRE(records.size() == 2);
    CHECK(TypeIdOf(records[0].Id) == opSelectProduct);
    CHECK(TypeIdOf(records[1].Id) == opCreateFolder);
}

TEST_CASE("the status text names compiling, folder creation and payload copies only")
{
    const TScriptItem items[] = {MakeItem(opCompilePackage), MakeItem(opCreateFolder), MakeItem(opCopyPayloadFile),
                                 MakeItem(opCopyPayloadIfNewer), MakeItem(opSelectProduct)};
    TScript script(items, 5);
    const wchar_t* expected[] = {L"Compiling package", L"Creating directory", L"Copying file", L"Copying file",
                                 L"Copying file"};
    std::wstring text = L"before";
    for (int i = 0; i < 5; ++i) {
        script.SetCurrent(i);
        script.ItemText(text);
        CHECK(text == expected[i]);
    }
}

TEST_CASE("unlisted operations and product records perform nothing")
{
    TEngineState state;
    for (uint32_t id : {0x0002u, 0x8003u, 0x4010u, 0x1400Eu, 0xFFFFu}) {
        CAPTURE(id);
        const TOutcome outcome = RunItem(MakeItem(id, L"C:\\anything", 5, 3));
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log.empty());
    }
}

TEST_CASE_FIXTURE(TEngineDir, "install.log is UTF-16LE without byte-order mark and starts with three header lines")
{
    const auto start = [](bool logEnabled) {
        TScript script(nullptr, 0);
        script.SetLogEnable(logEnabled);
        script.Start();
    };

    SUBCASE("no selection leaves the product list empty")
    {
        start(true);
        const std::wstring first = HeaderLine + L"\r\n";
        CHECK(ReadFileBytes(dir / L"install.log").substr(0, first.size() * 2) ==
              std::string(reinterpret_cast<const char*>(first.data()), first.size() * 2));
        CHECK(ReadUtf16Lines(dir / L"install.log") ==
              std::vector<std::wstring>{HeaderLine, L"RootPath: " + dir.Path(), L"Borland products: "});
    }
    SUBCASE("the selected and chosen versions are listed in catalogue order")
    {
        IdeCatalogue[8].Selected = true;  // Delphi7, chosen
        IdeCatalogue[0].Selected = true;  // Delphi3, chosen
        IdeCatalogue[1].Selected = true;  // Delphi4, not chosen
        Shared.InstallVersions = 0x1 | 0x100 | 0x4;  // Delphi5 chosen but not selected
        start(true);
        const std::vector<std::wstring> lines = ReadUtf16Lines(dir / L"install.log");
        REQUIRE(lines.size() == 3);
        CHECK(lines[2] == L"Borland products: Delphi3,Delphi7");
    }
    SUBCASE("a disabled text log is not created, the uninstall log still is")
    {
        start(false);
        CHECK_FALSE(PathExists(dir / L"install.log"));
        CHECK(ReadFileBytes(dir / L"uninst.log") == "UNTWK02");
    }
}

TEST_CASE("uninst.log holds the header and one record per performed logged item, byte for byte")
{
    TEngineState state;
    TScratchDir dir(L"binlog");
    Shared.InstallDir = dir.Path() + L"\\Inst";
    const TPackageTarget target = {L"qzl30.dpl", 6};
    TScriptItem copy = MakeItem(0x10000 | opCopyInstalledFile, L"missing\\qzl30.dpl", 0, 3);
    copy.Target = &target;
    const TScriptItem items[] = {
        MakeItem(0x1400E, nullptr, 1),
        MakeItem(0x1400E, nullptr, 4),
        MakeItem(0x1400E, nullptr, 9),
        MakeItem(0x1400E, nullptr, 6),
        MakeItem(0x18001, L"", 0, 3),
        MakeItem(0x18001, L"Source", 0, 3),
        MakeItem(0x18001, L"\u00dcbersicht \u65e5\u672c", 0, 3),
        copy,
        MakeItem(0x10000 | opCheckFileExists, L"nothing.here", 0, 3),  // fails, still recorded
        MakeItem(0x3000F, L"Software\\QzTest\\EngineKey", 0x80000001),
    };
    std::vector<std::pair<int, int>> errors;
    {
        TScript script(items, 10);
        errors = Walk(script);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QzTest\\EngineKey");
    REQUIRE(errors.size() == 2);
    CHECK(errors[0].first == 7);
    CHECK(errors[1] == std::make_pair(8, 1));

    const std::string log = ReadFileBytes(Shared.InstallDir + L"\\uninst.log");
    REQUIRE(log.size() > 7);
    CHECK(log.substr(0, 7) == "UNTWK02");
    const std::vector<TLogRecord> records = LogRecords(log);
    REQUIRE(records.size() == 10);
    CHECK(LogRecordText(records[0]) == "Orvane library");
    CHECK(LogRecordText(records[1]) == WideToUtf8(Shared.InstallDir));
    CHECK(LogRecordText(records[2]).empty());
    CHECK(log.substr(records[3].Offset, 16) == std::string("\x0E\x40\x01\x00\x06\0\0\0\0\0\0\0\0\0\x10\0", 16));
    CHECK(log.substr(records[4].Offset, 16) == std::string("\x01\x80\x01\0\0\0\0\0\x03\0\0\0\0\0\x10\0", 16));
    CHECK(log.substr(records[5].Offset, 22) == std::string("\x01\x80\x01\0\0\0\0\0\x03\0\0\0\x06\0Source\x16\0", 22));
    // U+00DC and the two CJK characters take 2 and 3 bytes each.
    CHECK(LogRecordText(records[6]) == "\xC3\x9C" "bersicht \xE6\x97\xA5\xE6\x9C\xAC");
    CHECK(records[6].TextSize == 17);
    CHECK(records[7].DirKind == 6);
    CHECK(LogRecordText(records[7]) == "qzl30.dpl");
    CHECK(TypeIdOf(records[8].Id) == opCheckFileExists);
    CHECK(records[9].Id == 0x3000F);
    CHECK(records[9].Code == 0x80000001);
    CHECK(records[9].Offset + records[9].Size == log.size());
}

TEST_CASE("a run whose installation directory cannot be created leaves no log and goes on")
{
    TEngineState state;
    TScratchDir dir(L"nodir");
    WriteFileBytes(dir / L"file", "x");
    Shared.InstallDir = dir / L"file\\Inst";
    const TScriptItem items[] = {
        MakeItem(0x1400E, nullptr, 1),
        MakeItem(0x18001, L"Source", 0, 3),
        MakeItem(opCheckFileExists, dir.Path().c_str(), 0, 0),
    };
    TScript script(items, 3);
    const std::vector<std::pair<int, int>> errors = Walk(script);
    REQUIRE(errors.size() == 1);
    CHECK(errors[0].first == 1);
    CHECK(script.Current() == 3);
    CHECK(script.LogString() == L"Check file: " + dir.Path() + L"...Success");
    CHECK(ReadFileBytes(dir / L"file") == "x");
    CHECK_FALSE(PathExists(dir / L"file\\Inst"));
}

TEST_CASE_FIXTURE(TEngineDir, "an uninstall log that cannot be created is reported in the text log")
{
    CreateDirectoryW((dir / L"uninst.log").c_str(), nullptr);  // a folder in the way
    {
        TScript script(nullptr, 0);
        script.Start();
    }
    const std::vector<std::wstring> lines = ReadUtf16Lines(dir / L"install.log");
    REQUIRE(lines.size() == 4);
    CHECK(lines[3] == SysErrorMessage(ERROR_ACCESS_DENIED));
}
