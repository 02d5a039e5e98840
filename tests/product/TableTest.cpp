// Invariants of the install script table: counts, telling rows, block
// structure, folder order, payload resources, and that every compile really
// produces what the next item checks.
#include <ios>
#include <map>
#include <set>
#include <vector>

#include "catalogue/Catalogue.h"
#include "script/ScriptItem.h"
#include "support/Handles.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"
#include "tests/product/ProductTest.h"

namespace {

std::wstring Text(const TScriptItem& item) { return TextOrEmpty(item.Text); }

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? L"" : path.substr(0, slash);
}

bool IsPayloadItem(const TScriptItem& item)
{
    const uint16_t type = TypeIdOf(item.Id);
    return type == opCopyPayloadFile || type == opCopyPayloadIfMissing || type == opCopyPayloadIfNewer;
}

}  // namespace

TEST_CASE("every operation occurs as often and with the flags the product needs")
{
    const std::map<std::pair<uint16_t, uint32_t>, int> expected = {
        {{0x0006, 0}, 67}, {{0x0008, 1}, 27}, {{0x000A, 1}, 19}, {{0x000B, 1}, 25}, {{0x000C, 1}, 2},
        {{0x000D, 0}, 1},  {{0x000F, 3}, 1},  {{0x0013, 0}, 67}, {{0x0015, 1}, 3},  {{0x001A, 0}, 5},
        {{0x001B, 0}, 5},  {{0x001C, 0}, 3},  {{0x0023, 1}, 1},  {{0x0026, 1}, 60}, {{0x4009, 1}, 54},
        {{0x400E, 1}, 7},  {{0x4016, 0}, 37}, {{0x4017, 0}, 37}, {{0x4024, 0}, 5},  {{0x4025, 0}, 5},
        {{0x8001, 0}, 15}, {{0x8001, 1}, 59}, {{0x8002, 0}, 370}, {{0x8005, 0}, 27}, {{0x8007, 0}, 27},
        {{0x8010, 3}, 1},  {{0x8011, 0}, 1},  {{0x8012, 1}, 1},  {{0x8014, 0}, 28}};
    std::map<std::pair<uint16_t, uint32_t>, int> actual;
    for (const TScriptItem& item : ScriptItems)
        ++actual[{TypeIdOf(item.Id), item.Id >> 16}];
    for (const auto& [key, count] : expected)
        CHECK_MESSAGE(actual[key] == count, "TypeId 0x" << std::hex << key.first << " flags " << key.second);
    CHECK(actual.size() == expected.size());

    const uint16_t selectors[] = {1, 2, 3, 4, 5, 7, 6};
    for (int i = 0; i < 7; ++i) {
        CHECK(ScriptItems[i].Id == 0x1400E);
        CHECK(ScriptItems[i].Code == selectors[i]);
    }
}

TEST_CASE("the telling rows hold their values")
{
    struct TRow {
        int Index;
        uint32_t Id;
        const wchar_t* Text;
        uint32_t Code;
        uint32_t DirKind;
    };
    const TRow rows[] = {
        {0, 0x1400E, nullptr, 1, 0},
        {7, 0x18001, L"", 0, 3},
        {10, 0x8002, L"Source\\Orvane.dcr", 1, 3},
        {75, 0x4016, nullptr, 0x1, 0},
        {76, 0x14009, L"Delphi3", 1, 0},
        {110, 0x0006, L"qzl30.dpk", 0x1, 0},
        {112, 0x8014, L"delphi3\\qzl30.dpl", 0, 3},
        {116, 0x1000A, L"\r\n:Index Orvane library components=qzlib.hlp", 1, 4},
        {903, 0x4024, L"bin\\dcc64.exe", 0x4000002, 2},
        {904, 0x0006, L"qzl270.dpk", 0x4000000, 0},
        {906, 0x10026, L"\\Library\\Win64\\Search Path", 4, 3},
        {959, 0x3000F, L"Software\\Tarnwick\\Orvane library", 0x80000002, 0},
    };
    for (const TRow& row : rows) {
        const TScriptItem& item = ScriptItems[row.Index];
        CAPTURE(row.Index);
        CHECK(item.Id == row.Id);
        CHECK(Text(item) == TextOrEmpty(row.Text));
        CHECK(item.Code == row.Code);
        CHECK(item.DirKind == row.DirKind);
    }
    CHECK(ScriptItems[112].Target == &PackageTargets[0]);
    CHECK(ScriptItems[904].Options == 1);
}

TEST_CASE("blocks nest and close with the code that opened them")
{
    const std::map<uint16_t, uint16_t> closers = {
        {opIfVersionSelected, opEndIfVersionSelected}, {opIfItemSelected, opEndIfItemSelected},
        {opIfOptionSet, opEndIfOptionSet}, {opIfOptionClear, opEndIfOptionClear},
        {opIfFileExists, opEndIfFileExists}};
    std::set<uint16_t> closing;
    for (const auto& pair : closers)
        closing.insert(pair.second);
    std::vector<const TScriptItem*> open;
    for (int i = 0; i < ScriptItemCount; ++i) {
        const TScriptItem& item = ScriptItems[i];
        const uint16_t type = TypeIdOf(item.Id);
        if (closers.count(type))
            open.push_back(&item);
        else if (closing.count(type)) {
            CAPTURE(i);
            REQUIRE(!open.empty());
            CHECK(closers.at(TypeIdOf(open.back()->Id)) == type);
            CHECK(open.back()->Code == item.Code);
            open.pop_back();
        }
    }
    CHECK(open.empty());

    // Each IDE block selects its product on entry and again before it closes.
    std::vector<const TScriptItem*> selects;
    for (const TScriptItem& item : ScriptItems)
        if (TypeIdOf(item.Id) == opSelectProduct)
            selects.push_back(&item);
    REQUIRE(selects.size() == 54);
    std::set<uint32_t> products;
    for (size_t i = 0; i < selects.size(); i += 2) {
        CHECK(selects[i]->Code == selects[i + 1]->Code);
        CHECK(Text(*selects[i]) == Text(*selects[i + 1]));
        CHECK(Text(*selects[i]) == IdeByIndex(static_cast<int>(selects[i]->Code))->Name);
        products.insert(selects[i]->Code);
    }
    CHECK(products.size() == 27);
    CHECK(products.count(4) == 0);  // C++Builder 3 has no selection row
}

TEST_CASE("files are written only into folders created before them")
{
    std::set<std::wstring> created;
    for (int i = 0; i < ScriptItemCount; ++i) {
        const TScriptItem& item = ScriptItems[i];
        if (TypeIdOf(item.Id) == opCreateFolder) {
            CHECK(item.DirKind == 3);
            created.insert(LowerCase(Text(item)));
        } else if (IsPayloadItem(item) && item.DirKind == 3) {
            CAPTURE(i);
            CHECK_MESSAGE(created.count(LowerCase(FolderOf(Text(item)))) == 1, Narrow(Text(item)));
        }
    }
}

TEST_CASE("every payload identifier has its resource in setup")
{
    std::set<uint32_t> ids;
    for (const TScriptItem& item : ScriptItems)
        if (IsPayloadItem(item))
            ids.insert(item.Code);
    CHECK(ids.size() == 346);
    CHECK(*ids.begin() == 1);
    CHECK(*ids.rbegin() == 2707);

    TModule setup(LoadLibraryExW(BinPath(L"setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    REQUIRE(setup);
    const auto sources = PayloadSources();
    for (uint32_t id : ids) {
        CAPTURE(id);
        const HRSRC resource = FindResourceW(setup.Get(), MAKEINTRESOURCEW(id), L"QZLIB");
        REQUIRE(resource != nullptr);
        REQUIRE(sources.count(id) == 1);
        CHECK(SizeofResource(setup.Get(), resource) == ReadFileBytes(sources.at(id)).size());
    }
    CHECK(sources.size() == ids.size());
}

TEST_CASE("each compile is checked on the package it builds, and the stand-in builds it")
{
    TScratchDir dir(L"compile");
    REQUIRE(RunProcess(QuotePath(BinPath(L"setup.exe")) + L" /X", dir.Path()) == 0);
    const std::wstring bin = dir / L"ide\\bin";
    REQUIRE(ForceDirectory(bin) == 0);
    for (const wchar_t* tool : {L"dcc32.exe", L"dcc64.exe", L"make.exe"})
        REQUIRE(CopyFileW(BinPath(L"qz_fakeide_tool.exe").c_str(), CombinePath(bin, tool).c_str(), FALSE));

    std::wstring workFolder;
    int compiles = 0;
    for (int i = 0; i < ScriptItemCount; ++i) {
        const TScriptItem& item = ScriptItems[i];
        const uint16_t type = TypeIdOf(item.Id);
        if (type == opSetWorkFolder)
            workFolder = Text(item);
        else if (type == opCopyInstalledFile && item.Target && item.Target->DirKind == 3)
            REQUIRE(CopyFileW((dir / Text(item)).c_str(), (dir / item.Target->Name).c_str(), FALSE));
        if (type != opCompilePackage)
            continue;
        ++compiles;
        CAPTURE(i);
        REQUIRE(i + 1 < ScriptItemCount);
        const TScriptItem& check = ScriptItems[i + 1];
        REQUIRE(TypeIdOf(check.Id) == opCheckFileExists);
        const std::wstring project = Text(item);
        const std::wstring base = project.substr(0, project.find(L'.'));
        const std::wstring checked = Text(check);
        // The checked file is the project's package, in the work folder or its platform folder.
        const std::wstring name = checked.substr(checked.find_last_of(L'\\') + 1);
        CHECK((name == base + L".bpl" || name == base + L".dpl"));
        const std::wstring expectedFolder = item.Options == 1 ? workFolder + L"\\Win64" : workFolder;
        CHECK_MESSAGE((LowerCase(FolderOf(checked)) == LowerCase(expectedFolder) ||
                       LowerCase(FolderOf(checked)) == LowerCase(workFolder + L"\\Win32")),
                      Narrow(checked));

        const TBorlandProduct* ide = IdeByInternalId(item.Code);
        REQUIRE(ide != nullptr);
        const wchar_t* tool = !ide->IsDelphi ? L"make.exe /f" : item.Options == 1 ? L"dcc64.exe " : L"dcc32.exe ";
        const DWORD code = RunProcess(CombinePath(bin, tool) + project, dir / workFolder);
        CHECK_MESSAGE(code == 0, Narrow(project));
        CHECK_MESSAGE(FileExists(dir / checked), Narrow(checked));
    }
    CHECK(compiles == 67);
}

TEST_CASE("the stand-in compiler builds nothing when a unit is missing")
{
    TScratchDir dir(L"missing");
    REQUIRE(RunProcess(QuotePath(BinPath(L"setup.exe")) + L" /X", dir.Path()) == 0);
    const std::wstring dcc = dir / L"dcc32.exe";
    const std::wstring make = dir / L"make.exe";
    for (const std::wstring& tool : {dcc, make})
        REQUIRE(CopyFileW(BinPath(L"qz_fakeide_tool.exe").c_str(), tool.c_str(), FALSE));
    REQUIRE(DeleteFileW((dir / L"Source\\qzlCrypt.pas").c_str()));

    CHECK(RunProcess(dcc + L" qzl160.dpk", dir / L"RADStudio9") != 0);
    CHECK_FALSE(PathExists(dir / L"RADStudio9\\Win32\\qzl160.bpl"));
    CHECK(RunProcess(make + L" /fqzl50.mak", dir / L"CBuilder5") != 0);
    CHECK_FALSE(PathExists(dir / L"CBuilder5\\qzl50.bpl"));
    // The design-time package does not contain that unit and still builds.
    CHECK(RunProcess(dcc + L" dclqzl160.dpk", dir / L"RADStudio9") == 0);
    CHECK(FileExists(dir / L"RADStudio9\\Win32\\dclqzl160.bpl"));
}
