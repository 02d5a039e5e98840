// The product that setup installs and the IDE versions that can receive it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/Product.h"
#include "catalogue/ProductCounts.h"

// Sub-keys appended to an IDE's RegKey.
namespace IdeKey {
constexpr const wchar_t* KnownPackages = L"\\Known Packages";
constexpr const wchar_t* Library = L"\\Library";
constexpr const wchar_t* Win32 = L"\\Win32";
constexpr const wchar_t* Win64 = L"\\Win64";
constexpr const wchar_t* Globals = L"\\Globals";
}  // namespace IdeKey

struct TBorlandProduct {
    const wchar_t* Name;      // internal name, shown in the text log header
    uint32_t InternalId;      // one bit: InstallVersions and script Code fields
    std::wstring RootDir;     // run time: IDE folder without trailing backslash
    bool Exists;              // run time: installed and usable
    bool Selected;            // run time: preset for installation
    const wchar_t* RegKey;    // below HKCU / HKLM
    const wchar_t* HelpStr[3];  // WinHelp configuration files, "" where fewer
    bool IsDelphi;            // dcc32 (true) or make (false)
    bool Is32and64;           // separate Win32 and Win64 branches and folders
};

extern TBorlandProduct IdeCatalogue[IdeCount];  // entry k lives at [k - 1]

// Where an IDE version keeps a ";"-separated path list: key below
// HKEY_CURRENT_USER and value name.
struct TPathValue {
    std::wstring Key;
    std::wstring Name;
};
enum class TPlatform { Win32, Win64 };
// The library search path for a platform; versions without a 64-bit
// platform keep one list for both.
TPathValue LibrarySearchPath(const TBorlandProduct& ide, TPlatform platform);
// Versions that re-read their environment options only when told to.
bool NeedsOptionsUpdate(const TBorlandProduct& ide);

// 1-based look-up; nullptr outside 1..IdeCount.
TBorlandProduct* IdeByIndex(int index);
// First entry whose InternalId equals id; nullptr when none (also for 0).
TBorlandProduct* IdeByInternalId(uint32_t id);
// The entry the last SelectProduct made current; nullptr when none.
TBorlandProduct* CurrentIde();
// Makes entry index (1-based, 0 = none) current with its product folder.
void SetCurrentProduct(int index, const std::wstring& folder);

// Fills RootDir and Exists of every entry from the registry and disk.
void DetectInstalledIdes();

// Rows of the selection page, in display order.
struct TCustomizeItem {
    uint32_t ItemBit;     // bit in InstallItems and in IfItemSelected codes
    const wchar_t* Name;
    bool Checked;         // filled by the selection page
    uint32_t IdeMask;     // InternalId of the IDE the row stands for, 0 = none
};
extern TCustomizeItem CustomizeList[CustomizeCount];

// Options of the Customize dialog (either pointer may be null).
struct TCustomizeOption {
    const wchar_t* Name;
    const wchar_t* Hint;
};
constexpr int CustomizeOptionCount = 1;
extern const TCustomizeOption CustomizeOptions[CustomizeOptionCount];

// Where CopyInstalledFile puts a built package.
struct TPackageTarget {
    const wchar_t* Name;  // file name or relative path
    uint32_t DirKind;     // directory kind of Name
};
extern const TPackageTarget PackageTargets[PackageTargetCount];

// The IDE program of an entry: delphi32.exe (Delphi 3 to 7), bcb.exe
// (C++Builder), bds.exe (Delphi 2005 and later).
const wchar_t* IdeProcessName(const TBorlandProduct& ide);

// A running IDE of the chosen versions.
struct TRunningIde {
    const TBorlandProduct* Ide;
    DWORD ProcessId;
    std::wstring Image;  // full path, or the bare name when it cannot be read
};
// Running processes of the installed entries whose InternalId is in
// versions: an IDE program inside RootDir\bin, or one of that name whose
// path cannot be read (a process of another user or elevation).
std::vector<TRunningIde> FindRunningIdes(uint32_t versions);
// "Delphi 7 (path)" lines of a list, for messages and logs.
std::wstring DescribeRunningIdes(const std::vector<TRunningIde>& running);
