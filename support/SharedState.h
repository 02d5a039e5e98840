// The process-wide state of one program run. Single thread, no locks: every
// field is written and read on the user-interface thread only.
#pragma once

#include <cstdint>
#include <string>

struct TSharedState {
    // setup's command line; written once by the parser before any mode runs.
    bool flCopyOnly = false;        // /C: only control and file items run
    bool flEnableControls = false;  // /E: parsed and described, consulted by nothing
    bool flShowHelp = false;        // /H or /?
    bool flExtract = false;         // /X

    // Selection masks: written by the selection page (and the Customize
    // dialog), tested by the script, stored by the finish page.
    uint32_t InstallVersions = 0;  // OR of the chosen catalogue InternalId bits
    uint32_t InstallItems = 0;     // OR of the chosen CustomizeList ItemBit values
    uint32_t CustomizeItems = 5;   // option bits of the Customize dialog

    // Destination of the installation being made. Written by the directory
    // page, by unattended setup and by extract mode.
    std::wstring InstallDir;

    // Catalogue entry (1-based, 0 = none) and folder name that SelectProduct
    // items and their log records make current: both are set together by
    // SetCurrentProduct of the catalogue.
    int CurrentProduct = 0;
    std::wstring CurrentProductFolder;
};

extern TSharedState Shared;
