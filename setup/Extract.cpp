#include "setup/Extract.h"

#include <windows.h>

#include "catalogue/KindDirs.h"
#include "script/ScriptItem.h"
#include "support/Files.h"
#include "support/SharedState.h"

void ExtractPayloadFiles(const TScriptItem* items, int count)
{
    wchar_t current[MAX_PATH];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    Shared.InstallDir = length > 0 && length < MAX_PATH ? std::wstring(current, length) : std::wstring();

    for (int i = 0; i < count; ++i) {
        const TScriptItem& item = items[i];
        const uint16_t type = TypeIdOf(item.Id);
        if (type != opCreateFolder && type != opCopyPayloadFile)
            continue;
        const std::wstring path =
            CombinePath(GetKindDir(item.DirKind, Shared.InstallDir), TextOrEmpty(item.Text));
        // Results are ignored: extract mode is silent and writes what it can.
        if (type == opCreateFolder)
            (void)ForceDirectory(path);
        else
            (void)ExtractPayload(item.Code, path);
    }
}
