#include "catalogue/Choices.h"

#include <windows.h>

#include "catalogue/Catalogue.h"
#include "support/Files.h"
#include "support/Registry.h"
#include "support/SharedState.h"

namespace {

constexpr size_t DirectoryLimit = 260;  // characters of a stored destination, terminator included

}  // namespace

TPreviousInstall ReadPreviousInstall()
{
    TPreviousInstall previous;
    uint32_t value = 0;
    if (RegReadInt(HKEY_LOCAL_MACHINE, Product::RegKey, Product::ValInstallVersions, value))
        previous.Versions = static_cast<int32_t>(value);
    if (!RegReadStr(HKEY_LOCAL_MACHINE, Product::RegKey, Product::ValVersion, previous.Version))
        previous.Version.clear();
    value = 0;
    if (RegReadInt(HKEY_LOCAL_MACHINE, Product::RegKey, Product::ValInstallItems, value))
        previous.Items = static_cast<int32_t>(value);
    return previous;
}

void PresetSelection(const TPreviousInstall& previous)
{
    DetectInstalledIdes();

    for (TBorlandProduct& ide : IdeCatalogue) {
        if (previous.Versions > 0)
            ide.Selected = ide.Exists && static_cast<int32_t>(ide.InternalId & previous.Versions) > 0;
        else
            ide.Selected = ide.Exists;
    }

    for (TCustomizeItem& row : CustomizeList) {
        const TBorlandProduct* ide = IdeByInternalId(row.IdeMask);
        if (previous.Items > 0) {
            if (static_cast<int32_t>(previous.Items & row.ItemBit) > 0)
                row.Checked = !ide || ide->Exists;
        } else {
            row.Checked = !ide || ide->Selected;
        }
    }
}

void ReadCustomizeItems()
{
    uint32_t customize = 0;
    if (RegReadInt(HKEY_LOCAL_MACHINE, Product::RegKey, Product::ValCustomizeItems, customize))
        Shared.CustomizeItems = customize;
}

void ComputeMasks()
{
    Shared.InstallVersions = 0;
    Shared.InstallItems = 0;
    for (const TCustomizeItem& row : CustomizeList) {
        if (row.Checked) {
            Shared.InstallItems |= row.ItemBit;
            Shared.InstallVersions |= row.IdeMask;
        }
    }
}

std::wstring ReadPreviousRootDir()
{
    std::wstring path;
    if (!RegReadStr(HKEY_LOCAL_MACHINE, Product::RegKey, Product::ValRootDir, path))
        path.clear();
    return path;
}

std::wstring TrimStoredDirectory(std::wstring text)
{
    if (text.size() > DirectoryLimit - 1)
        text.resize(DirectoryLimit - 1);
    if (!text.empty() && (text.back() == L'\\' || text.back() == L'/'))
        text.pop_back();
    return text;
}

std::wstring ProposeDirectory(const std::wstring& previousRootDir)
{
    std::wstring parent;
    for (const TBorlandProduct& ide : IdeCatalogue) {
        if (!ide.Selected)
            continue;
        parent = ide.RootDir;
        if (!parent.empty() && parent.back() == L'\\')
            parent.pop_back();
        // A RootDir without any "\", a drive such as "D:", stands for itself.
        if (parent.find(L'\\') != std::wstring::npos)
            parent = SplitPath(parent).Folder;
        break;
    }
    if (!previousRootDir.empty())
        return previousRootDir;
    if (parent.empty() &&
        !RegReadStr(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir", parent))
        parent.clear();
    if (!parent.empty()) {
        if (parent.back() != L'\\')
            parent += L'\\';
        parent += Product::DefaultFolder;
    }
    return parent;
}

bool SaveInstallInfo()
{
    const HKEY root = HKEY_LOCAL_MACHINE;
    const wchar_t* key = Product::RegKey;
    wchar_t date[80] = {};
    if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 80) == 0)
        date[0] = L'\0';
    return RegWriteInt(root, key, Product::ValInstallVersions, Shared.InstallVersions) &&
           RegWriteInt(root, key, Product::ValInstallItems, Shared.InstallItems) &&
           RegWriteStr(root, key, Product::ValRootDir, Shared.InstallDir) &&
           RegWriteStr(root, key, Product::ValVersion, Product::Version) &&
           RegWriteStr(root, key, Product::ValType, Product::Edition) &&
           RegWriteStr(root, key, Product::ValInstallDate, date) &&
           RegWriteInt(root, key, Product::ValCustomizeItems, Shared.CustomizeItems);
}
