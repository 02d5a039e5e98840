// The folders that script items and log records name by number.
#pragma once

#include <cstdint>
#include <string>

// Directory kinds, as the script table and uninst.log store them; any other
// number names no folder. The catalogue resolves them (GetKindDir), since
// two of them follow its current entry.
enum TDirKind : uint32_t {
    dkNone = 0,
    dkWindows = 1,
    dkProductRoot = 2,  // the current product's RootDir
    dkInstall = 3,      // the installation directory
    dkProductHelp = 4,  // the current product's RootDir + "\Help\"
    dkTemp = 5,
    dkSystem = 6,
};

// The kinds that name nothing while no product is current.
inline bool KindNeedsProduct(uint32_t kind) { return kind == dkProductRoot || kind == dkProductHelp; }

// Install-relative folder kinds (low seven bits) below installDir: 0 the
// folder itself, 1 its "Source", 2 current product folder, 3 + "\Win32",
// 4 + "\Win64".
std::wstring GetInstallSubDir(uint8_t kind, const std::wstring& installDir);
