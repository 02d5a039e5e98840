#include "catalogue/Catalogue.h"

#include <tlhelp32.h>

#include "support/Handles.h"

#include "support/Files.h"
#include "support/Registry.h"
#include "support/SharedState.h"
#include "support/Text.h"

// clang-format off
namespace {

// The constant part of each catalogue entry. The entries are filled from
// it at start-up: an initialiser list with a string member in every record
// compiles into one store per field and record.
struct TIdeDescription {
    const wchar_t* Name;
    uint32_t InternalId;
    const wchar_t* RegKey;
    const wchar_t* HelpStr[3];
    bool IsDelphi;
    bool Is32and64;
};

constexpr TIdeDescription IdeDescriptions[IdeCount] = {
    {L"Delphi3",     0x1,       L"Software\\Borland\\Delphi\\3.0",     {L"delphi3.cfg", L"", L""},                       true, false},
    {L"Delphi4",     0x2,       L"Software\\Borland\\Delphi\\4.0",     {L"delphi4.cfg", L"delphi4.ohi", L"delphi4.ohl"}, true, false},
    {L"Delphi5",     0x4,       L"Software\\Borland\\Delphi\\5.0",     {L"delphi5.ohi", L"delphi5.ohl", L""},            true, false},
    {L"CBuilder3",   0x8,       L"Software\\Borland\\C++Builder\\3.0", {L"", L"", L""},                                  false, false},
    {L"CBuilder4",   0x10,      L"Software\\Borland\\C++Builder\\4.0", {L"bcb4.cfg", L"bcb4.ohi", L"bcb4.ohl"},          false, false},
    {L"CBuilder5",   0x20,      L"Software\\Borland\\C++Builder\\5.0", {L"bcb5.ohi", L"bcb5.ohl", L""},                  false, false},
    {L"Delphi6",     0x40,      L"Software\\Borland\\Delphi\\6.0",     {L"delphi6.ohi", L"delphi6.ohl", L"delphi6.als"}, true, false},
    {L"CBuilder6",   0x80,      L"Software\\Borland\\C++Builder\\6.0", {L"bcb6.ohi", L"bcb6.ohl", L"bcb6.als"},          false, false},
    {L"Delphi7",     0x100,     L"Software\\Borland\\Delphi\\7.0",     {L"d7.ohi", L"d7.ohl", L"d7.als"},                true, false},
    {L"Delphi9",     0x200,     L"Software\\Borland\\BDS\\3.0",        {L"", L"", L""},                                  true, false},
    {L"BDS2006",     0x400,     L"Software\\Borland\\BDS\\4.0",        {L"", L"", L""},                                  true, false},
    {L"Delphi2007",  0x800,     L"Software\\Borland\\BDS\\5.0",        {L"", L"", L""},                                  true, false},
    {L"BDS2009",     0x1000,    L"Software\\CodeGear\\BDS\\6.0",       {L"", L"", L""},                                  true, false},
    {L"BDS2010",     0x2000,    L"Software\\CodeGear\\BDS\\7.0",       {L"", L"", L""},                                  true, false},
    {L"RADStudio8",  0x4000,    L"Software\\Embarcadero\\BDS\\8.0",    {L"", L"", L""},                                  true, false},
    {L"RADStudio9",  0x8000,    L"Software\\Embarcadero\\BDS\\9.0",    {L"", L"", L""},                                  true, true},
    {L"RADStudio10", 0x10000,   L"Software\\Embarcadero\\BDS\\10.0",   {L"", L"", L""},                                  true, true},
    {L"RADStudio11", 0x20000,   L"Software\\Embarcadero\\BDS\\11.0",   {L"", L"", L""},                                  true, true},
    {L"RADStudio12", 0x40000,   L"Software\\Embarcadero\\BDS\\12.0",   {L"", L"", L""},                                  true, true},
    {L"RADStudio14", 0x80000,   L"Software\\Embarcadero\\BDS\\14.0",   {L"", L"", L""},                                  true, true},
    {L"RADStudio15", 0x100000,  L"Software\\Embarcadero\\BDS\\15.0",   {L"", L"", L""},                                  true, true},
    {L"RADStudio16", 0x200000,  L"Software\\Embarcadero\\BDS\\16.0",   {L"", L"", L""},                                  true, true},
    {L"RADStudio17", 0x400000,  L"Software\\Embarcadero\\BDS\\17.0",   {L"", L"", L""},                                  true, true},
    {L"RADStudio18", 0x800000,  L"Software\\Embarcadero\\BDS\\18.0",   {L"", L"", L""},                                  true, true},
    {L"RADStudio19", 0x1000000, L"Software\\Embarcadero\\BDS\\19.0",   {L"", L"", L""},                                  true, true},
    {L"RADStudio20", 0x2000000, L"Software\\Embarcadero\\BDS\\20.0",   {L"", L"", L""},                                  true, true},
    {L"RADStudio21", 0x4000000, L"Software\\Embarcadero\\BDS\\21.0",   {L"", L"", L""},                                  true, true},
    {L"RADStudio22", 0x8000000, L"Software\\Embarcadero\\BDS\\22.0",   {L"", L"", L""},                                  true, true},
};

}  // namespace

TCustomizeItem CustomizeList[CustomizeCount] = {
    {0x20000000, L"RAD Studio 11",                 false, 0x8000000},
    {0x10000000, L"RAD Studio XE10.4",             false, 0x4000000},
    {0x8000000,  L"RAD Studio XE10.3",             false, 0x2000000},
    {0x4000000,  L"RAD Studio XE10.2",             false, 0x1000000},
    {0x2000000,  L"RAD Studio XE10.1",             false, 0x800000},
    {0x1000000,  L"RAD Studio XE10",               false, 0x400000},
    {0x800000,   L"RAD Studio XE8",                false, 0x200000},
    {0x400000,   L"RAD Studio XE7",                false, 0x100000},
    {0x200000,   L"RAD Studio XE6",                false, 0x80000},
    {0x100000,   L"RAD Studio XE5",                false, 0x40000},
    {0x80000,    L"RAD Studio XE4",                false, 0x20000},
    {0x40000,    L"RAD Studio XE3",                false, 0x10000},
    {0x20000,    L"RAD Studio XE2",                false, 0x8000},
    {0x10000,    L"RAD Studio XE",                 false, 0x4000},
    {0x8000,     L"RAD Studio 2010",               false, 0x2000},
    {0x4000,     L"CodeGear RAD Studio 2009",      false, 0x1000},
    {0x2000,     L"CodeGear RAD Studio 2007",      false, 0x800},
    {0x1000,     L"Borland Developer Studio 2006", false, 0x400},
    {0x800,      L"Delphi 2005",                   false, 0x200},
    {0x400,      L"Delphi 7",                      false, 0x100},
    {0x8,        L"Delphi 6",                      false, 0x40},
    {0x4,        L"Delphi 5",                      false, 0x4},
    {0x2,        L"Delphi 4",                      false, 0x2},
    {0x1,        L"Delphi 3",                      false, 0x1},
    {0x40,       L"C++Builder 6",                  false, 0x80},
    {0x20,       L"C++Builder 5",                  false, 0x20},
    {0x10,       L"C++Builder 4",                  false, 0x10},
    {0x80,       L"Context help files",            false, 0},
    {0x100,      L"Delphi demo projects",          false, 0},
    {0x200,      L"C++Builder demo projects",      false, 0},
};

const TCustomizeOption CustomizeOptions[CustomizeOptionCount] = {
    {nullptr, nullptr},
};

const TPackageTarget PackageTargets[PackageTargetCount] = {
    {L"qzl30.dpl", 6},   {L"qzl40.bpl", 6},   {L"qzl50.bpl", 6},   {L"qzl40.bpl", 6},
    {L"qzl50.bpl", 6},   {L"qzl60.bpl", 6},   {L"qzl60.bpl", 6},   {L"delphi3\\qzl.inc", 3},
    {L"qzl70.bpl", 6},   {L"qzl90.bpl", 6},   {L"qzl2006.bpl", 6}, {L"qzl2007.bpl", 6},
    {L"qzl2009.bpl", 6}, {L"qzl2010.bpl", 6}, {L"qzl150.bpl", 6},  {L"qzl160.bpl", 6},
    {L"qzl170.bpl", 6},  {L"qzl180.bpl", 6},  {L"qzl190.bpl", 6},  {L"qzl200.bpl", 6},
    {L"qzl210.bpl", 6},  {L"qzl220.bpl", 6},  {L"qzl230.bpl", 6},  {L"qzl240.bpl", 6},
    {L"qzl250.bpl", 6},  {L"qzl260.bpl", 6},  {L"qzl270.bpl", 6},  {L"qzl280.bpl", 6},
};
// clang-format on

TBorlandProduct IdeCatalogue[IdeCount];

namespace {

// Runs among the static initialisers, after IdeCatalogue's own.
const bool CatalogueFilled = [] {
    for (int i = 0; i < IdeCount; ++i) {
        const TIdeDescription& from = IdeDescriptions[i];
        TBorlandProduct& entry = IdeCatalogue[i];
        entry.Name = from.Name;
        entry.InternalId = from.InternalId;
        entry.RegKey = from.RegKey;
        for (int k = 0; k < 3; ++k)
            entry.HelpStr[k] = from.HelpStr[k];
        entry.IsDelphi = from.IsDelphi;
        entry.Is32and64 = from.Is32and64;
    }
    return true;
}();

}  // namespace

namespace {

// Entries the rules below single out.
constexpr int Delphi3Entry = 1;
constexpr int Delphi7Entry = 9;
constexpr int Delphi2007Entry = 12;
constexpr int BDS2010Entry = 14;

int EntryOf(const TBorlandProduct& ide) { return static_cast<int>(&ide - IdeCatalogue) + 1; }

}  // namespace

TPathValue LibrarySearchPath(const TBorlandProduct& ide, TPlatform platform)
{
    TPathValue value{std::wstring(ide.RegKey) + IdeKey::Library, L"Search Path"};
    if (ide.Is32and64)
        value.Key += platform == TPlatform::Win64 ? IdeKey::Win64 : IdeKey::Win32;
    if (EntryOf(ide) == Delphi3Entry)
        value.Name = L"SearchPath";
    return value;
}

bool NeedsOptionsUpdate(const TBorlandProduct& ide)
{
    return EntryOf(ide) >= Delphi2007Entry && EntryOf(ide) <= BDS2010Entry;
}

TBorlandProduct* IdeByIndex(int index)
{
    if (index < 1 || index > IdeCount)
        return nullptr;
    return &IdeCatalogue[index - 1];
}

TBorlandProduct* IdeByInternalId(uint32_t id)
{
    for (TBorlandProduct& ide : IdeCatalogue)
        if (ide.InternalId == id)
            return &ide;
    return nullptr;
}

TBorlandProduct* CurrentIde() { return IdeByIndex(Shared.CurrentProduct); }

void SetCurrentProduct(int index, const std::wstring& folder)
{
    Shared.CurrentProduct = index;
    Shared.CurrentProductFolder = folder;
}

void DetectInstalledIdes()
{
    for (TBorlandProduct& ide : IdeCatalogue) {
        ide.Exists = RegReadStr(HKEY_LOCAL_MACHINE, ide.RegKey, L"RootDir", ide.RootDir);
        if (!ide.Exists)
            ide.Exists = RegReadStr(HKEY_CURRENT_USER, ide.RegKey, L"RootDir", ide.RootDir);
        while (!ide.RootDir.empty() && ide.RootDir.back() == L'\\')
            ide.RootDir.pop_back();
        if (ide.Exists)
            ide.Exists = DirectoryExists(ide.RootDir);
        if (ide.Exists)
            ide.Exists = DirectoryExists(ide.RootDir + L"\\bin");
        if (ide.Exists)
            ide.Exists = FileExists(ide.RootDir + (ide.IsDelphi ? L"\\bin\\dcc32.exe" : L"\\bin\\make.exe"));
    }
}

const wchar_t* IdeProcessName(const TBorlandProduct& ide)
{
    if (!ide.IsDelphi)
        return L"bcb.exe";
    return EntryOf(ide) <= Delphi7Entry ? L"delphi32.exe" : L"bds.exe";
}

namespace {

// The image path of a process; empty when it cannot be read.
std::wstring ProcessImage(DWORD processId)
{
    const TKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return L"";
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (!QueryFullProcessImageNameW(process.Get(), 0, path, &size))
        return L"";
    return std::wstring(path, size);
}

}  // namespace

std::vector<TRunningIde> FindRunningIdes(uint32_t versions)
{
    std::vector<TRunningIde> running;
    // A failed snapshot is INVALID_HANDLE_VALUE, as with files.
    const TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return running;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        const std::wstring name = LowerCase(entry.szExeFile);
        std::wstring image;
        bool imageRead = false;
        for (const TBorlandProduct& ide : IdeCatalogue) {
            if ((ide.InternalId & versions) == 0 || !ide.Exists || name != IdeProcessName(ide))
                continue;
            if (!imageRead) {
                image = ProcessImage(entry.th32ProcessID);
                imageRead = true;
            }
            // Another copy of the same program elsewhere does not lock this IDE's files.
            if (image.empty() || LowerCase(image) == LowerCase(ide.RootDir + L"\\bin\\" + IdeProcessName(ide)))
                running.push_back({&ide, entry.th32ProcessID, image.empty() ? name : image});
        }
    }
    return running;
}

std::wstring DescribeRunningIdes(const std::vector<TRunningIde>& running)
{
    std::wstring text;
    for (const TRunningIde& ide : running) {
        const TCustomizeItem* row = nullptr;
        for (const TCustomizeItem& candidate : CustomizeList)
            if (candidate.IdeMask == ide.Ide->InternalId)
                row = &candidate;
        text += std::wstring(row ? row->Name : ide.Ide->Name) + L" (" + ide.Image + L")\r\n";
    }
    return text;
}
