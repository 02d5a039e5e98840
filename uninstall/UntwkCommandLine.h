// The command line of untwk: switches, then the path of the uninstall log.
#pragma once

#include <string>
#include <vector>

// Marks the process started from untwk's own temporary copy. Not a switch
// for users: the original untwk puts it in front of its own arguments.
constexpr const wchar_t* TempCopySwitch = L"/FROMTEMP";

struct TUntwkCommandLine {
    bool HasParameters = false;     // any parameter besides TempCopySwitch
    bool PartialUninstall = false;  // "/P", "-P" or "\P"; any later unknown switch resets it
    bool Silent = false;            // "/SILENT": no dialog, no message box, an exit code
    bool FromTempCopy = false;      // TempCopySwitch was given
    std::wstring LogPath;           // the last non-switch parameter, outer quotes removed
};

// params excludes the program name.
TUntwkCommandLine ParseUntwkCommandLine(const std::vector<std::wstring>& params);

// The arguments of a command line exactly as given, after the program name
// (which is split off by CommandLineToArgvW's rule for it).
std::wstring ArgumentsOf(const std::wstring& commandLine);
