// Starting other programs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// This process's command line as CommandLineToArgvW splits it, the
// program's own name first; empty when it cannot be split.
std::vector<std::wstring> ProcessParameters();

// A path fit for a command line: quoted when it holds a blank.
std::wstring QuotePath(const std::wstring& path);
// The one way this system starts a program: hidden, without inherited
// handles and with default security (setup runs elevated, and an access
// list open to everyone would let any program of the session take the
// process over). application empty: the command line's first word names the
// program; currentDirectory empty: this process's. Waits up to waitMs for
// the program to end (0: not at all). 0, or the system's reason when it
// cannot start (never 0 then).
DWORD StartHidden(const std::wstring& application, std::wstring commandLine, const std::wstring& currentDirectory,
                  DWORD waitMs);
// Starts the command hidden and waits for it without a time limit.
DWORD RunAndWait(const std::wstring& program, const std::wstring& parameters);
