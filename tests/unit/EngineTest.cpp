// Script operations with rules of their own, run through TScript on small
// tables as the progress page runs them, and the support library's guards
// against removing what the installation does not own.
#include "tests/unit/UnitTest.h"

#include <shlobj.h>

#include <cstring>

#include "catalogue/Catalogue.h"
#include "script/Script.h"
#include "support/SharedState.h"

namespace {

constexpr uint32_t VersionedPayload = 1;  // product version 1.2.3.5

struct TStep {
    int Result;
    std::wstring Log;
};

// Starts an engine on the items and performs each; their results and log texts.
std::vector<TStep> Run(const std::vector<TScriptItem>& items)
{
    std::vector<TStep> steps;
    TScript script(items.data(), static_cast<int>(items.size()));
    script.Start();
    for (; script.Current() < script.Count(); script.SetCurrent(script.Current() + 1)) {
        const int result = script.ItemDoScript();
        steps.push_back({result, script.LogString()});
    }
    return steps;
}

// "@" stands for the installation directory, "^" for it in lower case.
std::wstring Expand(const wchar_t* pattern)
{
    std::wstring text;
    for (const wchar_t* p = pattern; p && *p; ++p)
        text += *p == L'@' ? Shared.InstallDir : *p == L'^' ? LowerCase(Shared.InstallDir) : std::wstring(1, *p);
    return text;
}

}  // namespace

TEST_CASE("CopyPayloadIfNewer replaces a file only by a higher product version")
{
    TSandbox box;
    Shared.InstallDir = box / L"inst";
    REQUIRE(ForceDirectory(Shared.InstallDir) == 0);
    REQUIRE(ExtractPayload(VersionedPayload, box / L"payload") == 0);
    const std::string payload = ReadBytes(box / L"payload");
    const size_t fixed = payload.find("\xBD\x04\xEF\xFE");  // VS_FIXEDFILEINFO; product version at +16
    REQUIRE(fixed != std::string::npos);

    // Kind of target: 0 none, 1 without version information, 2 the payload with version High.Low and a
    // trailing mark, so that a kept target differs from the payload.
    struct TRow { const char* Name; const wchar_t* File; int Kind; uint32_t High, Low; bool Replaced; };
    const TRow rows[] = {
        {"no target", L"a.dll", 0, 0, 0, true},
        {"target without version", L"b.dll", 1, 0, 0, true},
        {"same version", L"c.dll", 2, 0x10002, 0x30005, false},
        {"payload higher in the low word", L"d.dll", 2, 0x10002, 0x30004, true},
        {"target higher in the high word", L"e.dll", 2, 0x10003, 0, false},
        {"target higher as unsigned number", L"f.dll", 2, 0x80000000, 0, false},
    };
    std::vector<TScriptItem> items;
    for (const TRow& row : rows) {
        std::string target = row.Kind == 1 ? "text" : payload + "mark";
        const uint32_t version[] = {row.High, row.Low};
        if (row.Kind == 2)
            std::memcpy(&target[fixed + 16], version, sizeof version);
        if (row.Kind != 0)
            REQUIRE(WriteBytes(CombinePath(Shared.InstallDir, row.File), target));
        items.push_back({opCopyPayloadIfNewer, row.File, VersionedPayload, 3});
    }
    const std::vector<TStep> steps = Run(items);
    for (size_t i = 0; i < items.size(); ++i) {
        INFO(rows[i].Name);
        const std::wstring target = CombinePath(Shared.InstallDir, rows[i].File);
        CHECK(steps[i].Result == 0);
        CHECK(steps[i].Log == L"Copying file: " + target + (rows[i].Replaced ? L"...Success" : L"...Already"));
        CHECK((ReadBytes(target) == payload) == rows[i].Replaced);
        CHECK_FALSE(PathExists(box / rows[i].File));  // the copy made in the temporary folder for the test
    }
}

TEST_CASE("AppendToHelpConfig puts a help line on a line of its own, once")
{
    TSandbox box;
    Shared.InstallDir = box.Dir;
    const TBorlandProduct& ide = *IdeByIndex(9);  // a version with three help files
    struct TRow { const char* Name; const char* Before; const char* After; };
    const TRow rows[] = {
        {"file ending in a line break", "a\r\n", "a\r\n:Link qz.hlp\r\n"},
        {"file without a final line break", "a", "a\r\n:Link qz.hlp\r\n"},
        {"empty file", "", "\r\n:Link qz.hlp\r\n"},
    };
    std::vector<TScriptItem> items = {{opSelectProduct, L"Delphi7", 9}};
    for (uint32_t slot = 1; slot <= 3; ++slot) {
        REQUIRE(WriteBytes(box / ide.HelpStr[slot - 1], rows[slot - 1].Before));
        items.push_back({opAppendToHelpConfig, L"\r\n:Link qz.hlp", slot, 3});
    }
    const std::vector<TStep> first = Run(items);
    // Again, in other letter case: the line is already there.
    for (size_t i = 1; i < items.size(); ++i)
        items[i].Text = L"\r\n:LINK QZ.HLP";
    const std::vector<TStep> second = Run(items);
    for (uint32_t slot = 1; slot <= 3; ++slot) {
        INFO(rows[slot - 1].Name);
        const std::wstring file = box / ide.HelpStr[slot - 1];
        CHECK(ReadBytes(file) == rows[slot - 1].After);
        CHECK(first[slot].Log == L"Modifying file: " + file + L"...Success");
        CHECK(second[slot].Log == L"Modifying file: " + file + L"...Already");
    }
    // A help file that does not exist is not made.
    CHECK(Run({{opSelectProduct, L"CBuilder4", 5}, {opAppendToHelpConfig, L":Link qz.hlp", 1, 3}})[1].Result == -1);
    CHECK_FALSE(PathExists(box / IdeByIndex(5)->HelpStr[0]));
}

TEST_CASE("path list operations add a folder unless the list holds it as a whole entry")
{
    TSandbox box;
    Shared.InstallDir = box / L"inst";
    const std::wstring ideKey = IdeByIndex(16)->RegKey;  // a version with 32- and 64-bit settings
    // Before null: the value is missing (and stays so when After is null too).
    struct TRow { const char* Name; TScriptItem Item; const wchar_t* Key; const wchar_t* Value;
                  const wchar_t* Before; const wchar_t* After; int Result; const wchar_t* Log; };
    const TRow rows[] = {
        {"a longer entry that begins with the folder", {opAddIdePath, L"\\P\\A", 0x83}, L"P", L"A",
         L"@\\RADStudio9\\Win32X", L"@\\RADStudio9\\Win32X;@\\RADStudio9\\Win32", 0,
         L"Adding search path: @\\RADStudio9\\Win32...Success"},
        {"a longer entry that ends with the folder", {opAddIdePath, L"\\P\\B", 2}, L"P", L"B", L"D:@\\RADStudio9",
         L"D:@\\RADStudio9;@\\RADStudio9", 0, L"Adding search path: @\\RADStudio9...Success"},
        {"the folder in other letter case", {opAddIdePath, L"\\P\\C", 1}, L"P", L"C", L"C:\\Y;^\\source",
         L"C:\\Y;^\\source", 0, L"Adding search path: @\\Source...Already"},
        {"empty list", {opAddIdePath, L"\\P\\D", 0}, L"P", L"D", L"", L"@", 0, L"Adding search path: @...Success"},
        {"list ending in a separator", {opAddIdePath, L"\\P\\E", 1}, L"P", L"E", L"C:\\Y;", L"C:\\Y;@\\Source", 0,
         L"Adding search path: @\\Source...Success"},
        {"AddIdePath on a missing value", {opAddIdePath, L"\\P\\F", 1}, L"P", L"F", nullptr, nullptr, 0, L""},
        {"AddLibraryPath to a named value", {opAddLibraryPath, L"Source", 0, 3, L"P", L"G"}, L"P", L"G", L"C:\\Y",
         L"C:\\Y;@\\Source", 0, L"Adding search path: @\\Source...Success"},
        {"AddLibraryPath on a missing value", {opAddLibraryPath, L"Source", 0, 3, L"P", L"H"}, L"P", L"H", nullptr,
         nullptr, -2, L""},
        {"AddLibraryPath allowed a missing value", {opAddLibraryPath, L"Source", 0, 3, L"P", L"H", 0, 1}, L"P",
         L"H", nullptr, nullptr, 0, L""},
        {"AddLibraryPath to the 64-bit library", {opAddLibraryPath, L"Source", 0, 3, nullptr, nullptr, 0, 2},
         L"Library\\Win64", L"Search Path", L"C:\\Y", L"C:\\Y;@\\Source", 0, L"Adding search path: @\\Source...Success"},
    };
    std::vector<TScriptItem> items = {{opSelectProduct, L"RADStudio9", 16}};
    for (const TRow& row : rows) {
        if (row.Before)
            SetRegText(HKEY_CURRENT_USER, ideKey + L"\\" + row.Key, row.Value, Expand(row.Before));
        items.push_back(row.Item);
    }
    const std::vector<TStep> steps = Run(items);
    for (size_t i = 0; i + 1 < items.size(); ++i) {
        INFO(rows[i].Name);
        CHECK(steps[i + 1].Result == rows[i].Result);
        CHECK(steps[i + 1].Log == Expand(rows[i].Log));
        CHECK(RegText(HKEY_CURRENT_USER, ideKey + L"\\" + rows[i].Key, rows[i].Value) ==
              (rows[i].After ? Expand(rows[i].After) : L"<missing>"));
    }
}

TEST_CASE("IsProtectedFolder refuses roots and system folders, not the folders below them")
{
    wchar_t windows[MAX_PATH], system[MAX_PATH], temp[MAX_PATH], profile[MAX_PATH], programs[MAX_PATH];
    REQUIRE(GetWindowsDirectoryW(windows, MAX_PATH) > 0);
    REQUIRE(GetSystemDirectoryW(system, MAX_PATH) > 0);
    REQUIRE(GetTempPathW(MAX_PATH, temp) > 0);
    REQUIRE(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, 0, profile) == S_OK);
    REQUIRE(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programs) == S_OK);
    const std::wstring windowsDir = windows;
    struct TRow { const char* Name; std::wstring Path; bool Protected; };
    const TRow rows[] = {
        {"empty", L"", true},
        {"relative", L"Orvane", true},
        {"relative to a drive", L"C:Orvane", true},
        {"drive root", L"C:\\", true},
        {"network share", L"\\\\server\\share\\", true},
        {"Windows folder in other letter case", LowerCase(windowsDir) + L"\\", true},
        {"Windows folder through ..", windowsDir + L"\\qz\\..", true},
        {"system folder", system, true},
        {"temporary folder", temp, true},
        {"profile folder", profile, true},
        {"program folder", programs, true},
        {"below the program folder", std::wstring(programs) + L"\\Orvane", false},
        {"below the Windows folder", windowsDir + L"\\Orvane", false},
        {"below a network share", L"\\\\server\\share\\Orvane", false},
    };
    for (const TRow& row : rows) {
        INFO(row.Name);
        CHECK(IsProtectedFolder(row.Path) == row.Protected);
    }
}

namespace {

// Wine's CreateSymbolicLinkW makes nothing, so the Unix tool makes the link.
bool MakeDirectoryLink(const std::wstring& link, const std::wstring& target)
{
    using TUnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<TUnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    std::wstring command = L"Z:\\bin\\ln -s";
    for (const std::wstring& path : {target, link}) {
        char* name = unixName ? unixName(path.c_str()) : nullptr;
        if (!name)
            return false;
        command += L" \"" + Utf8ToWide(name, std::strlen(name)) + L"\"";
        HeapFree(GetProcessHeap(), 0, name);
    }
    if (RunAndWait(command, L"") != 0)
        return false;
    // A Unix child reports its end before its work is visible.
    for (int i = 0; i < 100 && !DirectoryExists(link); ++i)
        Sleep(20);
    return DirectoryExists(link);
}

}  // namespace

TEST_CASE("DeleteDirTree removes a directory link without entering it, and refuses protected paths")
{
    TSandbox box;
    REQUIRE(ForceDirectory(box / L"outside\\inner") == 0);
    REQUIRE(WriteBytes(box / L"outside\\inner\\keep.txt", "keep"));
    REQUIRE(ForceDirectory(box / L"tree\\sub") == 0);
    REQUIRE(WriteBytes(box / L"tree\\sub\\own.txt", "own"));
    REQUIRE(MakeDirectoryLink(box / L"tree\\sub\\link", box / L"outside"));
    // Wine cannot remove a Unix link with RemoveDirectoryW, so the result and the link itself are not judged.
    DeleteDirTree(box / L"tree", false);
    CHECK_FALSE(PathExists(box / L"tree\\sub\\own.txt"));
    CHECK(FileExists(box / L"outside\\inner\\keep.txt"));

    // A relative path and the temporary folder (here the sandbox) are refused.
    REQUIRE(SetCurrentDirectoryW(box.Dir.c_str()));
    CHECK(DeleteDirTree(L"outside", false) == ddRefused);
    CHECK(DeleteDirTree(box.Dir, true) == ddRefused);
    CHECK(FileExists(box / L"outside\\inner\\keep.txt"));
}
