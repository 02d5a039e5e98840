#include "tests/fakeide/FakeIde.h"

#include <windows.h>

#include "catalogue/Catalogue.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"

namespace {

const wchar_t* const ToolName = L"qz_fakeide_tool.exe";

bool CopyTool(const std::wstring& bin, const wchar_t* name)
{
    return CopyFileW(BinPath(ToolName).c_str(), CombinePath(bin, name).c_str(), FALSE) != 0;
}

// $(DELPHI) for Delphi 3 to 7, $(BCB) for C++Builder, $(BDS) later.
std::wstring RootMacro(int entry)
{
    if (entry >= 10)
        return L"$(BDS)";
    return IdeByIndex(entry)->IsDelphi ? L"$(DELPHI)" : L"$(BCB)";
}

bool WriteValues(const std::wstring& key, std::initializer_list<std::pair<const wchar_t*, std::wstring>> values)
{
    for (const auto& value : values)
        if (!RegWriteStr(HKEY_CURRENT_USER, key, value.first, value.second))
            return false;
    return true;
}

bool WriteRegistry(int entry, const std::wstring& root)
{
    const TBorlandProduct& ide = *IdeByIndex(entry);
    const std::wstring key = ide.RegKey;
    const std::wstring macro = RootMacro(entry);
    if (!RegWriteStr(HKEY_CURRENT_USER, key, L"RootDir", root) ||
        !RegCreateKeyPath(HKEY_CURRENT_USER, key + IdeKey::KnownPackages))
        return false;
    if (ide.Is32and64) {
        const std::wstring lib = key + IdeKey::Library;
        if (!WriteValues(lib + IdeKey::Win32, {{L"Search Path", FakeIdeSearchPath(entry)}}) ||
            !WriteValues(lib + IdeKey::Win64, {{L"Search Path", macro + L"\\lib\\Win64\\release"}}))
            return false;
        for (const wchar_t* platform : {L"Win32", L"Win64"}) {
            const std::wstring folder = macro + L"\\lib\\" + platform;
            if (!WriteValues(key + L"\\C++\\Paths\\" + platform,
                             {{L"IncludePath", macro + L"\\include"},
                              {L"LibraryPath", folder + L"\\release"},
                              {L"BrowsingPath", macro + L"\\source\\rtl"}}))
                return false;
        }
        return true;
    }
    const wchar_t* searchName = entry == 1 ? L"SearchPath" : L"Search Path";
    if (!WriteValues(key + IdeKey::Library, {{searchName, FakeIdeSearchPath(entry)}}))
        return false;
    if (entry >= 12)
        return WriteValues(key + L"\\CppPaths", {{L"SearchPath", macro + L"\\source\\Win32"},
                                                 {L"IncludePath", macro + L"\\include;" + macro + L"\\include\\vcl"},
                                                 {L"LibraryPath", macro + L"\\lib;" + macro + L"\\lib\\obj"}});
    return true;
}

// What a freshly installed IDE keeps in each help configuration file.
std::string HelpFileText(const std::wstring& name)
{
    const std::wstring ext = LowerCase(name.substr(name.find_last_of(L'.') + 1));
    if (ext == L"cfg")
        return ":Base delphi.hlp\r\n:Index Delphi=delphi.hlp\r\n:Link vcl.hlp\r\n:Include delphi.cnt\r\n";
    if (ext == L"ohi")
        return ":Index Object Pascal Reference=del.hlp\r\n:Index VCL Reference=vcl.hlp\r\n";
    if (ext == L"ohl")
        return ":Link del.hlp\r\n:Link vcl.hlp\r\n";
    // The keyword alias file is sorted, as WinHelp keeps it.
    return "Application=vcl.hlp>main\r\nTForm=vcl.hlp>main\r\nTStrings=vcl.hlp>main\r\n";
}

bool WriteHelp(int entry, const std::wstring& root)
{
    const TBorlandProduct& ide = *IdeByIndex(entry);
    if (!ide.HelpStr[0] || !ide.HelpStr[0][0])
        return true;
    const std::wstring help = CombinePath(root, L"Help");
    if (ForceDirectory(help) != 0)
        return false;
    for (const wchar_t* name : ide.HelpStr)
        if (name && name[0] && !WriteFileBytes(CombinePath(help, name), HelpFileText(name)))
            return false;
    std::wstring gid = ide.HelpStr[0];
    gid = gid.substr(0, gid.find_last_of(L'.')) + L".gid";
    return WriteFileBytes(CombinePath(help, gid), std::string("\x3F\x5F\x03\x00WinHelp cache", 17));
}

}  // namespace

std::wstring FakeIdeSearchPath(int entry)
{
    const std::wstring macro = RootMacro(entry);
    if (entry >= 16)
        return macro + L"\\lib\\Win32\\release;" + macro + L"\\Imports";
    if (entry >= 10)
        return macro + L"\\lib;" + macro + L"\\Imports";
    return macro + L"\\Lib;" + macro + L"\\Bin";
}

bool CreateFakeIde(int entry, const std::wstring& root, const TFakeIdeOptions& options)
{
    const TBorlandProduct* ide = IdeByIndex(entry);
    if (!ide)
        return false;
    const std::wstring bin = CombinePath(root, L"bin");
    if (ForceDirectory(bin) != 0)
        return false;
    if (!CopyTool(bin, ide->IsDelphi ? L"dcc32.exe" : L"make.exe"))
        return false;
    if (ide->Is32and64 && options.With64 && !CopyTool(bin, L"dcc64.exe"))
        return false;
    if (options.AlsoHklm && !RegWriteStr(HKEY_LOCAL_MACHINE, ide->RegKey, L"RootDir", root))
        return false;
    return WriteRegistry(entry, root) && WriteHelp(entry, root);
}

void RemoveFakeIde(int entry, const std::wstring& root)
{
    if (const TBorlandProduct* ide = IdeByIndex(entry)) {
        RegDeleteKeyTree(HKEY_CURRENT_USER, ide->RegKey);
        RegDeleteKeyTree(HKEY_LOCAL_MACHINE, ide->RegKey);
    }
    RemoveTree(root);
}
