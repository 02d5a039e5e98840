// What the selection, directory and finish pages decide, as plain functions
// without any window: the wizard and unattended setup make the same choices
// through them.
#pragma once

#include <cstdint>
#include <string>

// The product key's values of a previous installation; 0 or empty when absent.
struct TPreviousInstall {
    int32_t Versions = 0;  // "InstallVersions"
    int32_t Items = 0;     // "InstallItems"
    std::wstring Version;  // "Version"
};
TPreviousInstall ReadPreviousInstall();

// Detects the installed IDEs and presets the catalogue's Selected and the
// rows' Checked: what the previous installation chose, else everything found.
void PresetSelection(const TPreviousInstall& previous);

// CustomizeItems from the product key when it holds the value.
void ReadCustomizeItems();

// InstallVersions and InstallItems from the rows' Checked.
void ComputeMasks();

// The previous "RootDir" when there is one, else the parent of the first
// selected IDE's folder or Program Files, with the default folder name.
std::wstring ProposeDirectory(const std::wstring& previousRootDir);
// The previous installation's "RootDir", empty when none.
std::wstring ReadPreviousRootDir();
// The destination text with one trailing separator removed, at most 259
// characters: what the directory page stores.
std::wstring TrimStoredDirectory(std::wstring text);

// The product key's seven values; stops at the first failed write.
bool SaveInstallInfo();
