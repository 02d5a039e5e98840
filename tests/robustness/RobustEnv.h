// What the robustness tests share: running qz_headless and other programs
// with their output, the uninstall entry and untwk driven from outside, and
// the fake IDEs every installation here is made against.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "support/Handles.h"
#include "tests/common/TestEnv.h"

// Delphi 3 (help .cfg), Delphi 7 (.als keywords), BDS 2006 (Help 2
// registration) and RAD Studio XE2 (Win32 and Win64 branches).
constexpr uint32_t RobustVersions = 0x1 | 0x100 | 0x400 | 0x8000;
// The help files (the demo rows only copy more files and cost seconds).
constexpr const wchar_t* RobustItems = L"help";

struct TRun {
    DWORD Exit = ~0u;  // ~0u: did not start or did not end in time
    std::string Output;
};
TRun RunCaptured(const std::wstring& commandLine, DWORD timeoutMs = 120000);
// Starts commandLine with no window flags and this process's environment.
bool StartProcess(const std::wstring& commandLine, TProcessInfo& process);
// qz_headless of this build with the given arguments.
TRun Headless(const std::wstring& arguments);
// A headless installation of versions and RobustItems into dir.
TRun InstallInto(const std::wstring& dir, const std::wstring& extra = L"", uint32_t versions = RobustVersions);

// A value of HKLM ...\Uninstall\qzlLib; empty when missing.
std::wstring EntryValue(const wchar_t* name);
// Starts commandLine (untwk, or a program that starts it such as Wine's
// uninstaller), clicks Start in untwk's dialog, waits for the started
// process and both untwk processes to end and then up to 10 s for
// installDir to go. False when no dialog came up or something did not end
// (then ended here).
bool RunUninstaller(const std::wstring& commandLine, const std::wstring& installDir);
// Runs a removal without a dialog (untwk /SILENT): its exit code once it and
// then installDir have gone; ~0u when it did not end.
DWORD RunQuietRemoval(const std::wstring& commandLine, const std::wstring& installDir);

// The fake IDEs of versions below C:\qz-robust-ides for the life of the
// object (made outside Temp so that pictures of the prefix include them).
class TRobustIdes {
public:
    explicit TRobustIdes(uint32_t versions = RobustVersions);
    ~TRobustIdes();
    TRobustIdes(const TRobustIdes&) = delete;
    TRobustIdes& operator=(const TRobustIdes&) = delete;
    bool Made() const { return FMade; }
    static std::wstring Root();

private:
    uint32_t FVersions;
    bool FMade = false;
};

// Removes what an installation into dir may have left, whatever state it is
// in (test-side clean-up before and after a case).
void ScrubInstallation(const std::wstring& dir);
