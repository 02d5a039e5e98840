// Starting other programs.
#pragma once

#include <windows.h>

#include <string>

// A path fit for a command line: quoted when it holds a blank.
std::wstring QuotePath(const std::wstring& path);
// Starts the command hidden and waits for it without a time limit.
DWORD RunAndWait(const std::wstring& program, const std::wstring& parameters);
