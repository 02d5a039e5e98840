#include "catalogue/Catalogue.h"

#include <tlhelp32.h>

#include "support/DirKinds.h"
#include "support/Handles.h"

#include "support/Files.h"
#include "support/Registry.h"
#include "support/SharedState.h"
#include "support/Text.h"

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

}  // namespace

#include "catalogue/CatalogueTables.inc"

const TCustomizeOption CustomizeOptions[CustomizeOptionCount] = {
    {nullptr, nullptr},
};

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
