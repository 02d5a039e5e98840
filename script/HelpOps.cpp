// Help registration and the IDEs' help configuration, external programs, the
// Windows uninstall entry, the product key, and the removal of a previously
// installed version.
#include "catalogue/Catalogue.h"
#include "catalogue/KindDirs.h"
#include "script/ScriptOps.h"
#include "support/Files.h"
#include "support/Handles.h"
#include "support/Process.h"
#include "support/Registry.h"
#include "support/SharedState.h"
#include "support/Text.h"
#include "uninstall/Deinstall.h"

namespace {

const wchar_t* const UninstallerName = L"untwk.exe";
constexpr size_t MaxLogPath = 255;

std::wstring UninstallKey() { return std::wstring(Product::UninstallRoot) + Product::UninstallKeyName; }

// The log path inside "UninstallString": the quoted last part, or the last
// blank-separated word.
std::wstring LogPathOf(std::wstring command)
{
    int start = 0;
    if (!command.empty() && command.back() == L'"') {
        command.pop_back();
        start = LastCharPos(command, L'"');
    } else {
        start = LastCharPos(command, L' ');
    }
    if (start == 0)
        return L"";
    return command.substr(static_cast<size_t>(start), MaxLogPath);
}

// Kilobytes Programs and Features shows for the installation. The entry is
// written early in the walk, so it counts every payload file this program
// carries plus room for the packages the compilers build.
constexpr uint32_t BuiltFilesAllowanceKb = 2048;

BOOL CALLBACK AddPayloadSize(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR total)
{
    if (const HRSRC resource = FindResourceW(module, name, type))
        *reinterpret_cast<uint64_t*>(total) += SizeofResource(module, resource);
    return TRUE;
}

uint32_t EstimatedSizeKb()
{
    uint64_t bytes = 0;
    EnumResourceNamesW(GetModuleHandleW(nullptr), L"QZLIB", AddPayloadSize, reinterpret_cast<LONG_PTR>(&bytes));
    return static_cast<uint32_t>((bytes + 1023) / 1024) + BuiltFilesAllowanceKb;
}

}  // namespace

int TScriptOps::SetHelpDirectory(TOpCall& s)
{
    s.State.HelpDir = s.Path;
    return 0;
}

int TScriptOps::RegisterWinHelp(TOpCall& s)
{
    const std::wstring name = TextOrEmpty(Item(s).Text);
    const bool written = RegWriteStr(HKEY_LOCAL_MACHINE, WinHelpKey, name, s.State.HelpDir);
    Log(s) = L"Registering windows help: " + name + (written ? sfSuccess : sfFail);
    return written ? 0 : -1;
}

int TScriptOps::AppendToHelpConfig(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    const TBorlandProduct* ide = CurrentIde();
    if (!ide)
        return NoProduct(s);
    // Only slots 1 to 3 name a file; any other slot names none.
    const wchar_t* name = item.Code >= 1 && item.Code <= 3 ? ide->HelpStr[item.Code - 1] : L"";
    if (!name || !*name)
        return -1;
    const std::wstring path = CombinePath(GetKindDir(item.DirKind, Shared.InstallDir), name);

    TFileHandle file;
    std::string content;
    const int opened = ReadForEdit(path, file, content);
    if (opened != 0)
        return opened;

    std::string line = WideToAnsi(TextOrEmpty(item.Text));
    Log(s) = L"Modifying file: " + path;
    if (SubTextPosA(LowerCaseA(content), LowerCaseA(line)) > 0) {
        Log(s) += sfAlready;
        return 0;
    }
    line += "\r\n";
    const bool endsWithBreak = content.size() >= 2 && content.compare(content.size() - 2, 2, "\r\n") == 0;
    if (endsWithBreak && line.compare(0, 2, "\r\n") == 0)
        line.erase(0, 2);
    WriteAt(file, static_cast<LONGLONG>(content.size()), line);
    Log(s) += sfSuccess;
    return 0;
}

int TScriptOps::RunHelpRegistration(TOpCall& s)
{
    // The batch file names its companions without a folder.
    SetCurrentDirectoryW(CombinePath(Shared.InstallDir, L"help").c_str());
    const std::wstring batch = CombinePath(Shared.InstallDir, TextOrEmpty(Item(s).Text));
    const DWORD error = RunAndWait(QuotePath(batch), L"");
    if (error != 0)
        return static_cast<int>(error);
    Log(s) = L"Register help: " + batch + sfSuccess;
    return 0;
}

int TScriptOps::RunFile(TOpCall& s)
{
    wchar_t current[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, current);
    const std::wstring folder = length > 0 && length <= MAX_PATH ? current : L"";
    const std::wstring program = folder + L"\\" + TextOrEmpty(Item(s).Text);
    const DWORD error = RunAndWait(QuotePath(program), L"");
    if (error != 0)
        return static_cast<int>(error);
    Log(s) = L"Run file: " + program + sfSuccess;
    return 0;
}

int TScriptOps::RegisterUninstaller(TOpCall& s)
{
    const std::wstring displayName =
        std::wstring(Product::Maker) + L" " + Product::Name + L" v" + Product::Version;
    const std::wstring uninstaller = CombinePath(Shared.InstallDir, UninstallerName);
    const std::wstring log = QuotePath(CombinePath(Shared.InstallDir, Product::UninstallLogName));
    const std::wstring command = QuotePath(uninstaller) + L" " + log;
    const std::wstring key = UninstallKey();
    const HKEY root = HKEY_LOCAL_MACHINE;
    int result = 0;
    if (!RegCreateKeyPath(root, key))
        result = -1;
    else if (!RegWriteStr(root, key, L"DisplayName", displayName))
        result = -2;
    else if (!RegWriteStr(root, key, L"UninstallString", command))
        result = -3;
    // The rest of the Programs and Features entry; the uninstall record
    // removes the whole key, so nothing here needs its own undo.
    else if (!RegWriteStr(root, key, L"QuietUninstallString", QuotePath(uninstaller) + L" /SILENT " + log) ||
             !RegWriteStr(root, key, L"DisplayVersion", Product::Version) ||
             !RegWriteStr(root, key, L"Publisher", Product::Maker) ||
             !RegWriteStr(root, key, L"InstallLocation", Shared.InstallDir) ||
             !RegWriteStr(root, key, L"DisplayIcon", uninstaller) ||
             !RegWriteInt(root, key, L"NoModify", 1) || !RegWriteInt(root, key, L"NoRepair", 1) ||
             !RegWriteInt(root, key, L"EstimatedSize", EstimatedSizeKb()) ||
             !RegWriteStr(root, key, L"URLInfoAbout", Product::ProductUrl))
        result = -4;
    Log(s) = std::wstring(L"Registering Uninstall: ") + UninstallerName + (result == 0 ? sfSuccess : sfFail);
    return result;
}

int TScriptOps::CreateRegistryKey(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    RegCreateKeyPath(RootKeyFromCode(item.Code), TextOrEmpty(item.Text));
    Log(s).clear();
    return 0;
}

int TScriptOps::UninstallPrevious(TOpCall& s)
{
    const std::wstring key = UninstallKey();
    std::wstring displayName, command;
    if (!RegReadStr(HKEY_LOCAL_MACHINE, key, L"DisplayName", displayName) ||
        !RegReadStr(HKEY_LOCAL_MACHINE, key, L"UninstallString", command) || command.empty())
        return 0;
    const std::wstring logPath = LogPathOf(command);
    if (logPath.empty())
        return 0;

    // The old copy goes as far as it can; its failures do not stop setup.
    // The IDEs are as the selection detected them. A log that names no
    // installation folder is undone against the destination.
    TDeinstall deinstall(Shared.InstallDir);
    if (deinstall.PrepareUninstFile(logPath) == 0 && deinstall.PrepareDeinstall() == 0)
        deinstall.DoDeinstall();
    Log(s) += sfSuccess;
    return 0;
}
