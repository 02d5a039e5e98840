// IDE integration: compiling packages with the IDE's own tools, registering
// the design-time package and adding folders to the IDE's path lists.
#include "catalogue/Catalogue.h"
#include "script/ScriptOps.h"
#include "support/DirKinds.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/Registry.h"
#include "support/SharedState.h"
#include "support/Text.h"

namespace {

// A compiler still running after this keeps running on its own; the check
// item after the compile reports the missing package.
constexpr DWORD CompileWaitMs = 45000;

enum class TPathAppend { ReadFailed, Present, Added, WriteFailed };

// Appends folder to the path list in HKCU\key\name unless it is there.
TPathAppend AppendToPathList(std::wstring& log, const std::wstring& key, const std::wstring& name,
                             const std::wstring& folder)
{
    std::wstring list;
    if (!RegReadStr(HKEY_CURRENT_USER, key, name, list))
        return TPathAppend::ReadFailed;
    log += L"Adding search path: " + folder;
    if (!AddListEntry(list, folder)) {
        log += sfAlready;
        return TPathAppend::Present;
    }
    if (!RegWriteStr(HKEY_CURRENT_USER, key, name, list))
        return TPathAppend::WriteFailed;
    return TPathAppend::Added;
}

TPlatform PlatformOf(uint32_t options) { return (options & 2) ? TPlatform::Win64 : TPlatform::Win32; }

std::wstring PackageDescription() { return CapitalFirst(Product::EditionText()); }

// The tool that compiles the item's project with the IDE's own compiler,
// and its command line; every path quoted, as it may hold blanks.
struct TCompileCommand {
    const wchar_t* ToolName;
    std::wstring Tool;
    std::wstring CommandLine;
};

TCompileCommand CompileCommand(const TBorlandProduct& ide, const TScriptItem& item)
{
    TCompileCommand command;
    command.ToolName = !ide.IsDelphi ? L"make.exe" : item.Options == 1 ? L"dcc64.exe" : L"dcc32.exe";
    command.Tool = ide.RootDir + L"\\bin\\" + command.ToolName;
    command.CommandLine = QuotePath(command.Tool) + (ide.IsDelphi ? L" " : L" /f") + QuotePath(TextOrEmpty(item.Text));
    return command;
}

}  // namespace

// Results: -1 empty mask, -2 a mask beyond the catalogue, -3 or -4 dcc or
// make missing, or the system's reason when the compiler cannot start. -5 to
// -7, a security descriptor that could not be made, no longer occur: the
// compiler starts with default security.
int TScriptOps::CompilePackage(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    uint32_t mask = item.Code;
    if (mask == 0)
        return -1;
    int entry = 1;
    for (; (mask & 1) == 0; mask >>= 1)
        ++entry;
    const TBorlandProduct* ide = IdeByIndex(entry);
    if (!ide)
        return -2;

    const TCompileCommand command = CompileCommand(*ide, item);
    if (!FileExists(command.Tool)) {
        Log(s) = std::wstring(L"Compiling package, cannot find ") + command.ToolName + L": " + TextOrEmpty(item.Text) +
                 L"...Fail";
        return ide->IsDelphi ? -3 : -4;
    }
    // In the current directory, waited for a while.
    if (const int error = static_cast<int>(StartHidden(L"", command.CommandLine, L"", CompileWaitMs)))
        return error;
    Log(s) = L"Compiling package: " + std::wstring(TextOrEmpty(item.Text)) + sfSuccess;
    return 0;
}

int TScriptOps::RegisterPackage(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    const TBorlandProduct* ide = CurrentIde();
    if (!ide)
        return NoProduct(s);
    const std::wstring& package = s.Path;

    if (!RegWriteStr(HKEY_CURRENT_USER, std::wstring(ide->RegKey) + IdeKey::KnownPackages, package,
                     PackageDescription()))
        return -1;
    Log(s) = L"Registering package: " + package + sfSuccess;

    const TPathValue library = LibrarySearchPath(*ide, PlatformOf(item.Options));
    const std::wstring folder = SplitPath(package).Folder;
    std::wstring line;
    const TPathAppend outcome = AppendToPathList(line, library.Key, library.Name, folder);
    if (outcome == TPathAppend::ReadFailed)
        return -2;
    Log(s) += L"\r\n" + line;
    if (outcome == TPathAppend::Present)
        return 0;
    if (outcome == TPathAppend::WriteFailed)
        return -3;
    if (NeedsOptionsUpdate(*ide) &&
        !RegWriteStr(HKEY_CURRENT_USER, std::wstring(ide->RegKey) + IdeKey::Globals, L"ForceEnvOptionsUpdate", L"1"))
        return -4;
    Log(s) += sfSuccess;
    return 0;
}

int TScriptOps::AddLibraryPath(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    const TBorlandProduct* ide = CurrentIde();
    if (!ide)
        return NoProduct(s);
    const std::wstring& folder = s.Path;

    const std::wstring suffix = TextOrEmpty(item.Text2);
    const std::wstring valueName = TextOrEmpty(item.Text3);
    const TPathValue list = !suffix.empty() && !valueName.empty()
                                ? TPathValue{std::wstring(ide->RegKey) + L"\\" + suffix, valueName}
                                : LibrarySearchPath(*ide, PlatformOf(item.Options));
    switch (AppendToPathList(Log(s), list.Key, list.Name, folder)) {
    case TPathAppend::ReadFailed: return (item.Options & 1) ? 0 : -2;
    case TPathAppend::Present: return 0;
    case TPathAppend::WriteFailed: return -3;
    case TPathAppend::Added: break;
    }
    Log(s) += sfSuccess;
    return 0;
}

int TScriptOps::AddIdePath(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    const TBorlandProduct* ide = CurrentIde();
    if (!ide)
        return NoProduct(s);
    const TPathParts value = SplitPath(std::wstring(ide->RegKey) + TextOrEmpty(item.Text));
    if (value.Folder.empty())
        return 0;
    const std::wstring folder = GetInstallSubDir(static_cast<uint8_t>(item.Code), Shared.InstallDir);

    switch (AppendToPathList(Log(s), value.Folder, value.Name, folder)) {
    case TPathAppend::ReadFailed: return 0;  // an IDE without that value is left alone
    case TPathAppend::Present: return 0;
    case TPathAppend::WriteFailed: return -3;
    case TPathAppend::Added: break;
    }
    Log(s) += sfSuccess;
    return 0;
}
