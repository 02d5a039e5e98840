#include "uninstall/Deinstall.h"

#include "catalogue/Catalogue.h"
#include "catalogue/KindDirs.h"
#include "support/Files.h"
#include "support/Handles.h"
#include "support/Process.h"
#include "support/Registry.h"
#include "support/Text.h"
#include "uninstall/UninstLog.h"

namespace {

// One action record as the undo steps see it.
struct TUndoRecord {
    const TLogRecord& Log;
    std::wstring Text;               // the record's text, decoded
    const TLoggedProduct& Product;  // what the log's product records named
};

// dkInstall is the installation the log describes, not one being made.
std::wstring KindDir(const TUndoRecord& rec) { return GetKindDir(rec.Log.DirKind, rec.Product.InstallDir); }

std::wstring KindPath(const TUndoRecord& rec) { return CombinePath(KindDir(rec), rec.Text); }

// Where RegisterPackage and AddLibraryPath put the folder: the script
// registers packages and library folders for Win32 only.
bool RemoveLibraryEntry(const TBorlandProduct& ide, const std::wstring& folder)
{
    const TPathValue library = LibrarySearchPath(ide, TPlatform::Win32);
    return RemoveListEntry(HKEY_CURRENT_USER, library.Key, library.Name, folder);
}

// A record text an undo step may join to its base folder: relative, without
// a drive and without ".." components, so the result stays below the base.
bool IsPlainRelative(const std::wstring& text)
{
    if (text.find(L':') != std::wstring::npos || (!text.empty() && (text[0] == L'\\' || text[0] == L'/')))
        return false;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find_first_of(L"\\/", begin);
        if (end == std::wstring::npos)
            end = text.size();
        if (text.compare(begin, end - begin, L"..") == 0)
            return false;
        begin = end + 1;
    }
    return true;
}

// dkInstall resolves against the installation directory named by the log; a
// log naming a drive root or a system folder there owns nothing in it.
bool InstallDirUsable(const TUndoRecord& rec) { return !IsProtectedFolder(rec.Product.InstallDir); }

// A key path that names something below a top-level key: an empty or
// one-component path would make a tree delete wipe a whole hive branch.
bool IsDeepKeyPath(const std::wstring& path)
{
    if (path.empty() || path.front() == L'\\')
        return false;
    const size_t separator = path.find(L'\\');
    return separator != std::wstring::npos && path.find_first_not_of(L'\\', separator) != std::wstring::npos;
}

int UndoPackage(const TUndoRecord& rec)
{
    const TBorlandProduct* ide = CurrentIde();
    if (!ide)
        return 0;
    const std::wstring package = KindPath(rec);
    RegRemoveValue(HKEY_CURRENT_USER, std::wstring(ide->RegKey) + IdeKey::KnownPackages, package);
    const std::wstring folder = SplitPath(package).Folder;
    if (!folder.empty())
        RemoveLibraryEntry(*ide, folder);
    return 0;
}

int UndoLibraryPath(const TUndoRecord& rec)
{
    const TBorlandProduct* ide = CurrentIde();
    if (!ide)
        return 0;
    RemoveLibraryEntry(*ide, KindPath(rec));
    return 0;
}

int UndoIdePath(const TUndoRecord& rec)
{
    const TBorlandProduct* ide = CurrentIde();
    if (!ide)
        return 0;
    const TPathParts value = SplitPath(ide->RegKey + rec.Text);
    if (value.Folder.empty())
        return 0;
    RemoveListEntry(HKEY_CURRENT_USER, value.Folder, value.Name,
                    GetInstallSubDir(static_cast<uint8_t>(rec.Log.Code & 0xFF), rec.Product.InstallDir));
    return 0;
}

int UndoHelpConfigLine(const TUndoRecord& rec)
{
    const TBorlandProduct* ide = CurrentIde();
    if (!ide || rec.Log.Code < 1 || rec.Log.Code > 3 || !*ide->HelpStr[rec.Log.Code - 1])
        return 0;
    const std::wstring file = CombinePath(KindDir(rec), ide->HelpStr[rec.Log.Code - 1]);
    const std::string line = WideToAnsi(rec.Text);
    if (line.empty())
        return 0;

    std::string content;
    if (ReadWholeFile(file, content) != TFileRead::Read)
        return 0;
    const int p = SubTextPosA(LowerCaseA(content), LowerCaseA(line));
    if (p <= 0)
        return 0;
    content.erase(static_cast<size_t>(p) - 1, line.size());
    TFileHandle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!out)
        return 0;
    DWORD written = 0;
    WriteFile(out.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    return 0;
}

int UndoFile(const TUndoRecord& rec)
{
    if (!IsPlainRelative(rec.Text) || (rec.Log.DirKind == dkInstall && !InstallDirUsable(rec)))
        return 0;
    const std::wstring path = KindPath(rec);
    if (!IsProtectedFolder(path))
        DeleteFileOrLink(path);
    return 0;
}

// The script creates folders in the installation directory only.
int UndoFolder(const TUndoRecord& rec)
{
    if (rec.Log.DirKind != dkInstall || !IsPlainRelative(rec.Text) || !InstallDirUsable(rec))
        return 0;
    const std::wstring path = KindPath(rec);
    if (!IsProtectedFolder(path))
        DeleteDirTree(path, false);
    return 0;
}

int UndoWinHelp(const TUndoRecord& rec)
{
    if (!rec.Text.empty())
        RegRemoveValue(HKEY_LOCAL_MACHINE, WinHelpKey, rec.Text);
    return 0;
}

int UndoRegistryKey(const TUndoRecord& rec)
{
    const HKEY root = RootKeyFromCode(rec.Log.Code);
    if (root && IsDeepKeyPath(rec.Text))
        RegDeleteKeyTree(root, rec.Text);
    return 0;
}

int UndoUninstallKey(const TUndoRecord& rec)
{
    // Without a name the key would be the whole Uninstall branch. Only the
    // entry goes: the Uninstall key is Windows' own, even when left empty.
    const std::wstring& name = rec.Product.UninstallKey;
    if (!name.empty() && name.find(L'\\') == std::wstring::npos)
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(Product::UninstallRoot) + name).c_str());
    return 0;
}

std::wstring CurrentDirectory()
{
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, buffer);
    return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

int UndoHelpRegistration(const TUndoRecord& rec)
{
    const std::wstring helpDir = CombinePath(rec.Product.InstallDir, L"help");
    const std::wstring batch = CombinePath(rec.Product.InstallDir, L"help\\help_unreg.bat");
    // The caller's directory comes back afterwards: leaving the process inside
    // the installation directory would keep that folder from being removed.
    const std::wstring previous = CurrentDirectory();
    SetCurrentDirectoryW(helpDir.c_str());
    // A missing batch file stops the walk: the help would stay registered
    // while the files it points to are deleted.
    const DWORD result = FileExists(batch) ? RunAndWait(QuotePath(batch), L"") : ERROR_FILE_NOT_FOUND;
    if (!previous.empty())
        SetCurrentDirectoryW(previous.c_str());
    return static_cast<int>(result);
}

int UndoSelectProduct(const TUndoRecord& rec)
{
    SetCurrentProduct(static_cast<int>(rec.Log.Code), rec.Text);
    return 0;
}

using TUndoStep = int (*)(const TUndoRecord&);

struct TUndoKind {
    uint16_t TypeId;
    const wchar_t* Status;  // nullptr: the status line stays as it is
    TUndoStep Step;
};

const TUndoKind UndoKinds[] = {
    {opRegisterPackage, L"Unregistering package", UndoPackage},
    {opAppendToHelpConfig, L"Unregistering help", UndoHelpConfigLine},
    {opDeleteSingleFile, L"Removing file", UndoFile},
    {opRegisterWinHelp, L"Unregistering help", UndoWinHelp},
    {opCreateRegistryKey, L"Removing registry key", UndoRegistryKey},
    {opAddLibraryPath, L"Unregistering package", UndoLibraryPath},
    {opAppendToHelpConfigAlt, nullptr, UndoHelpConfigLine},
    {opRunHelpRegistration, L"Unregistering help", UndoHelpRegistration},
    {opAddIdePath, L"Unregistering package", UndoIdePath},
    {opSelectProduct, nullptr, UndoSelectProduct},
    {opCreateFolder, L"Removing directory", UndoFolder},
    {opCopyPayloadFile, L"Removing file", UndoFile},
    {opCopyPayloadIfMissing, L"Removing file", UndoFile},
    {opCopyInstalledFile, L"Removing file", UndoFile},
    {opRegisterUninstaller, L"Unregistering uninstall", UndoUninstallKey},
};

const TUndoKind* FindUndoKind(uint16_t typeId)
{
    for (const TUndoKind& kind : UndoKinds)
        if (kind.TypeId == typeId)
            return &kind;
    return nullptr;
}

std::wstring RecordText(const TLogRecord& record)
{
    return Utf8ToWide(reinterpret_cast<const char*>(record.Text), record.TextSize);
}

}  // namespace

bool RemoveListEntry(HKEY root, const std::wstring& key, const std::wstring& valueName, const std::wstring& entry)
{
    if (entry.empty())
        return false;
    std::wstring value;
    if (!RegReadStr(root, key, valueName, value) || !RemoveListEntry(value, entry))
        return false;
    return RegWriteStr(root, key, valueName, value);
}

int TDeinstall::PrepareUninstFile(const std::wstring& fileName)
{
    Buf.clear();
    std::string content;
    // A real log is a few kilobytes; anything near this is not one.
    switch (ReadWholeFile(fileName, content, 0x4000000)) {
    case TFileRead::Unreadable: return -2;
    case TFileRead::TooLarge: return -4;
    case TFileRead::Read: break;
    }
    if (content.empty())
        return -3;
    const auto* bytes = reinterpret_cast<const uint8_t*>(content.data());
    if (!IsLogHeader(bytes, content.size()))
        return -4;
    FUnInstFileVersion.assign(content, 5, 2);
    // A broken chain is reported, never undone on a guess.
    if (!ValidateLogRecords(bytes, content.size()))
        return -5;
    Buf.assign(bytes, bytes + content.size());
    return 0;
}

int TDeinstall::PrepareDeinstall()
{
    // Only the log's own SelectProduct records may name the IDE a step acts on.
    SetCurrentProduct(0, L"");
    ReadBackward = false;
    SpanBegin = LogHeaderSize;
    SpanEnd = Buf.size();
    if (Buf.size() < LogHeaderSize) {
        SpanBegin = SpanEnd = 0;
        return 0;
    }
    size_t pos = LogHeaderSize;
    TLogRecord record;
    for (;;) {
        const size_t at = pos;
        const TLogStep step = ReadLogRecordForward(Buf.data(), LogHeaderSize, Buf.size(), pos, record);
        if (step == TLogStep::End)
            return 0;
        if (step == TLogStep::Damaged) {  // PrepareUninstFile rejects such logs; undo nothing from one
            SpanBegin = SpanEnd = at;
            return 0;
        }
        if (TypeIdOf(record.Id) != opLogProductInfo) {
            SpanBegin = at;
            return 0;
        }
        if (TakeProductRecord(record)) {
            ReadBackward = true;
            SpanBegin = pos;
            return 0;
        }
    }
}

bool TDeinstall::TakeProductRecord(const TLogRecord& record)
{
    switch (record.Code) {
    case piProductName:
        FProduct.Name = RecordText(record);
        break;
    case piVersion:
        FProduct.Version = RecordText(record);
        break;
    case piEdition:
        FProduct.Edition = RecordText(record);
        break;
    case piInstallDir:
        FProduct.InstallDir = RecordText(record);
        break;
    case piRegKey:
        FProduct.RegKey = RecordText(record);
        break;
    case piUninstallKey:
        FProduct.UninstallKey = RecordText(record);
        break;
    case piReverseMarker:
        return true;
    default:
        break;
    }
    return false;
}

int TDeinstall::DoDeinstall(TDeinstallObserver* observer)
{
    if (observer)
        observer->WalkStarting(SpanEnd - SpanBegin);

    StopResult = 0;
    std::wstring status;
    size_t pos = ReadBackward ? SpanEnd : SpanBegin;
    for (;;) {
        TLogRecord record;
        const TLogStep step = ReadBackward ? ReadLogRecordBackward(Buf.data(), SpanBegin, SpanEnd, pos, record)
                                           : ReadLogRecordForward(Buf.data(), SpanBegin, SpanEnd, pos, record);
        if (step != TLogStep::Record)
            break;
        if (flPartialUninstall && (record.Id & ifKeepOnPartial)) {
            status = L"Skipping";
            if (observer)
                observer->RecordStarting(status);
        } else {
            const TUndoKind* kind = FindUndoKind(TypeIdOf(record.Id));
            if (kind && kind->Status)
                status = kind->Status;
            if (observer)
                observer->RecordStarting(status);
            if (kind)
                StopResult = kind->Step(TUndoRecord{record, RecordText(record), FProduct});
            if (StopResult != 0)
                break;
        }
        if (observer)
            observer->RecordFinished(record.Size);
    }
    if (observer)
        observer->WalkFinished();
    return 0;
}
