#include "support/DirKinds.h"

#include "support/Files.h"
#include "support/SharedState.h"

std::wstring GetInstallSubDir(uint8_t kind, const std::wstring& installDir)
{
    switch (kind & 0x7F) {
    case 0:
        return installDir;
    case 1:
        return CombinePath(installDir, L"Source");
    case 2:
        return CombinePath(installDir, Shared.CurrentProductFolder);
    case 3:
        return CombinePath(installDir, Shared.CurrentProductFolder + L"\\Win32");
    case 4:
        return CombinePath(installDir, Shared.CurrentProductFolder + L"\\Win64");
    default:
        return L"";
    }
}
