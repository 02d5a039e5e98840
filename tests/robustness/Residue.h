// What an installation may leave behind after its removal, by design, and
// helpers to show pictures' differences.
//
// After a removal (untwk with its dialog or /SILENT, which removes its own
// program file and the installation folder once it has ended, or the
// deinstaller without untwk) these remain:
//   C:\windows\system32\qzl*.bpl, qzl30.dpl
//        the run-time packages CopyInstalledFile copies to the system folder:
//        the script does not log those items, so no record undoes them.
//   <IDE>\Help\*.gid
//        the WinHelp index cache the installation deletes so that WinHelp
//        rebuilds it; its undo removes it again (WinHelp makes a new one).
//   <IDE>\Help\*.als
//        the keyword file the installation merges its keywords into:
//        MergeFiles items are not logged, so the merged keywords stay.
//   HKLM\Software\Microsoft\Windows\Help (the key, not its values)
//        Windows' own WinHelp key, which every Windows has; a young Wine
//        prefix lacks it until RegisterWinHelp writes the first value, and
//        the undo removes only the values it wrote.
#pragma once

#include <string>
#include <vector>

#include "tests/robustness/Snapshot.h"

std::vector<std::wstring> DocumentedRemainder();

// Sorted names in a folder ("." and ".." left out); empty when it is missing.
std::vector<std::wstring> FolderNames(const std::wstring& folder);

std::string Lines(const std::vector<std::wstring>& lines);
