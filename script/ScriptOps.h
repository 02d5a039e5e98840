// The engine's operation handlers and the one table that dispatches to them.
// Private to the engine: each handler reads the current item of its engine,
// may set the item's log text, and returns 0 or an error code.
#pragma once

#include <cstdint>
#include <string>

#include "script/Script.h"

// Suffixes of every log line.
constexpr const wchar_t* sfSuccess = L"...Success";
constexpr const wchar_t* sfFail = L"...Fail";
constexpr const wchar_t* sfAlready = L"...Already";

// Result of an item that needs a current IDE version while none is current.
constexpr int errNoProduct = -8;

struct TScriptOps {
    using THandler = int (*)(TScript& script);
    struct TEntry {
        uint16_t TypeId;
        THandler Handler;
    };

    // nullptr for a TypeId that performs nothing.
    static THandler Find(uint16_t typeId);

    // Control items.
    static int IfVersionSelected(TScript& s);
    static int SelectProduct(TScript& s);
    static int IfItemSelected(TScript& s);
    static int IfOptionSet(TScript& s);
    static int IfOptionClear(TScript& s);
    static int IfFileExists(TScript& s);

    // File operations.
    static int CreateFolder(TScript& s);
    static int CopyPayloadFile(TScript& s);
    static int CopyPayloadIfMissing(TScript& s);
    static int CopyPayloadIfNewer(TScript& s);
    static int ClearFolder(TScript& s);
    static int SetWorkFolder(TScript& s);
    static int CopyInstalledFile(TScript& s);
    static int AppendToHelpConfig(TScript& s);
    static int DeleteSingleFile(TScript& s);
    static int CheckFileExists(TScript& s);
    static int CopyFiles(TScript& s);
    static int DeleteFiles(TScript& s);
    static int MergeFiles(TScript& s);
    static int ReplaceText(TScript& s);

    // IDE integration.
    static int CompilePackage(TScript& s);
    static int RegisterPackage(TScript& s);
    static int AddLibraryPath(TScript& s);
    static int AddIdePath(TScript& s);

    // Help and uninstall registration.
    static int SetHelpDirectory(TScript& s);
    static int RegisterWinHelp(TScript& s);
    static int RunHelpRegistration(TScript& s);
    static int RunFile(TScript& s);
    static int RegisterUninstaller(TScript& s);
    static int CreateRegistryKey(TScript& s);
    static int UninstallPrevious(TScript& s);

    // Shared by the handlers.
    static const TScriptItem& Item(const TScript& s) { return s.CurrentItem(); }
    static std::wstring& Log(TScript& s) { return s.FLogText; }
    static void SkipTo(TScript& s, uint16_t typeId, uint32_t code)
    {
        s.FSkipTypeId = typeId;
        s.FSkipCode = code;
    }
    // False for the product kinds (dkProductRoot, dkProductHelp) while no IDE
    // version is current.
    static bool KindUsable(uint32_t kind);
    // The path DirKind:Text; false (and the item's error text) when the kind
    // needs a current IDE version and none is.
    static bool ItemPath(TScript& s, uint32_t kind, const wchar_t* text, std::wstring& path);
    static int NoProduct(TScript& s);
    // GetLastError as a result: never 0 after a failed call.
    static int LastError()
    {
        const DWORD error = GetLastError();
        return error != 0 ? static_cast<int>(error) : ERROR_GEN_FAILURE;
    }
    // The file test of CheckFileExists and IfFileExists: 0 found, 1 missing.
    static int TestFile(TScript& s);
    static int CopyPayload(TScript& s, bool overwrite);
    static bool PayloadIsNewer(const TScriptItem& item, const std::wstring& target);

    static const TEntry Table[];
};
