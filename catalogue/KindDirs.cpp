#include "catalogue/KindDirs.h"

#include "catalogue/Catalogue.h"
#include "support/Files.h"

std::wstring GetKindDir(uint32_t kind, const std::wstring& installDir)
{
    const TBorlandProduct* ide = KindNeedsProduct(kind) ? CurrentIde() : nullptr;
    const std::wstring root = ide ? ide->RootDir : L"";
    switch (kind) {
    case dkWindows:
        return WindowsDirectory();
    case dkProductRoot:
        return root;
    case dkInstall:
        return installDir;
    case dkProductHelp:
        // Without a RootDir this would name "\Help\" on the current drive.
        return root.empty() ? L"" : root + L"\\Help\\";
    case dkTemp:
        return TempDirectory();
    case dkSystem:
        return SystemDirectory();
    default:
        return L"";
    }
}
