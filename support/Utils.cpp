#include "support/Utils.h"

#include <shlobj.h>

#include <vector>

#include "support/Handles.h"
#include "support/SharedState.h"

namespace {

DWORD QueryPlatformId()
{
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExW(&info) ? info.dwPlatformId : 0;
}

// Access for keys whose sub-keys get deleted: read, set value, create sub-key.
constexpr REGSAM KeyTreeAccess = 0x2001F;

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

DWORD PlatformId = QueryPlatformId();

// ---- Text helpers ----------------------------------------------------------

int SubTextPos(const std::wstring& text, const std::wstring& pattern)
{
    if (text.empty() || pattern.empty())
        return 0;
    const size_t at = text.find(pattern);
    return at == std::wstring::npos ? 0 : static_cast<int>(at) + 1;
}

int SubTextPosA(const std::string& text, const std::string& pattern)
{
    if (text.empty() || pattern.empty())
        return 0;
    const size_t at = text.find(pattern);
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

int LastCharPos(const std::wstring& text, wchar_t ch)
{
    const size_t at = text.rfind(ch);
    return at == std::wstring::npos ? 0 : static_cast<int>(at) + 1;
}

std::wstring LowerCase(const std::wstring& text)
{
    std::wstring out = text;
    if (!out.empty())
        CharLowerBuffW(&out[0], static_cast<DWORD>(out.size()));
    return out;
}

std::string LowerCaseA(const std::string& text)
{
    std::string out = text;
    if (!out.empty())
        CharLowerBuffA(&out[0], static_cast<DWORD>(out.size()));
    return out;
}

namespace {

std::string FromWide(UINT codePage, const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring ToWide(UINT codePage, const char* data, size_t size)
{
    if (size == 0)
        return {};
    const int n = MultiByteToWideChar(codePage, 0, data, static_cast<int>(size), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, data, static_cast<int>(size), &out[0], n);
    return out;
}

}  // namespace

std::string WideToUtf8(const std::wstring& text) { return FromWide(CP_UTF8, text); }
std::wstring Utf8ToWide(const char* data, size_t size) { return ToWide(CP_UTF8, data, size); }
std::string WideToAnsi(const std::wstring& text) { return FromWide(CP_ACP, text); }
std::wstring AnsiToWide(const char* data, size_t size) { return ToWide(CP_ACP, data, size); }

std::wstring SysErrorMessage(DWORD code)
{
    TLocalMem buffer;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<LPWSTR>(buffer.Put()), 0, nullptr);
    if (n == 0 || !buffer)
        return L"";
    std::wstring text(static_cast<const wchar_t*>(buffer.Get()), n);
    while (!text.empty() && (text.back() <= L' ' || text.back() == L'.'))
        text.pop_back();
    return text;
}

// ---- Paths and folders -----------------------------------------------------

std::wstring GetKindDir(uint32_t kind)
{
    const std::wstring& root = Shared.CurrentProductRoot;
    switch (kind) {
    case 1:
        return SystemFolder(GetWindowsDirectoryW);
    case 2:
        return root;
    case 3:
        return Shared.InstallDir;
    case 4:
        // Without a RootDir this would name "\Help\" on the current drive.
        return root.empty() ? L"" : root + L"\\Help\\";
    case 5:
        return SystemFolder(TempFolderCall);
    case 6:
        return SystemFolder(GetSystemDirectoryW);
    default:
        return L"";
    }
}

std::wstring GetInstallSubDir(uint8_t kind)
{
    switch (kind & 0x7F) {
    case 0:
        return Shared.InstallDir;
    case 1:
        return CombinePath(Shared.InstallDir, L"Source");
    case 2:
        return CombinePath(Shared.InstallDir, Shared.CurrentProductFolder);
    case 3:
        return CombinePath(Shared.InstallDir, Shared.CurrentProductFolder + L"\\Win32");
    case 4:
        return CombinePath(Shared.InstallDir, Shared.CurrentProductFolder + L"\\Win64");
    default:
        return L"";
    }
}

std::wstring CombinePath(const std::wstring& base, const std::wstring& relative)
{
    if (base.empty())
        return relative;
    if (base.back() == L'\\' || relative.empty() || relative.front() == L'\\')
        return base + relative;
    return base + L"\\" + relative;
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
        SystemFolder(GetWindowsDirectoryW),     SystemFolder(GetSystemDirectoryW),
        SystemFolder(GetSystemWow64DirectoryW), SystemFolder(TempFolderCall),
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

// ---- Processes ---------------------------------------------------------------

std::wstring QuotePath(const std::wstring& path)
{
    const bool quoted = path.size() >= 2 && path.front() == L'"' && path.back() == L'"';
    if (quoted || path.find_first_of(L" \t") == std::wstring::npos)
        return path;
    return L"\"" + path + L"\"";
}

DWORD RunAndWait(const std::wstring& program, const std::wstring& parameters)
{
    std::wstring commandLine = parameters.empty() ? program : program + L" " + parameters;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION raw = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &raw))
        return GetLastError();
    TProcessInfo process;
    process.Take(raw);
    WaitForSingleObject(process.Process.Get(), INFINITE);
    return 0;
}

// ---- Registry ----------------------------------------------------------------

bool RegCreateKeyPath(HKEY root, const std::wstring& path)
{
    TRegKey key;
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr) ==
           ERROR_SUCCESS;
}

bool RegRemoveValue(HKEY root, const std::wstring& path, const std::wstring& name)
{
    TRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_WRITE, key.Put()) != ERROR_SUCCESS)
        return false;
    return RegDeleteValueW(key.Get(), name.c_str()) == ERROR_SUCCESS;
}

bool RegReadStr(HKEY root, const std::wstring& path, const std::wstring& name, std::wstring& text)
{
    text.clear();
    TRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    std::wstring value(size / 2 + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value[0]), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    // A value stored without its terminating NUL keeps all its characters.
    value.resize(size / 2);
    if (!value.empty() && value.back() == L'\0')
        value.pop_back();
    text = value;
    return true;
}

bool RegReadInt(HKEY root, const std::wstring& path, const std::wstring& name, uint32_t& value)
{
    value = 0;
    TRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return false;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) !=
        ERROR_SUCCESS)
        return false;
    value = data;
    return true;
}

bool RegWriteStr(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text)
{
    TRegKey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytes) == ERROR_SUCCESS;
}

bool RegWriteInt(HKEY root, const std::wstring& path, const std::wstring& name, uint32_t value)
{
    TRegKey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    const DWORD data = value;
    return RegSetValueExW(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

void RegDeleteSubKeys(HKEY key)
{
    DWORD count = 0;
    DWORD longest = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS ||
        count == 0)
        return;
    std::vector<wchar_t> name(longest + 1);
    // Downwards, so the indices still to visit stay valid as keys go.
    for (DWORD index = count; index-- > 0;) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        TRegKey sub;
        if (RegOpenKeyExW(key, name.data(), 0, KeyTreeAccess, sub.Put()) != ERROR_SUCCESS)
            continue;
        if (PlatformId == VER_PLATFORM_WIN32_NT)  // NT deletes only empty keys
            RegDeleteSubKeys(sub.Get());
        sub.Reset();
        RegDeleteKeyW(key, name.data());
    }
}

bool RegDeleteKeyTree(HKEY root, const std::wstring& path)
{
    std::wstring work = path;
    while (!work.empty() && work.back() == L'\\')
        work.pop_back();
    // An empty path would open the root itself and empty it.
    if (work.empty())
        return false;
    {
        TRegKey key;
        if (RegOpenKeyExW(root, work.c_str(), 0, KeyTreeAccess, key.Put()) != ERROR_SUCCESS)
            return false;
        RegDeleteSubKeys(key.Get());
    }
    for (;;) {
        const int p = LastCharPos(work, L'\\');
        if (p == 0)  // the top-level component under the root always stays
            break;
        const std::wstring parentPath = work.substr(0, static_cast<size_t>(p - 1));
        TRegKey parent;
        if (RegOpenKeyExW(root, parentPath.c_str(), 0, KeyTreeAccess, parent.Put()) != ERROR_SUCCESS)
            break;
        DWORD subKeys = 0;
        DWORD values = 0;
        if (RegQueryInfoKeyW(parent.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        RegDeleteKeyW(parent.Get(), work.c_str() + p);
        if (values > 0 || subKeys > 1)
            break;
        work = parentPath;
    }
    return true;
}

HKEY RootKeyFromCode(uint32_t code)
{
    if (code < 0x80000000u || code > 0x80000005u)
        return nullptr;
    // Predefined handles are sign-extended 32-bit values.
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(code)));
}
