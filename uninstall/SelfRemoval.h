// After a complete removal the installation folder holds only the running
// untwk.exe, which cannot delete its own file: a hidden command removes it
// and the folder once untwk has ended.
#pragma once

#include <windows.h>

#include <string>

// This program's own file name, full path.
std::wstring OwnProgramPath();

// True when folder exists and holds exactly one entry, named name.
bool FolderHoldsOnly(const std::wstring& folder, const std::wstring& name);

// Starts a hidden command that deletes file, then its folder if that is
// empty, once this process has ended. 0 or the system error code.
DWORD RemoveAfterExit(const std::wstring& file, const std::wstring& folder);
