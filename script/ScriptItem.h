// The format of the install script: a constant table of typed items that the
// engine walks and dispatches by number.
#pragma once

#include <cstdint>

#include "catalogue/Catalogue.h"

struct TScriptItem {
    uint32_t Id;              // bits 0-15 TypeId, bits 16-31 item flags
    const wchar_t* Text;      // main string; null reads as ""
    uint32_t Code;            // payload id, catalogue index, mask, root key, selector
    uint32_t DirKind;         // directory kind of Text
    const wchar_t* Text2;     // second string
    const wchar_t* Text3;     // third string
    uint32_t DirKind2;        // directory kind of Text3
    uint32_t Options;         // option bits of the operation
    const TPackageTarget* Target;  // CopyInstalledFile only
};
#if !defined(_WIN64)
static_assert(sizeof(TScriptItem) == 36, "nine 32-bit fields");
#endif

// Item flags.
constexpr uint32_t ifLogged = 0x10000;         // append an uninstall-log record
constexpr uint32_t ifKeepOnPartial = 0x20000;  // a partial uninstall keeps it

// Class bits of a TypeId.
constexpr uint16_t tcControl = 0x4000;
constexpr uint16_t tcFile = 0x8000;

// Operation numbers (TypeId values).
enum : uint16_t {
    opCompilePackage = 0x0006,
    opRegisterPackage = 0x0008,
    opAppendToHelpConfig = 0x000A,
    opDeleteSingleFile = 0x000B,
    opRegisterWinHelp = 0x000C,
    opSetHelpDirectory = 0x000D,
    opCreateRegistryKey = 0x000F,
    opCheckFileExists = 0x0013,
    opAddLibraryPath = 0x0015,
    opUninstallPrevious = 0x0018,
    opAppendToHelpConfigAlt = 0x0019,  // read by the deinstaller only
    opCopyFiles = 0x001A,
    opDeleteFiles = 0x001B,
    opMergeFiles = 0x001C,
    opReplaceText = 0x001D,
    opRunFile = 0x0022,
    opRunHelpRegistration = 0x0023,
    opAddIdePath = 0x0026,
    opIfVersionSelected = 0x4003,
    opEndIfVersionSelected = 0x4004,
    opSelectProduct = 0x4009,
    opLogProductInfo = 0x400E,
    opIfItemSelected = 0x4016,
    opEndIfItemSelected = 0x4017,
    opIfOptionSet = 0x401E,
    opEndIfOptionSet = 0x401F,
    opIfOptionClear = 0x4020,
    opEndIfOptionClear = 0x4021,
    opIfFileExists = 0x4024,
    opEndIfFileExists = 0x4025,
    opCreateFolder = 0x8001,
    opCopyPayloadFile = 0x8002,
    opClearFolder = 0x8005,
    opSetWorkFolder = 0x8007,
    opCopyPayloadIfMissing = 0x8010,
    opCopyPayloadIfNewer = 0x8011,
    opRegisterUninstaller = 0x8012,
    opCopyInstalledFile = 0x8014,
};

inline uint16_t TypeIdOf(uint32_t id) { return static_cast<uint16_t>(id & 0xFFFF); }
inline const wchar_t* TextOrEmpty(const wchar_t* text) { return text ? text : L""; }

// LogProductInfo selectors.
enum : uint32_t {
    piProductName = 1,
    piVersion = 2,
    piEdition = 3,
    piInstallDir = 4,
    piRegKey = 5,
    piReverseMarker = 6,
    piUninstallKey = 7,
};

constexpr int ScriptItemCount = 960;
extern const TScriptItem ScriptItems[ScriptItemCount];
