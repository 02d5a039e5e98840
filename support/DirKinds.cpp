#include "support/DirKinds.h"

#include "support/Files.h"
#include "support/SharedState.h"

std::wstring GetKindDir(uint32_t kind)
{
    const std::wstring& root = Shared.CurrentProductRoot;
    switch (kind) {
    case 1:
        return WindowsDirectory();
    case 2:
        return root;
    case 3:
        return Shared.InstallDir;
    case 4:
        // Without a RootDir this would name "\Help\" on the current drive.
        return root.empty() ? L"" : root + L"\\Help\\";
    case 5:
        return TempDirectory();
    case 6:
        return SystemDirectory();
    default:
        return L"";
    }
}

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
