// After a complete removal the installation folder holds only the running
// untwk.exe, which cannot delete its own file: it moves the file beside the
// folder under a plain name, removes the folder, and a hidden command deletes
// the file once untwk has ended.
#pragma once

#include <windows.h>

#include <string>

// This program's own file name, full path.
std::wstring OwnProgramPath();

// True when folder exists and holds exactly one entry, named name.
bool FolderHoldsOnly(const std::wstring& folder, const std::wstring& name);

// Moves file (this program, the last entry of folder) into folder's parent,
// removes folder, and starts a hidden command that deletes the moved file
// once this process has ended. 0 or the system error code; when the move
// fails nothing is touched.
DWORD RemoveAfterExit(const std::wstring& file, const std::wstring& folder);
