// untwk runs its walk from a copy of itself in a new temporary folder, so
// that the installation folder, with the original untwk.exe, can go.
#pragma once

#include <windows.h>

#include <string>

// A new folder below base named prefix + 16 random hex digits; created only
// if absent (another name is tried when it exists). Empty on failure.
std::wstring CreateUniqueFolder(const std::wstring& base, const std::wstring& prefix);

// This program's own file name, full path.
std::wstring OwnProgramPath();

// Copies this program into a new folder below the temporary folder, runs
// the copy with arguments and waits for it, then removes the copy and its
// folder. False (and nothing left behind) when the copy could not be made
// or started; exitCode is the copy's exit code otherwise.
bool RunFromTempCopy(const std::wstring& arguments, DWORD& exitCode);

// True when folder exists and holds exactly one entry, named name.
bool FolderHoldsOnly(const std::wstring& folder, const std::wstring& name);

// Starts a hidden command that deletes file, then its folder if that is
// empty, once this process has ended. 0 or the system error code.
DWORD RemoveAfterExit(const std::wstring& file, const std::wstring& folder);
