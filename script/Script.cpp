#include "script/Script.h"

#include "catalogue/Catalogue.h"
#include "catalogue/KindDirs.h"
#include "script/ScriptOps.h"
#include "support/Files.h"
#include "support/SharedState.h"
#include "support/Text.h"
#include "uninstall/UninstLog.h"

namespace {

// The text of a LogProductInfo record.
std::wstring ProductInfo(uint32_t selector)
{
    switch (selector) {
    case piProductName: return Product::Name;
    case piVersion: return Product::Version;
    case piEdition: return Product::Edition;
    case piInstallDir: return Shared.InstallDir;
    case piRegKey: return Product::RegKey;
    case piUninstallKey: return Product::UninstallKeyName;
    default: return L"";
    }
}

}  // namespace

TScript::TScript(const TScriptItem* items, int count) : FItems(items), FCount(count) {}

TScript::~TScript() { Stop(); }

int TScript::Start()
{
    TOpCall call{CurrentItem(), FLogText, FState, {}};
    TScriptOps::UninstallPrevious(call);

    OpenTextLog();
    if (OpenBinLog() != 0) {
        FLogText = SysErrorMessage(GetLastError());
        WriteLogLine(FLogText);
    }
    FCurrent = 0;
    return 0;
}

int TScript::Stop()
{
    CloseBinLog();
    CloseTextLog();
    return 0;
}

int TScript::Run(TScriptObserver& observer)
{
    Start();
    int failed = 0;
    std::wstring status;
    for (; FCurrent < FCount; ++FCurrent) {
        ItemText(status);
        observer.ItemStarting(status);
        if (const int error = ItemDoScript()) {
            ++failed;
            observer.ItemFailed(ScriptErrorText(FCurrent, error, CurrentItem().Id, FLogText));
        }
        observer.ItemFinished(ItemProgressStep());
    }
    return failed;
}

std::wstring ScriptErrorText(int item, int error, uint32_t itemId, const std::wstring& logText)
{
    wchar_t head[96];
    // user32's formatter: the C library's would add its whole printf.
    const int n = wsprintfW(head, L"Error in ScriptItem=%d, ErrorCode=%xh ScriptItemId=%x with text\r\n", item,
                            static_cast<unsigned>(error), static_cast<unsigned>(itemId));
    std::wstring text(head, n > 0 ? static_cast<size_t>(n) : 0);
    return text + logText;
}

void TScript::ItemText(std::wstring& text) const
{
    const TScriptOps::TEntry* entry = TScriptOps::Find(TypeIdOf(CurrentItem().Id));
    if (entry && entry->Status)
        text = entry->Status;
}

int TScript::ItemDoScript()
{
    const TScriptItem& item = CurrentItem();
    const uint16_t typeId = TypeIdOf(item.Id);

    if (FState.SkipTypeId > 0) {
        if (typeId == FState.SkipTypeId && item.Code == FState.SkipCode) {
            FState.SkipTypeId = 0;
            FState.SkipCode = 0;
        }
        return 0;
    }

    FLogText.clear();
    if (Shared.flCopyOnly && (typeId & (tcControl | tcFile)) == 0)
        return 0;

    int result = 0;
    if (const TScriptOps::TEntry* entry = TScriptOps::Find(typeId)) {
        TOpCall call{item, FLogText, FState, {}};
        result = TScriptOps::Perform(*entry, call);
    }

    if (!FLogText.empty())
        WriteLogLine(FLogText);
    if (item.Id & ifLogged)
        LogItem();
    return result;
}

void TScript::WriteLogLine(const std::wstring& line)
{
    if (!FLogHandle)
        return;
    const std::wstring text = line + L"\r\n";
    DWORD written = 0;
    WriteFile(FLogHandle.Get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
              nullptr);
}

void TScript::OpenTextLog()
{
    ForceDirectory(Shared.InstallDir);
    FLogHandle.Reset(CreateFileW(CombinePath(Shared.InstallDir, Product::InstallLogName).c_str(), GENERIC_WRITE, 0,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!FLogHandle)
        return;

    std::wstring products;
    for (const TBorlandProduct& ide : IdeCatalogue)
        if (ide.Selected && (ide.InternalId & Shared.InstallVersions) != 0)
            products += std::wstring(ide.Name) + L",";
    if (!products.empty())
        products.pop_back();

    WriteLogLine(L"Start installation for " + Product::EditionText());
    WriteLogLine(L"RootPath: " + Shared.InstallDir);
    WriteLogLine(L"Borland products: " + products);
}

void TScript::CloseTextLog() { FLogHandle.Reset(); }

int TScript::OpenBinLog()
{
    FBinLogHandle.Reset();
    const DWORD error = ForceDirectory(Shared.InstallDir);
    if (error != 0) {
        SetLastError(error);  // for the message Start writes
        return -2;
    }
    FBinLogHandle.Reset(CreateFileW(CombinePath(Shared.InstallDir, Product::UninstallLogName).c_str(), GENERIC_WRITE,
                                    0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!FBinLogHandle)
        return -1;
    WriteBinLog(LogHeader);
    return 0;
}

void TScript::WriteBinLog(const std::string& bytes)
{
    if (!FBinLogHandle)
        return;
    DWORD written = 0;
    WriteFile(FBinLogHandle.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void TScript::CloseBinLog() { FBinLogHandle.Reset(); }

void TScript::LogItem()
{
    if (!FBinLogHandle)
        return;
    const TScriptItem& item = CurrentItem();
    uint32_t dirKind = item.DirKind;
    std::wstring text;
    switch (TypeIdOf(item.Id)) {
    case opLogProductInfo:
        text = ProductInfo(item.Code);
        break;
    case opCopyInstalledFile:
        dirKind = item.Target ? item.Target->DirKind : 0;
        text = item.Target ? TextOrEmpty(item.Target->Name) : L"";
        break;
    default:
        text = TextOrEmpty(item.Text);
        break;
    }
    WriteBinLog(BuildLogRecord(item.Id, item.Code, dirKind, WideToUtf8(text)));
}

// ---- Control items ----------------------------------------------------------

int TScriptOps::IfVersionSelected(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    if ((item.Code & Shared.InstallVersions) == 0)
        SkipTo(s, opEndIfVersionSelected, item.Code);
    return 0;
}

int TScriptOps::SelectProduct(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    SetCurrentProduct(static_cast<int>(item.Code), TextOrEmpty(item.Text));
    return 0;
}

int TScriptOps::IfItemSelected(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    if ((item.Code & Shared.InstallItems) == 0)
        SkipTo(s, opEndIfItemSelected, item.Code);
    return 0;
}

int TScriptOps::IfOptionSet(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    if ((item.Code & Shared.CustomizeItems) == 0)
        SkipTo(s, opEndIfOptionSet, item.Code);
    return 0;
}

int TScriptOps::IfOptionClear(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    if ((item.Code & Shared.CustomizeItems) != 0)
        SkipTo(s, opEndIfOptionClear, item.Code);
    return 0;
}

int TScriptOps::IfFileExists(TOpCall& s)
{
    // Resolved here: a kind without its IDE version still decides the block.
    const TScriptItem& item = Item(s);
    const int result = ItemPath(s, item.DirKind, item.Text, s.Path) ? TestFile(s) : errNoProduct;
    if (result != 0)
        SkipTo(s, opEndIfFileExists, item.Code);
    // A missing file only decides the block; a kind without its IDE version
    // is still an error.
    return result == errNoProduct ? errNoProduct : 0;
}

// ---- Shared by the handlers -------------------------------------------------

bool TScriptOps::KindUsable(uint32_t kind) { return !KindNeedsProduct(kind) || CurrentIde() != nullptr; }

bool TScriptOps::ItemPath(TOpCall& s, uint32_t kind, const wchar_t* text, std::wstring& path)
{
    if (!KindUsable(kind)) {
        NoProduct(s);
        return false;
    }
    path = CombinePath(GetKindDir(kind, Shared.InstallDir), TextOrEmpty(text));
    return true;
}

int TScriptOps::NoProduct(TOpCall& s)
{
    Log(s) = std::wstring(L"No IDE version selected for: ") + TextOrEmpty(Item(s).Text) + L"...Fail";
    return errNoProduct;
}

// ---- The dispatch table -----------------------------------------------------

// Status texts show on the progress page from their item on, until an item
// with a text of its own.
const TScriptOps::TEntry TScriptOps::Table[] = {
    {opCompilePackage, L"Compiling package", CompilePackage, TArg::None},
    {opRegisterPackage, nullptr, RegisterPackage, TArg::ItemPath},
    {opAppendToHelpConfig, nullptr, AppendToHelpConfig, TArg::None},
    {opDeleteSingleFile, nullptr, DeleteSingleFile, TArg::ItemPath},
    {opRegisterWinHelp, nullptr, RegisterWinHelp, TArg::None},
    {opSetHelpDirectory, nullptr, SetHelpDirectory, TArg::ItemPath},
    {opCreateRegistryKey, nullptr, CreateRegistryKey, TArg::None},
    {opCheckFileExists, nullptr, CheckFileExists, TArg::ItemPath},
    {opAddLibraryPath, nullptr, AddLibraryPath, TArg::ItemPath},
    {opUninstallPrevious, nullptr, UninstallPrevious, TArg::None},
    {opCopyFiles, nullptr, CopyFiles, TArg::ItemPath},
    {opDeleteFiles, nullptr, DeleteFiles, TArg::ItemPath},
    {opMergeFiles, nullptr, MergeFiles, TArg::ItemPath},
    {opReplaceText, nullptr, ReplaceText, TArg::ItemPath},
    {opRunFile, nullptr, RunFile, TArg::None},
    {opRunHelpRegistration, nullptr, RunHelpRegistration, TArg::None},
    {opAddIdePath, nullptr, AddIdePath, TArg::None},
    {opIfVersionSelected, nullptr, IfVersionSelected, TArg::None},
    {opSelectProduct, nullptr, SelectProduct, TArg::None},
    {opIfItemSelected, nullptr, IfItemSelected, TArg::None},
    {opIfOptionSet, nullptr, IfOptionSet, TArg::None},
    {opIfOptionClear, nullptr, IfOptionClear, TArg::None},
    {opIfFileExists, nullptr, IfFileExists, TArg::None},
    {opCreateFolder, L"Creating directory", CreateFolder, TArg::ItemPath},
    {opCopyPayloadFile, L"Copying file", CopyPayloadFile, TArg::ItemPath},
    {opClearFolder, nullptr, ClearFolder, TArg::ItemPath},
    {opSetWorkFolder, nullptr, SetWorkFolder, TArg::ItemPath},
    {opCopyPayloadIfMissing, nullptr, CopyPayloadIfMissing, TArg::ItemPath},
    {opCopyPayloadIfNewer, nullptr, CopyPayloadIfNewer, TArg::ItemPath},
    {opRegisterUninstaller, nullptr, RegisterUninstaller, TArg::None},
    {opCopyInstalledFile, nullptr, CopyInstalledFile, TArg::ItemPath},
};

const TScriptOps::TEntry* TScriptOps::Find(uint16_t typeId)
{
    for (const TEntry& entry : Table)
        if (entry.TypeId == typeId)
            return &entry;
    return nullptr;
}

int TScriptOps::Perform(const TEntry& entry, TOpCall& s)
{
    if (entry.Arg == TArg::ItemPath && !ItemPath(s, s.Item.DirKind, s.Item.Text, s.Path))
        return errNoProduct;
    return entry.Handler(s);
}
