// Loading of DLLs from the system folder only. Every program and the about
// box link SystemDll.cpp directly (QZ_RUNTIME_SOURCE): it hardens the search
// order of a program's process before any other code runs, and it routes the
// delay-loaded system DLLs (version, comctl32, shell32) through
// LoadSystemDll, so a planted DLL of that name beside the program is never
// picked up.
#pragma once

#include <windows.h>

#include <string>

// Restricts the process's DLL search to the system folder (where the system
// supports it), drops the current directory from it and keeps the system's
// theme library loaded. The start-up of a program does this on its own; a DLL
// never changes its host's policy.
void HardenDllSearch();

// The named DLL from the system folder, or nullptr with the last error set.
HMODULE LoadSystemDll(const std::wstring& name);
