// A picture of the Wine prefix for before/after comparisons: every key and
// value below HKLM\Software and HKCU\Software, and every folder and file of
// drive C:, each with a digest of its contents.
//
// Left out, because Wine or the test run change them on their own:
//   HKLM\Software\Wine, HKCU\Software\Wine     Wine's own settings and caches
//   HKCU\Software\QzTest                        scratch keys of test programs
//   HKLM\Software\Classes, its WOW64 view       COM registrations Wine finishes
//                                               lazily in a young prefix (the
//                                               product registers no classes)
//   HKLM\Software\...\Windows NT\CurrentVersion\NetworkCards (both views)
//                                               adapters Wine lists when first
//                                               asked
//   C:\windows\*.log, C:\windows\logs, C:\windows\temp, C:\windows\inf\*.pnf
//                                               Wine's logs and caches
//   C:\users\<user>\Temp\qz-*                   scratch folders of test programs
//   C:\users\<user>\AppData\Local\Microsoft\Windows\Explorer
//                                               icon and thumbnail caches
// Files below C:\windows are compared by size and write time (hashing the
// whole Windows tree would take seconds per picture); everywhere else by size
// and a 64-bit FNV-1a hash of the contents, so a file rewritten with the same
// bytes (an IDE help file whose added line was taken out again) compares
// equal. The installation's own files in the Windows tree (the templates
// file and the run-time packages) are compared by contents as well.
#pragma once

#include <map>
#include <string>
#include <vector>

struct TSnapshot {
    // "K <key>", "V <key>|<value name>", "D <folder>", "F <file>" -> digest.
    std::map<std::wstring, std::string> Entries;
};

TSnapshot TakeSnapshot();

// One line per difference: "+ entry" added, "- entry" gone, "~ entry" changed.
std::vector<std::wstring> SnapshotDiff(const TSnapshot& before, const TSnapshot& after);

// The differences whose entry does not start with one of the prefixes
// (compared without regard to letter case).
std::vector<std::wstring> Unexpected(const std::vector<std::wstring>& diff, const std::vector<std::wstring>& allowed);
