// The format of the install script: a constant table of typed items that the
// engine walks and dispatches by number.
#pragma once

#include <cstdint>

#include "catalogue/Catalogue.h"
#include "support/DirKinds.h"
#include "uninstall/UninstLog.h"

struct TScriptItem {
    uint32_t Id;              // bits 0-15 TypeId, bits 16-31 item flags
    const wchar_t* Text;      // main string; null reads as ""
    uint32_t Code;            // payload id, catalogue index, mask, root key, selector
    uint32_t DirKind;         // TDirKind of Text
    const wchar_t* Text2;     // second string
    const wchar_t* Text3;     // third string
    uint32_t DirKind2;        // TDirKind of Text3
    uint32_t Options;         // option bits of the operation
    const TPackageTarget* Target;  // CopyInstalledFile only
};
#if !defined(_WIN64)
static_assert(sizeof(TScriptItem) == 36, "nine 32-bit fields");
#endif

inline const wchar_t* TextOrEmpty(const wchar_t* text) { return text ? text : L""; }

extern const TScriptItem ScriptItems[ScriptItemCount];
