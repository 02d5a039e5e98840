// The folders that script items and log records name by number.
#pragma once

#include <cstdint>
#include <string>

// Directory kinds: 0 none, 1 Windows, 2 current product's RootDir,
// 3 installation directory, 4 current product's RootDir + "\Help\",
// 5 temporary folder, 6 system folder, anything else none.
std::wstring GetKindDir(uint32_t kind);
// Install-relative folder kinds (low seven bits) below installDir: 0 the
// folder itself, 1 its "Source", 2 current product folder, 3 + "\Win32",
// 4 + "\Win64".
std::wstring GetInstallSubDir(uint8_t kind, const std::wstring& installDir);
