// Paths, folders and files. Plain functions: each reports failure through
// its result and never shows anything.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "support/Handles.h"

// The Windows, system and temporary folders; empty when unknown.
std::wstring WindowsDirectory();
std::wstring SystemDirectory();
std::wstring TempDirectory();

// The one rule for joining paths.
std::wstring CombinePath(const std::wstring& base, const std::wstring& relative);

// The one rule for the folder of a path (or registry key path): the path cut
// at its last "\", "C:\A\b.bpl" into "C:\A" and "b.bpl". A drive's root
// keeps its "\" ("C:\b.bpl" gives "C:\"). A path without a "\" after its
// first character has no folder: Folder is empty and Name the whole path.
struct TPathParts {
    std::wstring Folder;
    std::wstring Name;
};
TPathParts SplitPath(const std::wstring& path);

DWORD ForceDirectory(const std::wstring& path);  // Win32 error, 0 = success

// DeleteDirTree result bits (0 = full success).
constexpr uint32_t ddFileNotDeleted = 0x80000002;
constexpr uint32_t ddListCloseFailed = 0x80000004;
constexpr uint32_t ddFolderNotRemoved = 0x80000008;
constexpr uint32_t ddLookupCloseFailed = 0x80000010;
constexpr uint32_t ddFolderNotFound = 0x80000020;
constexpr uint32_t ddRefused = 0x80000040;  // a path no tree walk may touch
uint32_t DeleteDirTree(const std::wstring& path, bool keepRoot);

// True for paths whose removal would be a disaster rather than an uninstall:
// empty or relative paths, drive roots, and the Windows, system, temporary,
// profile and program folders themselves.
bool IsProtectedFolder(const std::wstring& path);

// FindFirstFileW test: any match counts, a folder included.
bool PathExists(const std::wstring& path);
bool FileExists(const std::wstring& path);       // a file, not a folder
bool DirectoryExists(const std::wstring& path);
// DeleteFileW; a directory link of that name is removed with RemoveDirectoryW.
bool DeleteFileOrLink(const std::wstring& path);

// The one way to read a whole file: an open one from its start, or one
// opened here for reading (Unreadable when it cannot be opened). A file
// larger than maxSize bytes is TooLarge, and nothing of it is read.
enum class TFileRead { Read, Unreadable, TooLarge };
constexpr uint64_t MaxWholeFile = 0x7FFFFFFF;
TFileRead ReadWholeFile(const TFileHandle& file, std::string& content, uint64_t maxSize = MaxWholeFile);
TFileRead ReadWholeFile(const std::wstring& path, std::string& content, uint64_t maxSize = MaxWholeFile);

bool GetFileProductVersion(const std::wstring& fileName, uint32_t& high, uint32_t& low);

// Writes payload resource (type "QZLIB") of this program to a file.
DWORD ExtractPayload(uint32_t resourceId, const std::wstring& fileName);
