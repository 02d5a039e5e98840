// IDE integration: compiling packages with the IDE's own tools, registering
// the design-time package and adding folders to the IDE's path lists.
#include "catalogue/Catalogue.h"
#include "script/ScriptOps.h"
#include "support/Handles.h"
#include "support/SharedState.h"
#include "support/Utils.h"

namespace {

// A compiler still running after this keeps running on its own; the check
// item after the compile reports the missing package.
constexpr DWORD CompileWaitMs = 45000;

enum class TPathAppend { ReadFailed, Present, Added, WriteFailed };

// Whole-entry test: "C:\X\Lib" is not present in "C:\X\Lib2".
bool ListHasEntry(const std::wstring& list, const std::wstring& folder)
{
    const std::wstring lowerList = LowerCase(list);
    const std::wstring lowerFolder = LowerCase(folder);
    size_t begin = 0;
    for (;;) {
        const size_t end = lowerList.find(L';', begin);
        const size_t length = (end == std::wstring::npos ? lowerList.size() : end) - begin;
        if (length == lowerFolder.size() && lowerList.compare(begin, length, lowerFolder) == 0)
            return true;
        if (end == std::wstring::npos)
            return false;
        begin = end + 1;
    }
}

// Appends folder to the path list in HKCU\key\name unless it is there.
TPathAppend AppendToPathList(std::wstring& log, const std::wstring& key, const std::wstring& name,
                             const std::wstring& folder)
{
    std::wstring list;
    if (!RegReadStr(HKEY_CURRENT_USER, key, name, list))
        return TPathAppend::ReadFailed;
    log += L"Adding search path: " + folder;
    if (ListHasEntry(list, folder)) {
        log += sfAlready;
        return TPathAppend::Present;
    }
    if (!list.empty() && list.back() != L';')
        list += L';';
    list += folder;
    if (!RegWriteStr(HKEY_CURRENT_USER, key, name, list))
        return TPathAppend::WriteFailed;
    return TPathAppend::Added;
}

// The library search path of the current IDE version: its key and value.
void LibraryPathValue(const TBorlandProduct& ide, uint32_t options, std::wstring& key, std::wstring& name)
{
    key = std::wstring(ide.RegKey) + IdeKey::Library;
    if (ide.Is32and64)
        key += (options & 2) ? IdeKey::Win64 : IdeKey::Win32;
    name = Shared.CurrentProduct == 1 ? L"SearchPath" : L"Search Path";
}

std::wstring PackageDescription()
{
    std::wstring text = std::wstring(Product::Edition) + L" of " + Product::Name + L" v" + Product::Version;
    if (!text.empty() && text[0] >= L'a' && text[0] <= L'z')
        text[0] = static_cast<wchar_t>(text[0] - L'a' + L'A');
    return text;
}

// Catalogue entries 12 to 14 re-read their options only when told to.
bool NeedsOptionsUpdate(int product) { return product >= 12 && product <= 14; }

}  // namespace

int TScriptOps::CompilePackage(TScript& s)
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

    const std::wstring project = TextOrEmpty(item.Text);
    const wchar_t* toolName = !ide->IsDelphi ? L"make.exe" : item.Options == 1 ? L"dcc64.exe" : L"dcc32.exe";
    const std::wstring tool = ide->RootDir + L"\\bin\\" + toolName;
    if (!FileExists(tool)) {
        Log(s) = std::wstring(L"Compiling package, cannot find ") + toolName + L": " + project + L"...Fail";
        return ide->IsDelphi ? -3 : -4;
    }
    std::wstring commandLine =
        QuotePath(tool) + (ide->IsDelphi ? L" " : L" /f") + QuotePath(project);

    // A null access list: everyone may use the compiler process.
    TLocalMem descriptor(LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH));
    if (!descriptor)
        return -5;
    if (!InitializeSecurityDescriptor(descriptor.Get(), SECURITY_DESCRIPTOR_REVISION))
        return -6;
    if (!SetSecurityDescriptorDacl(descriptor.Get(), TRUE, nullptr, FALSE))
        return -7;
    SECURITY_ATTRIBUTES attributes = {};
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = descriptor.Get();
    attributes.bInheritHandle = TRUE;

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, &commandLine[0], &attributes, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &started))
        return LastError();
    TProcessInfo process;
    process.Take(started);
    WaitForSingleObject(process.Process.Get(), CompileWaitMs);

    Log(s) = L"Compiling package: " + project + sfSuccess;
    return 0;
}

int TScriptOps::RegisterPackage(TScript& s)
{
    const TScriptItem& item = Item(s);
    const TBorlandProduct* ide = CurrentIde();
    if (!ide)
        return NoProduct(s);
    std::wstring package;
    if (!ItemPath(s, item.DirKind, item.Text, package))
        return errNoProduct;

    if (!RegWriteStr(HKEY_CURRENT_USER, std::wstring(ide->RegKey) + IdeKey::KnownPackages, package,
                     PackageDescription()))
        return -1;
    Log(s) = L"Registering package: " + package + sfSuccess;

    std::wstring key, name;
    LibraryPathValue(*ide, item.Options, key, name);
    const int slash = LastCharPos(package, L'\\');
    const std::wstring folder = slash > 0 ? package.substr(0, static_cast<size_t>(slash - 1)) : package;
    std::wstring line;
    const TPathAppend outcome = AppendToPathList(line, key, name, folder);
    if (outcome == TPathAppend::ReadFailed)
        return -2;
    Log(s) += L"\r\n" + line;
    if (outcome == TPathAppend::Present)
        return 0;
    if (outcome == TPathAppend::WriteFailed)
        return -3;
    if (NeedsOptionsUpdate(Shared.CurrentProduct) &&
        !RegWriteStr(HKEY_CURRENT_USER, std::wstring(ide->RegKey) + IdeKey::Globals, L"ForceEnvOptionsUpdate", L"1"))
        return -4;
    Log(s) += sfSuccess;
    return 0;
}

int TScriptOps::AddLibraryPath(TScript& s)
{
    const TScriptItem& item = Item(s);
    const TBorlandProduct* ide = CurrentIde();
    if (!ide)
        return NoProduct(s);
    std::wstring folder;
    if (!ItemPath(s, item.DirKind, item.Text, folder))
        return errNoProduct;

    std::wstring key, name;
    const std::wstring suffix = TextOrEmpty(item.Text2);
    const std::wstring valueName = TextOrEmpty(item.Text3);
    if (!suffix.empty() && !valueName.empty()) {
        key = std::wstring(ide->RegKey) + L"\\" + suffix;
        name = valueName;
    } else {
        LibraryPathValue(*ide, item.Options, key, name);
    }
    switch (AppendToPathList(Log(s), key, name, folder)) {
    case TPathAppend::ReadFailed: return (item.Options & 1) ? 0 : -2;
    case TPathAppend::Present: return 0;
    case TPathAppend::WriteFailed: return -3;
    case TPathAppend::Added: break;
    }
    Log(s) += sfSuccess;
    return 0;
}

int TScriptOps::AddIdePath(TScript& s)
{
    const TScriptItem& item = Item(s);
    const TBorlandProduct* ide = CurrentIde();
    if (!ide)
        return NoProduct(s);
    const std::wstring full = std::wstring(ide->RegKey) + TextOrEmpty(item.Text);
    const int split = LastCharPos(full, L'\\');
    if (split <= 1)
        return 0;
    const std::wstring key = full.substr(0, static_cast<size_t>(split - 1));
    const std::wstring name = full.substr(static_cast<size_t>(split));
    const std::wstring folder = GetInstallSubDir(static_cast<uint8_t>(item.Code));

    switch (AppendToPathList(Log(s), key, name, folder)) {
    case TPathAppend::ReadFailed: return 0;  // an IDE without that value is left alone
    case TPathAppend::Present: return 0;
    case TPathAppend::WriteFailed: return -3;
    case TPathAppend::Added: break;
    }
    Log(s) += sfSuccess;
    return 0;
}
