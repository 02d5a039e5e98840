#include "support/Files.h"

#include <shlobj.h>

#include <vector>

#include "support/Text.h"

namespace {

using TSystemFolderCall = UINT(WINAPI*)(LPWSTR, UINT);

std::wstring SystemFolder(TSystemFolderCall call)
{
    wchar_t buffer[MAX_PATH];
    const UINT n = call(buffer, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(buffer, n);
}

UINT WINAPI TempFolderCall(LPWSTR buffer, UINT size) { return GetTempPathW(size, buffer); }

std::wstring ShellFolder(int csidl)
{
    wchar_t buffer[MAX_PATH];
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, buffer)) ? buffer : L"";
}

bool IsSeparator(wchar_t ch) { return ch == L'\\' || ch == L'/'; }

// Full, lower-case form without a "\\?\" prefix or trailing separators, for
// comparing folders; empty when the path cannot be resolved.
std::wstring ComparableFolder(const std::wstring& path)
{
    if (path.empty())
        return L"";
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
    if (n == 0 || n >= MAX_PATH * 2)
        return L"";
    std::wstring full(buffer, n);
    if (full.compare(0, 4, L"\\\\?\\") == 0 && full.size() > 5 && full[5] == L':')
        full.erase(0, 4);
    while (!full.empty() && IsSeparator(full.back()))
        full.pop_back();
    return LowerCase(full);
}

bool IsDirectoryLink(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::wstring WindowsDirectory() { return SystemFolder(GetWindowsDirectoryW); }
std::wstring SystemDirectory() { return SystemFolder(GetSystemDirectoryW); }
std::wstring TempDirectory() { return SystemFolder(TempFolderCall); }

std::wstring CombinePath(const std::wstring& base, const std::wstring& relative)
{
    if (base.empty())
        return relative;
    if (base.back() == L'\\' || relative.empty() || relative.front() == L'\\')
        return base + relative;
    return base + L"\\" + relative;
}

TPathParts SplitPath(const std::wstring& path)
{
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos || slash == 0)
        return {L"", path};
    return {path.substr(0, path[slash - 1] == L':' ? slash + 1 : slash), path.substr(slash + 1)};
}

DWORD ForceDirectory(const std::wstring& path)
{
    const bool unc = path.size() > 1 && IsSeparator(path[0]) && IsSeparator(path[1]);
    int cuts = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !IsSeparator(path[i]))
            continue;
        ++cuts;
        const std::wstring prefix = path.substr(0, i);
        // Neither a drive ("C:") nor the "\\server\share" part can be created.
        if (prefix.empty() || prefix.back() == L':' || (unc && cuts <= 4))
            continue;
        if (CreateDirectoryW(prefix.c_str(), nullptr))
            continue;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS)
            return error;
        if (!DirectoryExists(prefix))  // a file of that name is in the way
            return error;
    }
    return 0;
}

bool IsProtectedFolder(const std::wstring& path)
{
    const bool drivePath = path.size() >= 3 && path[1] == L':' && IsSeparator(path[2]);
    const bool uncPath = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
    if (!drivePath && !uncPath)
        return true;
    const std::wstring full = ComparableFolder(path);
    if (full.size() <= 2)  // unresolvable, or a drive root such as "c:"
        return true;
    if (full.compare(0, 2, L"\\\\") == 0) {
        // A UNC root ("\\server" or "\\server\share") has at most three separators.
        int separators = 0;
        for (wchar_t ch : full)
            separators += ch == L'\\';
        if (separators <= 3)
            return true;
    }
    const std::wstring folders[] = {
        WindowsDirectory(),
        SystemDirectory(),
        SystemFolder(GetSystemWow64DirectoryW),
        TempDirectory(),
    };
    for (const std::wstring& folder : folders)
        if (!folder.empty() && ComparableFolder(folder) == full)
            return true;
    // The shell's folders are asked for once per process: each question
    // costs milliseconds, and a tree removal asks at every folder it enters.
    static const std::wstring shellFolders[] = {
        ComparableFolder(ShellFolder(CSIDL_PROFILE)),           ComparableFolder(ShellFolder(CSIDL_PROGRAM_FILES)),
        ComparableFolder(ShellFolder(CSIDL_PROGRAM_FILESX86)), ComparableFolder(ShellFolder(CSIDL_PROGRAM_FILES_COMMON)),
    };
    for (const std::wstring& folder : shellFolders)
        if (!folder.empty() && folder == full)
            return true;
    return false;
}

uint32_t DeleteDirTree(const std::wstring& path, bool keepRoot)
{
    if (IsProtectedFolder(path))
        return ddRefused;
    uint32_t result = 0;
    // A link's target lies outside the tree: only the link itself goes.
    if (!IsDirectoryLink(GetFileAttributesW(path.c_str()))) {
        WIN32_FIND_DATAW data;
        TFindHandle list(FindFirstFileW((path + L"\\*.*").c_str(), &data));
        if (list) {
            do {
                const std::wstring child = path + L"\\" + data.cFileName;
                if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    if (!DeleteFileOrLink(child))
                        result |= ddFileNotDeleted;
                } else if (data.cFileName[0] != L'.') {
                    result |= DeleteDirTree(child, false);
                }
            } while (FindNextFileW(list.Get(), &data));
            if (!list.Reset())
                result |= ddListCloseFailed;
        }
    }
    if (keepRoot)
        return result;
    WIN32_FIND_DATAW data;
    TFindHandle self(FindFirstFileW(path.c_str(), &data));
    if (!self)
        return result | ddFolderNotFound;
    if (!RemoveDirectoryW(path.c_str()))
        result |= ddFolderNotRemoved;
    if (!self.Reset())
        result |= ddLookupCloseFailed;
    return result;
}

bool PathExists(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    TFindHandle find(FindFirstFileW(path.c_str(), &data));
    return find.Valid();
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteFileOrLink(const std::wstring& path)
{
    if (DeleteFileW(path.c_str()))
        return true;
    return IsDirectoryLink(GetFileAttributesW(path.c_str())) && RemoveDirectoryW(path.c_str());
}

TFileRead ReadWholeFile(const TFileHandle& file, std::string& content, uint64_t maxSize)
{
    content.clear();
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.Get(), &size))
        return TFileRead::Unreadable;
    if (static_cast<uint64_t>(size.QuadPart) > maxSize)
        return TFileRead::TooLarge;
    content.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!content.empty() &&
        (!ReadFile(file.Get(), &content[0], static_cast<DWORD>(content.size()), &read, nullptr) ||
         read != content.size())) {
        content.clear();
        return TFileRead::Unreadable;
    }
    return TFileRead::Read;
}

TFileRead ReadWholeFile(const std::wstring& path, std::string& content, uint64_t maxSize)
{
    const TFileHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return ReadWholeFile(file, content, maxSize);
}

bool GetFileProductVersion(const std::wstring& fileName, uint32_t& high, uint32_t& low)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &ignored);
    if (size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    if (!GetFileVersionInfoW(fileName.c_str(), 0, size, buffer.data()))
        return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(buffer.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return false;
    high = info->dwProductVersionMS;
    low = info->dwProductVersionLS;
    return true;
}

DWORD ExtractPayload(uint32_t resourceId, const std::wstring& fileName)
{
    const HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(resourceId), L"qzlib");
    if (!resource)
        return GetLastError();
    const DWORD size = SizeofResource(nullptr, resource);
    const HGLOBAL loaded = LoadResource(nullptr, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return GetLastError();
    TFileHandle file(
        CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes, size, &written, nullptr))
        return GetLastError();
    return written == size ? 0 : ERROR_WRITE_FAULT;
}
