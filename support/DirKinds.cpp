#include "support/DirKinds.h"

#include "support/Files.h"
#include "support/SharedState.h"

std::wstring GetInstallSubDir(uint8_t kind)
{
    switch (kind & 0x7F) {
    case 0:
        return Shared.InstallDir;
    case 1:
        return CombinePath(Shared.InstallDir, L"Source");
    case 2:
        return CombinePath(Shared.InstallDir, Shared.CurrentProductFolder);
    case 3:
        return CombinePath(Shared.InstallDir, Shared.CurrentProductFolder + L"\\Win32");
    case 4:
        return CombinePath(Shared.InstallDir, Shared.CurrentProductFolder + L"\\Win64");
    default:
        return L"";
    }
}
