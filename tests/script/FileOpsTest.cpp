// File operations: their effects on disk, result codes and log lines.
#include "support/Utils.h"
#include "tests/script/ScriptTestEnv.h"

namespace {

TScriptItem TwoPathItem(uint32_t id, const wchar_t* text, const wchar_t* text3)
{
    TScriptItem item = MakeItem(id, text, 0, 3);
    item.Text3 = text3;
    item.DirKind2 = 3;
    return item;
}

}  // namespace

TEST_CASE("CreateFolder creates every missing level")
{
    TEngineState state;
    TScratchDir dir(L"mkdir");
    Shared.InstallDir = dir / L"Inst";

    TOutcome outcome = RunItem(MakeItem(opCreateFolder, L"", 0, 3));
    CHECK(outcome.Result == 0);
    CHECK(outcome.Log == L"Creating directory: " + (dir / L"Inst") + L"...Success");

    outcome = RunItem(MakeItem(opCreateFolder, L"a\\b\\c", 0, 3));
    CHECK(outcome.Result == 0);
    CHECK(DirectoryExists(dir / L"Inst\\a\\b\\c"));
    CHECK(RunItem(MakeItem(opCreateFolder, L"a\\b", 0, 3)).Result == 0);  // already there
}

TEST_CASE("the payload copy rules: always, only if missing, only if newer by product version")
{
    constexpr uint32_t Folder = ~0u;  // a folder in the target's place
    struct TCase {
        const char* Name;
        uint32_t Id;
        uint32_t Installed;  // payload written as the target first; 0 = none
        uint32_t Payload;
        bool Copies;
    };
    const TCase cases[] = {
        {"always: a longer file is overwritten", opCopyPayloadFile, plTool1234, plText, true},
        {"only if missing: a file stays", 0x30000 | opCopyPayloadIfMissing, plTool1234, plText, false},
        {"only if missing: a folder stays", opCopyPayloadIfMissing, Folder, plText, false},
        {"only if missing: copied", opCopyPayloadIfMissing, 0, plText, true},
        // Product versions compare most significant word first, unsigned.
        {"missing target", opCopyPayloadIfNewer, 0, plTool1234, true},
        {"equal versions", opCopyPayloadIfNewer, plTool1234, plTool1234, false},
        {"higher least significant word", opCopyPayloadIfNewer, plTool1234, plTool1235, true},
        {"lower least significant word", opCopyPayloadIfNewer, plTool1235, plTool1234, false},
        {"higher most significant word, lower least", opCopyPayloadIfNewer, plTool1235, plTool1300, true},
        {"lower most significant word, higher least", opCopyPayloadIfNewer, plTool1300, plTool1235, false},
        {"most significant word above 0x7FFFFFFF", opCopyPayloadIfNewer, plTool1300, plTool32768, true},
        {"payload without version information", opCopyPayloadIfNewer, plTool1234, plText, true},
        {"target without version information", opCopyPayloadIfNewer, plText, plTool1234, true},
    };
    for (const TCase& c : cases) {
        CAPTURE(c.Name);
        const TEngineDir env;
        const TScratchDir& dir = env.dir;
        const std::wstring target = dir / L"qzt-untwk.exe";
        if (c.Installed == Folder)
            REQUIRE(CreateDirectoryW(target.c_str(), nullptr));
        else if (c.Installed != 0)
            REQUIRE(ExtractPayload(c.Installed, target) == 0);
        REQUIRE(ExtractPayload(c.Payload, dir / L"payload") == 0);
        const std::string before = ReadFileBytes(target);

        const TOutcome outcome = RunItem(MakeItem(c.Id, L"qzt-untwk.exe", c.Payload, 3));
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log == L"Copying file: " + target + (c.Copies ? L"...Success" : L"...Already"));
        CHECK(ReadFileBytes(target) == (c.Copies ? ReadFileBytes(dir / L"payload") : before));
        // The version test's temporary copy is gone in every case.
        CHECK_FALSE(PathExists(CombinePath(GetKindDir(5), L"qzt-untwk.exe")));
    }

    // A payload identifier without resource is the system's error.
    const TEngineDir env;
    const TOutcome outcome = RunItem(MakeItem(opCopyPayloadFile, L"out.txt", 999, 3));
    CHECK(outcome.Result == ERROR_RESOURCE_NAME_NOT_FOUND);
    CHECK(outcome.Log == L"Copying file: " + (env.dir / L"out.txt") + L"...Fail. " +
                             SysErrorMessage(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_CASE_FIXTURE(TEngineDir, "CopyInstalledFile copies to the target record's folder")
{
    ForceDirectory(dir / L"Delphi3");
    WriteFileBytes(dir / L"Delphi3\\qzl30.dpl", "package");
    const TPackageTarget target = {L"copy\\qzl30.dpl", 3};
    ForceDirectory(dir / L"copy");
    WriteFileBytes(dir / L"copy\\qzl30.dpl", "older");

    TScriptItem item = MakeItem(opCopyInstalledFile, L"Delphi3\\qzl30.dpl", 0, 3);
    item.Target = &target;
    TOutcome outcome = RunItem(item);
    CHECK(outcome.Result == 0);
    CHECK(outcome.Log == L"Copying file: from " + (dir / L"Delphi3\\qzl30.dpl") + L" to " +
                             (dir / L"copy\\qzl30.dpl") + L" ...Success");
    CHECK(ReadFileBytes(dir / L"copy\\qzl30.dpl") == "package");

    item.Text = L"Delphi3\\absent.dpl";
    outcome = RunItem(item);
    CHECK(outcome.Result == ERROR_FILE_NOT_FOUND);
    CHECK(outcome.Log == L"Copying file: from " + (dir / L"Delphi3\\absent.dpl") + L" to " +
                             (dir / L"copy\\qzl30.dpl") + L" ...Fail. " + SysErrorMessage(ERROR_FILE_NOT_FOUND));
}

TEST_CASE_FIXTURE(TEngineDir, "CopyFiles and DeleteFiles move the files a mask matches")
{
    ForceDirectory(dir / L"Source\\sub.hpp");  // a folder matching the mask is not copied
    ForceDirectory(dir / L"BDS2006");
    WriteFileBytes(dir / L"Source\\a.hpp", "A");
    WriteFileBytes(dir / L"Source\\b.hpp", "B");
    WriteFileBytes(dir / L"Source\\c.pas", "C");

    TOutcome outcome = RunItem(TwoPathItem(opCopyFiles, L"Source\\*.hpp", L"BDS2006\\*.hpp"));
    CHECK(outcome.Result == 0);
    CHECK(outcome.Log == L"Copying file: from " + (dir / L"Source\\*.hpp") + L" to " + (dir / L"BDS2006\\*.hpp") +
                             L" ...Success");
    CHECK(ReadFileBytes(dir / L"BDS2006\\a.hpp") == "A");
    CHECK(ReadFileBytes(dir / L"BDS2006\\b.hpp") == "B");
    CHECK_FALSE(PathExists(dir / L"BDS2006\\c.pas"));

    outcome = RunItem(MakeItem(opDeleteFiles, L"Source\\*.hpp", 0, 3));
    CHECK(outcome.Result == 0);
    CHECK(outcome.Log == L"Deleting files: " + (dir / L"Source\\*.hpp") + L"...Success");
    CHECK_FALSE(PathExists(dir / L"Source\\a.hpp"));
    CHECK_FALSE(PathExists(dir / L"Source\\b.hpp"));
    CHECK(PathExists(dir / L"Source\\c.pas"));

    // A mask that matches nothing is success; a missing destination folder
    // fails with the first copy's error.
    outcome = RunItem(TwoPathItem(opCopyFiles, L"Source\\*.hpp", L"BDS2006\\*.hpp"));
    CHECK(outcome.Result == 0);
    CHECK(outcome.Log.substr(outcome.Log.size() - 11) == L" ...Success");
    outcome = RunItem(TwoPathItem(opCopyFiles, L"Source\\*.pas", L"Nowhere\\*.pas"));
    CHECK(outcome.Result == ERROR_PATH_NOT_FOUND);
    CHECK(outcome.Log == L"Copying file: from " + (dir / L"Source\\*.pas") + L" to " + (dir / L"Nowhere\\*.pas") +
                             L" ...Fail. " + SysErrorMessage(ERROR_PATH_NOT_FOUND));
}

TEST_CASE("DeleteSingleFile, ClearFolder, SetWorkFolder and CheckFileExists")
{
    // Removed after the state is back: the test leaves the process inside it.
    TScratchDir dir(L"misc");
    TEngineState state;
    Shared.InstallDir = dir.Path();

    SUBCASE("DeleteSingleFile reports success whether or not the file was there")
    {
        WriteFileBytes(dir / L"x.gid", "x");
        for (int run = 0; run < 2; ++run) {
            const TOutcome outcome = RunItem(MakeItem(0x10000 | opDeleteSingleFile, L"x.gid", 0, 3));
            CHECK(outcome.Result == 0);
            CHECK(outcome.Log == L"Deleting file: " + (dir / L"x.gid") + L"...Success");
        }
        CHECK_FALSE(PathExists(dir / L"x.gid"));
    }
    SUBCASE("ClearFolder empties a folder but keeps it; a file that stays is a failure")
    {
        ForceDirectory(dir / L"P\\sub");
        WriteFileBytes(dir / L"P\\sub\\b.txt", "b");
        TOutcome outcome = RunItem(MakeItem(opClearFolder, L"P", 0, 3));
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log == L"Clearing directory: " + (dir / L"P") + L"...Success");
        CHECK(DirectoryExists(dir / L"P"));
        CHECK_FALSE(PathExists(dir / L"P\\sub"));

        WriteFileBytes(dir / L"P\\locked.txt", "l");
        SetFileAttributesW((dir / L"P\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        outcome = RunItem(MakeItem(opClearFolder, L"P", 0, 3));
        SetFileAttributesW((dir / L"P\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log == L"Clearing directory: " + (dir / L"P") + L"...Fail");
    }
    SUBCASE("SetWorkFolder changes the current directory and logs nothing")
    {
        ForceDirectory(dir / L"Work");
        TOutcome outcome = RunItem(MakeItem(opSetWorkFolder, L"Work", 0, 3));
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log.empty());
        wchar_t current[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, current);
        CHECK(LowerCase(current) == LowerCase(dir / L"Work"));

        outcome = RunItem(MakeItem(opSetWorkFolder, L"Absent", 0, 3));
        CHECK(outcome.Result == ERROR_FILE_NOT_FOUND);
        CHECK(outcome.Log.empty());
    }
    SUBCASE("CheckFileExists counts a folder as present and a missing file as result 1")
    {
        WriteFileBytes(dir / L"f.bpl", "f");
        CHECK(RunItem(MakeItem(opCheckFileExists, L"f.bpl", 0, 3)).Log ==
              L"Check file: " + (dir / L"f.bpl") + L"...Success");
        CHECK(RunItem(MakeItem(opCheckFileExists, L"", 0, 3)).Result == 0);
        const TOutcome outcome = RunItem(MakeItem(opCheckFileExists, L"g.bpl", 0, 3));
        CHECK(outcome.Result == 1);
        CHECK(outcome.Log == L"Check file: " + (dir / L"g.bpl") + L"...Fail");
    }
}

TEST_CASE("AppendToHelpConfig appends a line once, joined to the file's last line break")
{
    TEngineState state;
    TScratchDir ide(L"helpcfg");
    IdeCatalogue[8].RootDir = ide.Path();  // Delphi7: d7.ohi, d7.ohl, d7.als
    SetCurrentProduct(9, L"");
    ForceDirectory(ide / L"Help");
    const std::wstring ohi = ide / L"Help\\d7.ohi";
    const TScriptItem item = MakeItem(0x10000 | opAppendToHelpConfig,
                                      L"\r\n:Index Orvane library components=qzlib.hlp", 1, 4);
    const std::string line = ":Index Orvane library components=qzlib.hlp\r\n";
    const std::string upper = "\r\n:INDEX ORVANE LIBRARY COMPONENTS=QZLIB.HLP\r\n";
    struct {
        std::string Before;
        std::string After;
        const wchar_t* Outcome;
    } const cases[] = {
        {":Index Delphi=delphi7.hlp\r\n", ":Index Delphi=delphi7.hlp\r\n" + line, L"...Success"},
        {":Index Delphi=delphi7.hlp", ":Index Delphi=delphi7.hlp\r\n" + line, L"...Success"},
        {"", "\r\n" + line, L"...Success"},
        {":Index Delphi=delphi7.hlp\r\n" + line, ":Index Delphi=delphi7.hlp\r\n" + line, L"...Already"},
        {upper, upper, L"...Already"},  // letter case is ignored
    };
    for (const auto& c : cases) {
        CAPTURE(c.Before);
        WriteFileBytes(ohi, c.Before);
        const TOutcome outcome = RunItem(item);
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log == L"Modifying file: " + ohi + c.Outcome);
        CHECK(ReadFileBytes(ohi) == c.After);
    }

    // No current product does nothing and says so.
    SetCurrentProduct(0, L"");
    const TOutcome none = RunItem(item);
    CHECK(none.Result == -8);
    CHECK(none.Log == L"No IDE version selected for: " + std::wstring(item.Text) + L"...Fail");
    CHECK(ReadFileBytes(ohi) == upper);

    // A missing file, or a slot without a file, is -1 with no log text.
    SetCurrentProduct(9, L"");
    DeleteFileW(ohi.c_str());
    CHECK(RunItem(item).Result == -1);
    CHECK_FALSE(PathExists(ohi));
    SetCurrentProduct(1, L"");  // Delphi3 has one help file only
    const TOutcome noSlot = RunItem(MakeItem(opAppendToHelpConfig, L":Link qzlib.hlp", 2, 4));
    CHECK(noSlot.Result == -1);
    CHECK(noSlot.Log.empty());
}

TEST_CASE("directory kinds 2 and 4 without a current product touch nothing")
{
    // Removed after the state is back: the test leaves the process inside it.
    TScratchDir dir(L"noproduct");
    TEngineState state;
    SetCurrentDirectoryW(dir.Path().c_str());
    for (uint32_t kind : {2u, 4u}) {
        CAPTURE(kind);
        for (uint32_t id : {opCreateFolder, opCopyPayloadFile, opCheckFileExists, opSetWorkFolder}) {
            CAPTURE(id);
            const TOutcome outcome = RunItem(MakeItem(id, L"rel", plText, kind));
            CHECK(outcome.Result == -8);
            CHECK_FALSE(PathExists(dir / L"rel"));
        }
    }
    // IfFileExists on such a path skips its block and reports the error.
    const TScriptItem items[] = {
        MakeItem(opIfFileExists, L"bin\\dcc64.exe", 5, 2),
        MakeItem(opCreateFolder, L"inside", 0, 0),
        MakeItem(opEndIfFileExists, nullptr, 5),
    };
    TScript script(items, 3);
    CHECK(script.ItemDoScript() == -8);
    script.SetCurrent(1);
    CHECK(script.ItemDoScript() == 0);
    CHECK_FALSE(PathExists(dir / L"inside"));
}

TEST_CASE_FIXTURE(TEngineDir, "MergeFiles adds the missing lines in sort order")
{
    WriteFileBytes(dir / L"qzlib.als", "Alpha\r\nGamma\r\n");
    const TScriptItem item = TwoPathItem(opMergeFiles, L"qzlib.als", L"d7.als");

    SUBCASE("into a missing file")
    {
        const TOutcome outcome = RunItem(item);
        CHECK(outcome.Result == 0);
        CHECK(outcome.Log == L"Merging files: " + (dir / L"qzlib.als") + L", " + (dir / L"d7.als") + L"...Success");
        CHECK(ReadFileBytes(dir / L"d7.als") == "Alpha\r\nGamma\r\n");
    }
    SUBCASE("into a file that holds some of the lines")
    {
        WriteFileBytes(dir / L"d7.als", "Beta\r\nGamma\r\nZeta");
        CHECK(RunItem(item).Result == 0);
        CHECK(ReadFileBytes(dir / L"d7.als") == "Alpha\r\nBeta\r\nGamma\r\nZeta\r\n");
    }
}

TEST_CASE_FIXTURE(TEngineDir, "ReplaceText replaces the first occurrence, ignoring letter case, and cuts the file")
{
    TScriptItem item = MakeItem(opReplaceText, L"opts.cfg", 0, 3);
    item.Text2 = L"-u..\\LONG\\PATH";
    item.Text3 = L"-U..\\S";
    const std::wstring file = dir / L"opts.cfg";
    const std::wstring logStart =
        L"Replace text: File=" + file + L", FindText=-u..\\LONG\\PATH, ReplaceTo=-U..\\S";

    WriteFileBytes(file, "-$D+\r\n-U..\\long\\path\r\n-U..\\long\\path\r\n");
    TOutcome outcome = RunItem(item);
    CHECK(outcome.Result == 0);
    CHECK(outcome.Log == logStart + L"...Success");
    CHECK(ReadFileBytes(file) == "-$D+\r\n-U..\\S\r\n-U..\\long\\path\r\n");

    item.Text2 = L"absent";
    outcome = RunItem(item);
    CHECK(outcome.Result == 0);
    CHECK(outcome.Log == L"Replace text: File=" + file + L", FindText=absent, ReplaceTo=-U..\\S...Already");
    CHECK(ReadFileBytes(file) == "-$D+\r\n-U..\\S\r\n-U..\\long\\path\r\n");

    item.Text = L"missing.cfg";
    outcome = RunItem(item);
    CHECK(outcome.Result == -1);
    CHECK(outcome.Log.empty());
}
