// The command line of untwk: switches, then the path of the uninstall log.
#pragma once

#include <string>
#include <vector>

struct TUntwkCommandLine {
    bool HasParameters = false;
    bool PartialUninstall = false;  // "/P", "-P" or "\P"; any later unknown switch resets it
    bool Silent = false;            // "/SILENT": no dialog, no message box, an exit code
    std::wstring LogPath;           // the last non-switch parameter, outer quotes removed
};

// params excludes the program name.
TUntwkCommandLine ParseUntwkCommandLine(const std::vector<std::wstring>& params);
