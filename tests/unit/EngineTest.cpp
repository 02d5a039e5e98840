// Script operations with rules of their own, run through TScript::Run on
// small tables as the progress page runs them, and the support library's
// guards against removing what an installation does not own.
#include "tests/unit/UnitTest.h"

#include <cstring>

#include "catalogue/Catalogue.h"
#include "catalogue/KindDirs.h"
#include "script/Script.h"

namespace {

// What a run shows: the observer's calls and the items' lines of install.log.
struct TWalk : TScriptObserver {
    std::vector<std::wstring> Statuses, Failures, Lines;
    int Steps = 0;
    void ItemStarting(const std::wstring& status) override { Statuses.push_back(status); }
    void ItemFailed(const std::wstring& message) override { Failures.push_back(message); }
    void ItemFinished(int progressStep) override { Steps += progressStep; }
};

// Runs the items as the progress page does, into Shared.InstallDir.
TWalk Run(const std::vector<TScriptItem>& items)
{
    TWalk walk;
    TScript(items.data(), static_cast<int>(items.size())).Run(walk);
    const std::string bytes = ReadBytes(CombinePath(Shared.InstallDir, L"install.log"));
    std::wstring text(bytes.size() / 2, L' ');
    std::memcpy(&text[0], bytes.data(), text.size() * 2);
    for (size_t begin = 0, end; (end = text.find(L"\r\n", begin)) != std::wstring::npos; begin = end + 2)
        walk.Lines.push_back(text.substr(begin, end - begin));
    // After the start line, RootPath and the products.
    REQUIRE(walk.Lines.size() >= 3);
    walk.Lines.erase(walk.Lines.begin(), walk.Lines.begin() + 3);
    return walk;
}

}  // namespace

TEST_CASE("CopyPayloadIfNewer replaces a file only by a higher product version")
{
    TSandbox box;
    Shared.InstallDir = box / L"inst";
    REQUIRE((ForceDirectory(Shared.InstallDir) == 0 && ExtractPayload(1, box / L"payload") == 0));  // 1.2.3.5
    const std::string payload = ReadBytes(box / L"payload");
    const size_t version = payload.find("\xBD\x04\xEF\xFE") + 16;  // the product version in VS_FIXEDFILEINFO
    // Kind 0: no target; 1: a target without version; 2: the payload as version High.Low, marked to tell it apart.
    struct TRow { std::string Name; const wchar_t* File; int Kind; uint32_t Version[2]; bool Replaced; };
    const TRow rows[] = {
        {"no target", L"a", 0, {}, true}, {"target without version", L"b", 1, {}, true},
        {"same version", L"c", 2, {0x10002, 0x30005}, false},
        {"payload higher in the low word", L"d", 2, {0x10002, 0x30004}, true},
        {"target higher, as unsigned number", L"e", 2, {0x80000000, 0}, false},
    };
    std::vector<TScriptItem> items;
    for (const TRow& row : rows) {
        std::string target = row.Kind == 1 ? "text" : payload + "mark";
        if (row.Kind == 2)
            std::memcpy(&target[version], row.Version, sizeof row.Version);
        REQUIRE((row.Kind == 0 || WriteBytes(CombinePath(Shared.InstallDir, row.File), target)));
        items.push_back({opCopyPayloadIfNewer, row.File, 1, 3});
    }
    const TWalk walk = Run(items);
    CHECK(walk.Failures.empty());
    REQUIRE(walk.Lines.size() == items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        INFO(rows[i].Name);
        const std::wstring target = CombinePath(Shared.InstallDir, rows[i].File);
        CHECK(walk.Lines[i] == L"Copying file: " + target + (rows[i].Replaced ? L"...Success" : L"...Already"));
        CHECK((ReadBytes(target) == payload) == rows[i].Replaced);
        CHECK_FALSE(PathExists(box / rows[i].File));  // the payload's copy for the version test is gone
    }
}

TEST_CASE("IDE help files and path lists get a line or folder once, as a line or entry of its own")
{
    TSandbox box;  // an empty installation directory keeps the folders short: the lists do not care
    REQUIRE(SetCurrentDirectoryW(box.Dir.c_str()));
    // Help files of a version with three of them (kind 0: in the current directory), twice.
    const TBorlandProduct& d7 = *IdeByIndex(9);
    const std::string files[][3] = {{"file ending in a line break", "a\r\n", "a\r\n:Link q\r\n"},
                                    {"file without a final line break", "a", "a\r\n:Link q\r\n"},
                                    {"empty file", "", "\r\n:Link q\r\n"}};
    std::vector<TScriptItem> items = {{opSelectProduct, L"Delphi7", 9}};
    for (uint32_t slot = 1; slot <= 3; ++slot) {  // each line twice, the second time in other letter case
        REQUIRE(WriteBytes(box / d7.HelpStr[slot - 1], files[slot - 1][1]));
        items.push_back({opAppendToHelpConfig, L"\r\n:Link q", slot});
        items.push_back({opAppendToHelpConfig, L"\r\n:LINK Q", slot});
    }
    TWalk walk = Run(items);
    CHECK(walk.Failures.empty());
    REQUIRE(walk.Lines.size() == 6);
    for (uint32_t slot = 1; slot <= 3; ++slot) {
        INFO(files[slot - 1][0]);
        CHECK(ReadBytes(box / d7.HelpStr[slot - 1]) == files[slot - 1][2]);
        CHECK(walk.Lines[2 * slot - 2] == L"Modifying file: " + std::wstring(d7.HelpStr[slot - 1]) + L"...Success");
        CHECK(walk.Lines[2 * slot - 1] == L"Modifying file: " + std::wstring(d7.HelpStr[slot - 1]) + L"...Already");
    }

    const std::wstring key = std::wstring(IdeByIndex(16)->RegKey) + L"\\P";
    struct TRow { std::string Name; TScriptItem Item; const wchar_t *Value, *Before, *After, *Log; };
    const TRow rows[] = {
        {"longer entry beginning with the folder", {opAddIdePath, L"\\P\\A", 0x83}, L"A", L"RADStudio9\\Win32X",
         L"RADStudio9\\Win32X;RADStudio9\\Win32", L"RADStudio9\\Win32...Success"},
        {"folder in other case", {opAddIdePath, L"\\P\\B", 1}, L"B", L"Y;SOURCE", L"Y;SOURCE", L"Source...Already"},
        {"empty list", {opAddIdePath, L"\\P\\C", 2}, L"C", L"", L"RADStudio9", L"RADStudio9...Success"},
        {"list ending in ;", {opAddLibraryPath, L"Lib", 0, 3, L"P", L"D"}, L"D", L"Y;", L"Y;Lib", L"Lib...Success"},
        {"AddIdePath on a missing value", {opAddIdePath, L"\\P\\E", 1}, L"E", nullptr, nullptr, nullptr},
    };
    items = {{opSelectProduct, L"RADStudio9", 16}};
    std::vector<std::wstring> lines;  // a row without a log text writes no line
    for (const TRow& row : rows) {
        if (row.Before)
            REQUIRE(RegWriteStr(HKEY_CURRENT_USER, key, row.Value, row.Before));
        items.push_back(row.Item);
        if (row.Log)
            lines.push_back(L"Adding search path: " + std::wstring(row.Log));
    }
    walk = Run(items);
    CHECK(walk.Failures.empty());
    CHECK(walk.Lines == lines);
    for (const TRow& row : rows) {
        INFO(row.Name);
        CHECK(RegText(HKEY_CURRENT_USER, key, row.Value) == (row.After ? row.After : L"<missing>"));
    }
}

TEST_CASE("Run shows each item's status until an item with its own, and reports a failure with its log text")
{
    TSandbox box;
    Shared.InstallDir = box / L"inst";
    const std::vector<TScriptItem> items = {{opCreateFolder, L"d", 0, dkInstall},
                                            {opCopyPayloadIfMissing, L"g", 1, dkProductRoot},
                                            {opSelectProduct, L"D", 1},
                                            {opCopyPayloadFile, L"f", 1, dkInstall},
                                            {opCopyPayloadIfMissing, L"f", 1, dkInstall},
                                            {opCompilePackage, L"p"}};
    const TWalk walk = Run(items);
    const std::vector<std::wstring> statuses = {L"Creating directory", L"Creating directory", L"Creating directory",
                                                L"Copying file", L"Copying file", L"Compiling package"};
    CHECK(walk.Statuses == statuses);
    CHECK(walk.Steps == 6);
    // dkProductRoot needs a current version; an empty mask compiles nothing.
    const std::vector<std::wstring> failures = {
        L"Error in ScriptItem=1, ErrorCode=fffffff8h ScriptItemId=8010 with text\r\n"
        L"No IDE version selected for: g...Fail",
        L"Error in ScriptItem=5, ErrorCode=ffffffffh ScriptItemId=6 with text\r\n"};
    CHECK(walk.Failures == failures);
    const std::wstring folder = CombinePath(Shared.InstallDir, L"d"), file = CombinePath(Shared.InstallDir, L"f");
    const std::vector<std::wstring> lines = {L"Creating directory: " + folder + L"...Success",
                                             L"No IDE version selected for: g...Fail",
                                             L"Copying file: " + file + L"...Success",
                                             L"Copying file: " + file + L"...Already"};
    CHECK(walk.Lines == lines);
}

TEST_CASE("the product's directory kinds follow its catalogue entry, also when detection changes it later")
{
    TBorlandProduct& d7 = *IdeByIndex(9);
    const std::wstring detected = d7.RootDir;
    d7.RootDir = L"C:\\D7";
    SetCurrentProduct(9, L"Delphi7");
    CHECK(GetKindDir(dkProductRoot, L"") == L"C:\\D7");
    d7.RootDir = L"E:\\Delphi 7";
    CHECK(GetKindDir(dkProductHelp, L"") == L"E:\\Delphi 7\\Help\\");
    d7.RootDir = L"";
    CHECK(GetKindDir(dkProductHelp, L"") == L"");  // not "\\Help\\" on the current drive
    d7.RootDir = detected;
    SetCurrentProduct(0, L"");
    CHECK(GetKindDir(dkProductRoot, L"") == L"");
}

TEST_CASE("a path splits at its last backslash, and a folder with a ; in its name is one entry of a ; list")
{
    const wchar_t* const splits[][3] = {
        {L"C:\\A\\b.bpl", L"C:\\A", L"b.bpl"}, {L"C:\\b.bpl", L"C:\\", L"b.bpl"},
        {L"\\\\?\\C:\\A", L"\\\\?\\C:\\", L"A"}, {L"Software\\X\\Y", L"Software\\X", L"Y"},
        {L"A\\", L"A", L""}, {L"\\b.bpl", L"", L"\\b.bpl"}, {L"b.bpl", L"", L"b.bpl"}, {L"", L"", L""}};
    for (const auto& row : splits) {
        const TPathParts parts = SplitPath(row[0]);
        CHECK_MESSAGE((parts.Folder == row[1] && parts.Name == row[2]), row[0]);
    }
    // The list rules themselves are judged through AddIdePath above and the deinstaller's undo.
    std::wstring list = L"D;C:\\A;B;E";
    CHECK((!AddListEntry(list, L"c:\\a;b") && RemoveListEntry(list, L"C:\\A;B") && list == L"D;E"));
}

TEST_CASE("DeleteDirTree refuses protected folders and removes a directory link without entering it")
{
    const std::wstring windows = WindowsDirectory();
    const std::pair<std::wstring, bool> rows[] = {
        {L"", true}, {L"Orvane", true}, {L"C:Orvane", true}, {L"C:\\", true}, {L"\\\\server\\share\\", true},
        {LowerCase(windows) + L"\\", true}, {windows + L"\\qz\\..", true}, {windows + L"\\Orvane", false},
        {L"\\\\server\\share\\Orvane", false}};
    for (const auto& row : rows)
        CHECK_MESSAGE(IsProtectedFolder(row.first) == row.second, WideToUtf8(row.first));

    TSandbox box;
    REQUIRE((ForceDirectory(box / L"outside\\inner") == 0 && ForceDirectory(box / L"tree\\sub") == 0));
    REQUIRE((WriteBytes(box / L"outside\\inner\\keep", "") && WriteBytes(box / L"tree\\sub\\own", "")));
    REQUIRE(SetCurrentDirectoryW((box / L"tree\\sub").c_str()));
    CHECK(DeleteDirTree(L"..\\..\\outside", false) == ddRefused);  // relative
    // Wine's CreateSymbolicLinkW makes nothing, so the Unix tool makes the link; it ends before the link shows.
    REQUIRE(RunAndWait(L"Z:\\bin\\ln -s ../../outside link", L"") == 0);
    for (int i = 0; i < 100 && !DirectoryExists(box / L"tree\\sub\\link"); ++i)
        Sleep(20);
    REQUIRE(FileExists(box / L"tree\\sub\\link\\inner\\keep"));
    // Wine cannot remove a Unix link with RemoveDirectoryW: neither the result nor the link is judged.
    DeleteDirTree(box / L"tree", false);
    CHECK_FALSE(PathExists(box / L"tree\\sub\\own"));
    CHECK(FileExists(box / L"outside\\inner\\keep"));
    REQUIRE(RunAndWait(L"Z:\\bin\\rm -f link", L"") == 0);  // so the sandbox can go
    for (int i = 0; i < 100 && PathExists(box / L"tree\\sub\\link"); ++i)
        Sleep(20);
}
