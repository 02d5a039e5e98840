// File-system, path, process and registry helpers. Plain functions: each
// reports failure through its result and never throws or shows anything.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "support/Handles.h"

// Platform identifier from GetVersionExW, captured once at start-up
// (2 = Windows NT family, 0 when the call failed).
extern DWORD PlatformId;

// ---- Text helpers: positions are 1-based, 0 = not found -------------------
int SubTextPos(const std::wstring& text, const std::wstring& pattern);
int SubTextPosA(const std::string& text, const std::string& pattern);
int LastCharPos(const std::wstring& text, wchar_t ch);

std::wstring LowerCase(const std::wstring& text);      // CharLowerW
std::string LowerCaseA(const std::string& text);       // CharLowerA
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const char* data, size_t size);
std::string WideToAnsi(const std::wstring& text);      // system ANSI code page
std::wstring AnsiToWide(const char* data, size_t size);

// The system's message for an error code, without trailing blanks, control
// characters and full stops.
std::wstring SysErrorMessage(DWORD code);

// ---- Paths and folders ----------------------------------------------------
// Directory kinds: 0 none, 1 Windows, 2 current product's RootDir,
// 3 installation directory, 4 current product's RootDir + "\Help\",
// 5 temporary folder, 6 system folder, anything else none.
std::wstring GetKindDir(uint32_t kind);
// Install-relative folder kinds (low seven bits): 0 installation directory,
// 1 its "Source", 2 current product folder, 3 + "\Win32", 4 + "\Win64".
std::wstring GetInstallSubDir(uint8_t kind);
// The one rule for joining paths.
std::wstring CombinePath(const std::wstring& base, const std::wstring& relative);

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

// The whole content of an open file, read from its start; false when it
// cannot be read or is 2 GiB or more.
bool ReadWholeFile(const TFileHandle& file, std::string& content);

bool GetFileProductVersion(const std::wstring& fileName, uint32_t& high, uint32_t& low);

// Writes payload resource (type "QZLIB") of this program to a file.
DWORD ExtractPayload(uint32_t resourceId, const std::wstring& fileName);

// ---- Processes --------------------------------------------------------------
// A path fit for a command line: quoted when it holds a blank.
std::wstring QuotePath(const std::wstring& path);
// Starts the command hidden and waits for it without a time limit.
DWORD RunAndWait(const std::wstring& program, const std::wstring& parameters);

// ---- Registry: each call opens, works and closes --------------------------
bool RegCreateKeyPath(HKEY root, const std::wstring& path);
bool RegRemoveValue(HKEY root, const std::wstring& path, const std::wstring& name);
bool RegReadStr(HKEY root, const std::wstring& path, const std::wstring& name, std::wstring& text);
bool RegReadInt(HKEY root, const std::wstring& path, const std::wstring& name, uint32_t& value);
bool RegWriteStr(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text);
bool RegWriteInt(HKEY root, const std::wstring& path, const std::wstring& name, uint32_t value);
void RegDeleteSubKeys(HKEY key);
bool RegDeleteKeyTree(HKEY root, const std::wstring& path);

// A registry root as stored in script items and log records (0x80000001,
// 0x80000002, ...) turned back into the predefined handle.
HKEY RootKeyFromCode(uint32_t code);
