// The product's whole script, walked as the progress page walks it, against
// fake installations of six IDE versions; then the files, packages,
// registry values and both logs it leaves.
#include <algorithm>

#include "support/Utils.h"
#include "tests/fakeide/FakeIde.h"
#include "tests/script/ScriptTestEnv.h"
#include "uninstall/UninstLog.h"

namespace {

struct TChosenIde {
    int Entry;
    const wchar_t* Folder;  // the product folder its SelectProduct names
    bool With64;
};
// In script order; RAD Studio 11 lacks dcc64.exe.
const TChosenIde Chosen[] = {
    {1, L"Delphi3", false},  {8, L"CBuilder6", false}, {9, L"Delphi7", false},
    {11, L"BDS2006", false}, {16, L"RADStudio9", true}, {28, L"RADStudio22", false},
};

bool ListHas(const std::wstring& list, const std::wstring& entry)
{
    const std::wstring wanted = LowerCase(entry);
    std::wstring lower = LowerCase(list) + L";";
    for (size_t begin = 0, end; (end = lower.find(L';', begin)) != std::wstring::npos; begin = end + 1)
        if (lower.compare(begin, end - begin, wanted) == 0)
            return true;
    return false;
}

// What the walk leaves outside its scratch folders, removed afterwards.
class TMachineCleanup {
public:
    TMachineCleanup()
    {
        for (const TPackageTarget& target : PackageTargets)
            if (target.DirKind == 6 && !PathExists(CombinePath(GetKindDir(6), target.Name)))
                FNewPackages.push_back(CombinePath(GetKindDir(6), target.Name));
        FNewTemplates = !PathExists(CombinePath(GetKindDir(1), L"Orvane.ini"));
    }
    ~TMachineCleanup()
    {
        for (const std::wstring& path : FNewPackages)
            DeleteFileW(path.c_str());
        if (FNewTemplates)
            DeleteFileW(CombinePath(GetKindDir(1), L"Orvane.ini").c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(Product::UninstallRoot) + Product::UninstallKeyName).c_str());
        RegRemoveValue(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\Help", L"qzlib.hlp");
        RegRemoveValue(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\Help", L"qzlib.cnt");
        RegDeleteKeyTree(HKEY_LOCAL_MACHINE, Product::RegKey);
    }

private:
    std::vector<std::wstring> FNewPackages;
    bool FNewTemplates = false;
};

}  // namespace

TEST_CASE("the whole script installs into six fake IDEs and logs every step")
{
    // Removed after the state is back: the test leaves the process inside it.
    TScratchDir base(L"e2e");
    TMachineCleanup cleanup;
    TEngineState state;
    const std::wstring install = base / L"Orvane Library";  // a blank, as below Program Files
    const std::wstring system = GetKindDir(6);

    struct TFakeGuard {
        const TScratchDir& Base;
        ~TFakeGuard()
        {
            for (const TChosenIde& ide : Chosen)
                RemoveFakeIde(ide.Entry, Base / (L"IDE " + std::to_wstring(ide.Entry)));
        }
    } fakes{base};
    for (const TChosenIde& ide : Chosen) {
        TFakeIdeOptions options;
        options.With64 = ide.With64;
        REQUIRE(CreateFakeIde(ide.Entry, base / (L"IDE " + std::to_wstring(ide.Entry)), options));
    }
    DetectInstalledIdes();

    // The masks as the selection page computes them: every detected IDE row,
    // the help files and both demo rows.
    for (const TChosenIde& ide : Chosen) {
        TBorlandProduct& entry = IdeCatalogue[ide.Entry - 1];
        REQUIRE(entry.Exists);
        entry.Selected = true;
        for (const TCustomizeItem& row : CustomizeList)
            if (row.IdeMask == entry.InternalId) {
                Shared.InstallItems |= row.ItemBit;
                Shared.InstallVersions |= row.IdeMask;
            }
    }
    Shared.InstallItems |= 0x80 | 0x100 | 0x200;
    Shared.InstallDir = install;

    std::vector<std::pair<int, int>> errors;
    {
        TScript script;
        REQUIRE(script.Count() == 960);
        errors = Walk(script);
        CHECK(script.Current() == 960);
    }
    for (const auto& error : errors)
        MESSAGE("item " << error.first << " result " << error.second);
    CHECK(errors.empty());

    {  // files and packages
        for (const wchar_t* file : {L"Source\\qzl.inc", L"Source\\qzlabout.dll", L"untwk.exe", L"Help\\qzlib.hlp",
                                    L"delphi3\\qzl30.dpl", L"delphi3\\dclqzl30.dpl", L"delphi3\\qzl.inc"})
            CHECK_MESSAGE(PathExists(CombinePath(install, file)), Narrow(file));
        for (const wchar_t* package : {L"qzl30.dpl", L"qzl70.bpl", L"qzl60.bpl", L"qzl2006.bpl", L"qzl160.bpl",
                                       L"qzl280.bpl"})
            CHECK_MESSAGE(PathExists(CombinePath(system, package)), Narrow(package));
        CHECK(PathExists(CombinePath(GetKindDir(1), L"Orvane.ini")));
        CHECK(DirectoryExists(install + L"\\RADStudio9\\Win64"));
    }
    {  // registry values
        const auto UserText = [](const std::wstring& key, const std::wstring& name) {
            return RegText(HKEY_CURRENT_USER, key, name);
        };
        const std::wstring description = L"Trial version of Orvane library v4.07";
        const std::wstring d3 = IdeCatalogue[0].RegKey;
        CHECK(UserText(d3 + L"\\Known Packages", install + L"\\delphi3\\dclqzl30.dpl") == description);
        CHECK(ListHas(UserText(d3 + L"\\Library", L"SearchPath"), install + L"\\delphi3"));

        const std::wstring xe2 = IdeCatalogue[15].RegKey;
        const std::wstring xe2Win32 = UserText(xe2 + L"\\Library\\Win32", L"Search Path");
        CHECK(xe2Win32.find(FakeIdeSearchPath(16)) == 0);  // appended behind what the IDE had
        CHECK(ListHas(xe2Win32, install + L"\\RADStudio9\\Win32"));
        CHECK(ListHas(UserText(xe2 + L"\\Library\\Win64", L"Search Path"), install + L"\\RADStudio9\\Win64"));

        const std::wstring r11 = IdeCatalogue[27].RegKey;
        CHECK_FALSE(ListHas(UserText(r11 + L"\\Library\\Win64", L"Search Path"),
                            install + L"\\RADStudio22\\Win64"));  // no dcc64.exe: block skipped
        CHECK(ListHas(UserText(r11 + L"\\Library\\Win32", L"Search Path"), install + L"\\RADStudio22\\Win32"));

        for (const TChosenIde& ide : Chosen)
            CHECK(UserText(std::wstring(IdeCatalogue[ide.Entry - 1].RegKey) + L"\\Globals",
                                L"ForceEnvOptionsUpdate") == L"<missing>");

        CHECK(RegText(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\Help", L"qzlib.hlp") == install + L"\\Help");
        CHECK(RegText(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\Help", L"qzlib.cnt") == install + L"\\Help");
        const std::wstring uninstall = std::wstring(Product::UninstallRoot) + Product::UninstallKeyName;
        CHECK(RegText(HKEY_LOCAL_MACHINE, uninstall, L"DisplayName") == L"Tarnwick Orvane library v4.07");
        CHECK(RegText(HKEY_LOCAL_MACHINE, uninstall, L"UninstallString") ==
              L"\"" + install + L"\\untwk.exe\" \"" + install + L"\\uninst.log\"");
        CHECK(RegKeyExists(HKEY_LOCAL_MACHINE, Product::RegKey));
    }
    {  // install.log, line by line for the Delphi 3 block
        const std::vector<std::wstring> lines = ReadUtf16Lines(install + L"\\install.log");
        REQUIRE(lines.size() > 3);
        CHECK(lines[0] == L"Start installation for trial version of Orvane library v4.07");
        CHECK(lines[1] == L"RootPath: " + install);
        CHECK(lines[2] == L"Borland products: Delphi3,CBuilder6,Delphi7,BDS2006,RADStudio9,RADStudio22");

        const std::wstring d3 = install + L"\\delphi3";
        const std::wstring help = IdeCatalogue[0].RootDir + L"\\Help\\";
        std::vector<std::wstring> expected = {L"Creating directory: " + d3 + L"...Success",
                                              L"Clearing directory: " + d3 + L"...Success"};
        for (int i = 79; i <= 107; ++i)
            expected.push_back(L"Copying file: " + CombinePath(install, ScriptItems[i].Text) + L"...Success");
        const std::vector<std::wstring> tail = {
            L"Copying file: from " + install + L"\\Source\\qzl.inc to " + d3 + L"\\qzl.inc ...Success",
            L"Compiling package: qzl30.dpk...Success",
            L"Check file: " + d3 + L"\\qzl30.dpl...Success",
            L"Copying file: from " + d3 + L"\\qzl30.dpl to " + system + L"\\qzl30.dpl ...Success",
            L"Compiling package: dclqzl30.dpk...Success",
            L"Check file: " + d3 + L"\\dclqzl30.dpl...Success",
            L"Registering package: " + d3 + L"\\dclqzl30.dpl...Success",
            L"Adding search path: " + d3 + L"...Success",
            L"Modifying file: " + help + L"delphi3.cfg...Success",
            L"Modifying file: " + help + L"delphi3.cfg...Success",
            L"Modifying file: " + help + L"delphi3.cfg...Success",
            L"Deleting file: " + help + L"delphi3.gid...Success",
        };
        expected.insert(expected.end(), tail.begin(), tail.end());
        const auto first = std::find(lines.begin(), lines.end(), expected[0]);
        REQUIRE(first != lines.end());
        REQUIRE(static_cast<size_t>(lines.end() - first) > expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            CHECK(first[static_cast<std::ptrdiff_t>(i)] == expected[i]);
        // The block's last line is followed by the next chosen block's first.
        CHECK(first[static_cast<std::ptrdiff_t>(expected.size())].rfind(L"Creating directory: ", 0) == 0);
    }
    {  // uninst.log, record by record
        const std::string log = ReadFileBytes(install + L"\\uninst.log");
        REQUIRE(log.size() > LogHeaderSize);
        CHECK(log.compare(0, LogHeaderSize, "UNTWK02") == 0);
        const std::vector<TLogRecord> records = LogRecords(log);
        REQUIRE(records.size() > 10);
        CHECK(records.back().Offset + records.back().Size == log.size());

        const uint32_t selectors[] = {1, 2, 3, 4, 5, 7, 6};
        const wchar_t* texts[] = {L"Orvane library", L"4.07", L"trial version", install.c_str(),
                                  L"Software\\Tarnwick\\Orvane library", L"qzlLib", L""};
        for (size_t i = 0; i < 7; ++i) {
            CHECK(records[i].Id == 0x1400E);
            CHECK(records[i].Code == selectors[i]);
            CHECK(LogRecordText(records[i]) == WideToUtf8(texts[i]));
        }
        CHECK(records[7].Id == 0x18001);
        CHECK(records[7].TextSize == 0);
        CHECK(LogRecordText(records[8]) == "Source");

        // Each chosen version: one block opened and closed by its SelectProduct.
        std::vector<std::string> blocks;
        int open = 0;
        for (size_t i = 9; i < records.size(); ++i) {
            if (TypeIdOf(records[i].Id) != opSelectProduct)
                continue;
            if (open == 0) {
                open = static_cast<int>(records[i].Code);
                blocks.push_back(LogRecordText(records[i]));
            } else {
                CHECK(static_cast<int>(records[i].Code) == open);
                open = 0;
            }
        }
        CHECK(open == 0);
        std::vector<std::string> expectedBlocks;
        for (const TChosenIde& ide : Chosen)
            expectedBlocks.push_back(WideToUtf8(ide.Folder));
        CHECK(blocks == expectedBlocks);

        CHECK(records.back().Id == 0x3000F);
        CHECK(records.back().Code == 0x80000002);
        CHECK(LogRecordText(records.back()) == "Software\\Tarnwick\\Orvane library");
    }
}
