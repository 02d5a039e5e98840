// File operations: folders, payload files, copies, deletions, existence tests
// and in-place edits of text files.
#include "script/ScriptOps.h"
#include "support/Files.h"
#include "support/Handles.h"
#include "support/StringList.h"
#include "support/Text.h"

namespace {

// "...Fail" with the system's reason, as the error note and the log show it.
std::wstring FailWith(DWORD error) { return std::wstring(sfFail) + L". " + SysErrorMessage(error); }

}  // namespace

int TScriptOps::ReadForEdit(const std::wstring& path, TFileHandle& file, std::string& content)
{
    file.Reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return -1;
    return ReadWholeFile(file, content) == TFileRead::Read ? 0 : -2;
}

void TScriptOps::WriteAt(const TFileHandle& file, LONGLONG offset, const std::string& bytes)
{
    LARGE_INTEGER position;
    position.QuadPart = offset;
    SetFilePointerEx(file.Get(), position, nullptr, FILE_BEGIN);
    DWORD written = 0;
    if (!bytes.empty())
        WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int TScriptOps::CreateFolder(TOpCall& s)
{
    const std::wstring& folder = s.Path;
    const DWORD error = ForceDirectory(folder);
    Log(s) = L"Creating directory: " + folder;
    if (error == 0)
        Log(s) += sfSuccess;
    else
        Log(s) += std::wstring(sfFail) + L". " + SysErrorMessage(error);
    return static_cast<int>(error);
}

int TScriptOps::CopyPayload(TOpCall& s, bool overwrite)
{
    const TScriptItem& item = Item(s);
    const std::wstring& target = s.Path;
    Log(s) = L"Copying file: " + target;
    if (!overwrite && PathExists(target)) {
        Log(s) += sfAlready;
        return 0;
    }
    const DWORD error = ExtractPayload(item.Code, target);
    Log(s) += error == 0 ? std::wstring(sfSuccess) : FailWith(error);
    return static_cast<int>(error);
}

int TScriptOps::CopyPayloadFile(TOpCall& s) { return CopyPayload(s, true); }

int TScriptOps::CopyPayloadIfMissing(TOpCall& s) { return CopyPayload(s, false); }

bool TScriptOps::PayloadIsNewer(const TScriptItem& item, const std::wstring& target)
{
    uint32_t targetHigh = 0, targetLow = 0;
    if (!GetFileProductVersion(target, targetHigh, targetLow))
        return true;

    const std::wstring temporary = CombinePath(TempDirectory(), TextOrEmpty(item.Text));
    if (ExtractPayload(item.Code, temporary) != 0)
        return true;
    uint32_t payloadHigh = 0, payloadLow = 0;
    const bool known = GetFileProductVersion(temporary, payloadHigh, payloadLow);
    DeleteFileOrLink(temporary);
    if (!known)
        return true;
    if (payloadHigh != targetHigh)
        return payloadHigh > targetHigh;
    return payloadLow > targetLow;
}

int TScriptOps::CopyPayloadIfNewer(TOpCall& s)
{
    const std::wstring& target = s.Path;
    if (PayloadIsNewer(Item(s), target))
        return CopyPayload(s, true);
    Log(s) = L"Copying file: " + target + sfAlready;
    return 0;
}

int TScriptOps::ClearFolder(TOpCall& s)
{
    const std::wstring& folder = s.Path;
    const uint32_t bits = DeleteDirTree(folder, true);
    Log(s) = L"Clearing directory: " + folder + (bits != 0 ? sfFail : sfSuccess);
    return 0;
}

int TScriptOps::SetWorkFolder(TOpCall& s)
{
    const std::wstring& folder = s.Path;
    if (!SetCurrentDirectoryW(folder.c_str()))
        return LastError();
    return 0;
}

int TScriptOps::CopyInstalledFile(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    const std::wstring& source = s.Path;
    std::wstring destination;
    if (item.Target && !ItemPath(s, item.Target->DirKind, item.Target->Name, destination))
        return errNoProduct;
    Log(s) = L"Copying file: from " + source + L" to " + destination + L" ";
    if (!CopyFileW(source.c_str(), destination.c_str(), FALSE)) {
        const int error = LastError();
        Log(s) += FailWith(static_cast<DWORD>(error));
        return error;
    }
    Log(s) += sfSuccess;
    return 0;
}

int TScriptOps::TestFile(TOpCall& s)
{
    const std::wstring& path = s.Path;
    const bool exists = PathExists(path);
    Log(s) = L"Check file: " + path + (exists ? sfSuccess : sfFail);
    return exists ? 0 : 1;
}

int TScriptOps::CheckFileExists(TOpCall& s) { return TestFile(s); }

int TScriptOps::DeleteSingleFile(TOpCall& s)
{
    const std::wstring& path = s.Path;
    DeleteFileOrLink(path);
    Log(s) = L"Deleting file: " + path + sfSuccess;
    return 0;
}

int TScriptOps::CopyFiles(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    const std::wstring& mask = s.Path;
    std::wstring destination;
    if (!ItemPath(s, item.DirKind2, item.Text3, destination))
        return errNoProduct;
    const std::wstring sourceFolder = SplitPath(mask).Folder;
    const std::wstring destinationFolder = SplitPath(destination).Folder;

    int result = 0;
    WIN32_FIND_DATAW found;
    TFindHandle find(FindFirstFileW(mask.c_str(), &found));
    if (find) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            if (!CopyFileW(CombinePath(sourceFolder, found.cFileName).c_str(),
                           CombinePath(destinationFolder, found.cFileName).c_str(), FALSE)) {
                result = LastError();
                break;
            }
        } while (FindNextFileW(find.Get(), &found));
    }
    Log(s) = L"Copying file: from " + mask + L" to " + destination + L" " +
             (result == 0 ? std::wstring(sfSuccess) : FailWith(static_cast<DWORD>(result)));
    return result;
}

int TScriptOps::DeleteFiles(TOpCall& s)
{
    const std::wstring& mask = s.Path;
    const std::wstring folder = SplitPath(mask).Folder;
    WIN32_FIND_DATAW found;
    TFindHandle find(FindFirstFileW(mask.c_str(), &found));
    if (find) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                DeleteFileOrLink(CombinePath(folder, found.cFileName));
        } while (FindNextFileW(find.Get(), &found));
    }
    Log(s) = L"Deleting files: " + mask + sfSuccess;
    return 0;
}

int TScriptOps::MergeFiles(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    const std::wstring& source = s.Path;
    std::wstring target;
    if (!ItemPath(s, item.DirKind2, item.Text3, target))
        return errNoProduct;
    TtwkStringList sourceLines, targetLines;
    targetLines.SetDuplicates(dupIgnore);
    sourceLines.LoadFromFile(source);
    targetLines.LoadFromFile(target);
    for (int i = 0; i < sourceLines.Count(); ++i) {
        const std::wstring line = sourceLines.Get(i);
        if (targetLines.IndexOf(line) < 0)
            targetLines.Add(line);
    }
    targetLines.SaveToFileA(target);
    Log(s) = L"Merging files: " + source + L", " + target + sfSuccess;
    return 0;
}

int TScriptOps::ReplaceText(TOpCall& s)
{
    const TScriptItem& item = Item(s);
    const std::wstring& path = s.Path;
    TFileHandle file;
    std::string content;
    const int opened = ReadForEdit(path, file, content);
    if (opened != 0)
        return opened;

    const std::string find = WideToAnsi(TextOrEmpty(item.Text2));
    const std::string replacement = WideToAnsi(TextOrEmpty(item.Text3));
    Log(s) = L"Replace text: File=" + path + L", FindText=" + TextOrEmpty(item.Text2) + L", ReplaceTo=" +
             TextOrEmpty(item.Text3);
    const int position = SubTextPosA(LowerCaseA(content), LowerCaseA(find));
    if (position == 0) {
        Log(s) += sfAlready;
        return 0;
    }
    const size_t offset = static_cast<size_t>(position - 1);
    WriteAt(file, static_cast<LONGLONG>(offset), replacement + content.substr(offset + find.size()));
    SetEndOfFile(file.Get());
    Log(s) += sfSuccess;
    return 0;
}
