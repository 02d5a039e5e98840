// The engine's operation handlers and the one table that dispatches to them.
// Private to the engine: each handler works on the call it is given, may set
// the item's log text, and returns 0 or an error code.
#pragma once

#include <cstdint>
#include <string>

#include "script/Script.h"
#include "support/Handles.h"
#include "support/Text.h"

// Suffixes of every log line.
constexpr const wchar_t* sfSuccess = L"...Success";
constexpr const wchar_t* sfFail = L"...Fail";
constexpr const wchar_t* sfAlready = L"...Already";

// Result of an item that needs a current IDE version while none is current.
constexpr int errNoProduct = -8;

// One call of an operation: its item, the item's log text, the state the
// operations keep between items, and the item's DirKind:Text path when the
// operation's table row asks for it.
struct TOpCall {
    const TScriptItem& Item;
    std::wstring& Log;
    TScriptState& State;
    std::wstring Path;
};

struct TScriptOps {
    using THandler = int (*)(TOpCall& s);
    enum class TArg { None, ItemPath };
    struct TEntry {
        uint16_t TypeId;
        const wchar_t* Status;  // nullptr: the status text stays as it is
        THandler Handler;
        TArg Arg;  // ItemPath: Path is resolved before the handler runs
    };

    // nullptr for a TypeId that performs nothing.
    static const TEntry* Find(uint16_t typeId);
    // Resolves what the row asks for, then runs its handler.
    static int Perform(const TEntry& entry, TOpCall& s);

    // Control items.
    static int IfVersionSelected(TOpCall& s);
    static int SelectProduct(TOpCall& s);
    static int IfItemSelected(TOpCall& s);
    static int IfOptionSet(TOpCall& s);
    static int IfOptionClear(TOpCall& s);
    static int IfFileExists(TOpCall& s);

    // File operations.
    static int CreateFolder(TOpCall& s);
    static int CopyPayloadFile(TOpCall& s);
    static int CopyPayloadIfMissing(TOpCall& s);
    static int CopyPayloadIfNewer(TOpCall& s);
    static int ClearFolder(TOpCall& s);
    static int SetWorkFolder(TOpCall& s);
    static int CopyInstalledFile(TOpCall& s);
    static int DeleteSingleFile(TOpCall& s);
    static int CheckFileExists(TOpCall& s);
    static int CopyFiles(TOpCall& s);
    static int DeleteFiles(TOpCall& s);
    static int MergeFiles(TOpCall& s);
    static int ReplaceText(TOpCall& s);

    // IDE integration.
    static int CompilePackage(TOpCall& s);
    static int RegisterPackage(TOpCall& s);
    static int AddLibraryPath(TOpCall& s);
    static int AddIdePath(TOpCall& s);

    // Help and uninstall registration.
    static int SetHelpDirectory(TOpCall& s);
    static int RegisterWinHelp(TOpCall& s);
    static int AppendToHelpConfig(TOpCall& s);
    static int RunHelpRegistration(TOpCall& s);
    static int RunFile(TOpCall& s);
    static int RegisterUninstaller(TOpCall& s);
    static int CreateRegistryKey(TOpCall& s);
    static int UninstallPrevious(TOpCall& s);

    // Shared by the handlers.
    static const TScriptItem& Item(const TOpCall& s) { return s.Item; }
    static std::wstring& Log(TOpCall& s) { return s.Log; }
    static void SkipTo(TOpCall& s, uint16_t typeId, uint32_t code)
    {
        s.State.SkipTypeId = typeId;
        s.State.SkipCode = code;
    }
    // False for the product kinds (dkProductRoot, dkProductHelp) while no IDE
    // version is current.
    static bool KindUsable(uint32_t kind);
    // The path DirKind:Text; false (and the item's error text) when the kind
    // needs a current IDE version and none is.
    static bool ItemPath(TOpCall& s, uint32_t kind, const wchar_t* text, std::wstring& path);
    static int NoProduct(TOpCall& s);
    // LastErrorCode as an item's result.
    static int LastError() { return static_cast<int>(LastErrorCode()); }
    // The file test of CheckFileExists and IfFileExists on Path: 0 found, 1 missing.
    static int TestFile(TOpCall& s);
    static int CopyPayload(TOpCall& s, bool overwrite);
    static bool PayloadIsNewer(const TScriptItem& item, const std::wstring& target);
    // Opens an existing file for an in-place edit and reads it whole:
    // 0, -1 missing or not openable, -2 size unreadable or 2 GiB or more.
    static int ReadForEdit(const std::wstring& path, TFileHandle& file, std::string& content);
    // Writes bytes at offset of an opened file.
    static void WriteAt(const TFileHandle& file, LONGLONG offset, const std::string& bytes);

    static const TEntry Table[];
};
