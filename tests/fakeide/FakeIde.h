// A fake installation of any IDE version of the catalogue, for tests that
// run the install script or the deinstaller against "installed" IDEs.
//
//   TFakeIdeOptions options;          // defaults: 64-bit compiler, HKCU only
//   CreateFakeIde(16, dir, options);  // RAD Studio XE2 in dir
//   ... DetectInstalledIdes() now finds it; the script compiles with it ...
//   RemoveFakeIde(16, dir);
//
// A fake IDE consists of
//   - <root>\bin\dcc32.exe (Delphi-style entries) or <root>\bin\make.exe
//     (C++Builder 3 to 6), and <root>\bin\dcc64.exe for 64-bit capable
//     entries when With64: copies of the stand-in tool qz_fakeide_tool.exe
//     (see FakeTool.cpp for what it reads and writes);
//   - HKCU\<RegKey> with "RootDir" = root, an empty "Known Packages" key and
//     the path values a fresh IDE of that version has:
//       entry 1:            Library\SearchPath
//       entries 2 to 15:    Library\Search Path
//       entries 16 to 28:   Library\Win32\Search Path, Library\Win64\Search Path
//       entries 12 to 15:   CppPaths\SearchPath, IncludePath, LibraryPath
//       entries 16 to 28:   C++\Paths\Win32 and C++\Paths\Win64: IncludePath,
//                           LibraryPath, BrowsingPath
//     and, with AlsoHklm, HKLM\<RegKey> with "RootDir" as well;
//   - for entries with WinHelp files (HelpStr): <root>\Help\ with each of
//     those files (.cfg/.ohi/.ohl lines, a sorted .als keyword file) and the
//     WinHelp cache <first help file's name>.gid.
#pragma once

#include <string>

struct TFakeIdeOptions {
    bool With64 = true;     // add bin\dcc64.exe to 64-bit capable entries
    bool AlsoHklm = false;  // also write "RootDir" below HKEY_LOCAL_MACHINE
};

// Creates the fake installation of catalogue entry (1..28) in root (created
// when missing). False when the entry is unknown or a file or key could not
// be written.
bool CreateFakeIde(int entry, const std::wstring& root, const TFakeIdeOptions& options = TFakeIdeOptions());

// Removes the IDE's registry keys (HKCU and HKLM) and the folder root with
// everything in it.
void RemoveFakeIde(int entry, const std::wstring& root);

// The value a fresh fake IDE keeps in its library search path, for checks.
std::wstring FakeIdeSearchPath(int entry);
