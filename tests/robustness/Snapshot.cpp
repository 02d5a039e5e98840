#include "tests/robustness/Snapshot.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <utility>

#include "support/Handles.h"
#include "support/Utils.h"

namespace {

std::string Digest(uint64_t a, uint64_t b)
{
    char text[48];
    snprintf(text, sizeof text, "%llx:%llx", static_cast<unsigned long long>(a), static_cast<unsigned long long>(b));
    return text;
}

uint64_t Fnv(const void* data, size_t size, uint64_t hash = 14695981039346656037ull)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix)
{
    return text.size() >= prefix.size() &&
           CompareStringOrdinal(text.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

bool EndsWithNoCase(const std::wstring& text, const std::wstring& suffix)
{
    return text.size() >= suffix.size() &&
           CompareStringOrdinal(text.c_str() + text.size() - suffix.size(), static_cast<int>(suffix.size()),
                                suffix.c_str(), static_cast<int>(suffix.size()), TRUE) == CSTR_EQUAL;
}

// Values of earlier pictures by key: a key whose write time and value count
// are unchanged holds the same values (setting or deleting one updates it).
struct TCachedKey {
    uint64_t Written = 0;
    DWORD ValueCount = 0;
    std::vector<std::pair<std::wstring, std::string>> Values;
};
std::map<std::wstring, TCachedKey> KeyCache;

struct TKeyWalk {
    TSnapshot& Shot;
    std::vector<wchar_t> Name = std::vector<wchar_t>(16384);
    std::vector<uint8_t> Data = std::vector<uint8_t>(1 << 16);

    void Values(HKEY key, const std::wstring& path, TCachedKey& cached)
    {
        cached.Values.clear();
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = static_cast<DWORD>(Name.size());
            DWORD dataSize = static_cast<DWORD>(Data.size());
            DWORD type = 0;
            const LONG rc = RegEnumValueW(key, i, Name.data(), &nameSize, nullptr, &type, Data.data(), &dataSize);
            if (rc == ERROR_MORE_DATA) {
                Data.resize(Data.size() * 4);
                --i;
                continue;
            }
            if (rc != ERROR_SUCCESS)
                break;
            cached.Values.emplace_back(L"V " + path + L"|" + std::wstring(Name.data(), nameSize),
                                       Digest(type, Fnv(Data.data(), dataSize)));
        }
    }

    void Key(HKEY parent, const std::wstring& name, const std::wstring& path)
    {
        for (const wchar_t* skipped :
             {L"HKLM\\Software\\Wine", L"HKCU\\Software\\Wine", L"HKCU\\Software\\QzTest", L"HKLM\\Software\\Classes",
              L"HKLM\\Software\\Wow6432Node\\Classes",
              L"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards",
              L"HKLM\\Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards"})
            if (CompareStringOrdinal(path.c_str(), -1, skipped, -1, TRUE) == CSTR_EQUAL)
                return;
        HKEY raw = nullptr;
        if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) {
            Shot.Entries[L"K " + path] = "unreadable";
            return;
        }
        TRegKey key(raw);
        Shot.Entries[L"K " + path] = "";
        DWORD valueCount = 0;
        FILETIME written = {};
        const bool known = RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            &valueCount, nullptr, nullptr, nullptr, &written) == ERROR_SUCCESS;
        const uint64_t stamp = (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
        TCachedKey& cached = KeyCache[path];
        if (!known || stamp == 0 || cached.Written != stamp || cached.ValueCount != valueCount) {
            Values(key.Get(), path, cached);
            cached.Written = known ? stamp : 0;
            cached.ValueCount = valueCount;
        }
        for (const auto& value : cached.Values)
            Shot.Entries[value.first] = value.second;

        std::vector<std::wstring> subKeys;
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = static_cast<DWORD>(Name.size());
            if (RegEnumKeyExW(key.Get(), i, Name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            subKeys.emplace_back(Name.data(), nameSize);
        }
        for (const std::wstring& sub : subKeys)
            Key(key.Get(), sub, path + L"\\" + sub);
    }
};

std::string FileDigest(const std::wstring& path, uint64_t size)
{
    TFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return Digest(size, 0) + ":locked";
    uint64_t hash = 14695981039346656037ull;
    std::vector<uint8_t> buffer(1 << 16);
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read > 0)
        hash = Fnv(buffer.data(), read, hash);
    return Digest(size, hash);
}

// Hashes of earlier pictures: a file with the same size and write time is
// not read again (a rewrite changes the write time).
struct TCachedDigest {
    uint64_t Size;
    uint64_t Written;
    std::string Digest;
};
std::map<std::wstring, TCachedDigest> DigestCache;

std::string CachedDigest(const std::wstring& path, uint64_t size, uint64_t written)
{
    TCachedDigest& cached = DigestCache[path];
    if (cached.Digest.empty() || cached.Size != size || cached.Written != written)
        cached = {size, written, FileDigest(path, size)};
    return cached.Digest;
}

struct TFileWalk {
    std::wstring WindowsDir;
    std::wstring TempDir;
    std::wstring ExplorerCache;
    TSnapshot& Shot;

    bool Skipped(const std::wstring& path, const std::wstring& name) const
    {
        if (StartsWithNoCase(path, WindowsDir + L"\\")) {
            const std::wstring rest = path.substr(WindowsDir.size() + 1);
            if (StartsWithNoCase(rest, L"logs") || StartsWithNoCase(rest, L"temp") ||
                (rest.find(L'\\') == std::wstring::npos && EndsWithNoCase(rest, L".log")) ||
                (StartsWithNoCase(rest, L"inf\\") && EndsWithNoCase(rest, L".pnf")))
                return true;
        }
        if (CompareStringOrdinal(path.c_str(), -1, ExplorerCache.c_str(), -1, TRUE) == CSTR_EQUAL)
            return true;
        const size_t slash = path.find_last_of(L'\\');
        return CompareStringOrdinal(path.c_str(), static_cast<int>(slash), TempDir.c_str(),
                                    static_cast<int>(TempDir.size()), TRUE) == CSTR_EQUAL &&
               StartsWithNoCase(name, L"qz-");
    }

    bool OwnFile(const std::wstring& path) const
    {
        return CompareStringOrdinal(path.c_str(), -1, (WindowsDir + L"\\Orvane.ini").c_str(), -1, TRUE) ==
                   CSTR_EQUAL ||
               StartsWithNoCase(path, WindowsDir + L"\\system32\\qzl");
    }

    void Folder(const std::wstring& folder)
    {
        WIN32_FIND_DATAW found;
        TFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &found));
        if (!find)
            return;
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (Skipped(path, name))
                continue;
            const uint64_t size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                Shot.Entries[L"D " + path] = "";
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                    Folder(path);
            } else if (StartsWithNoCase(path, WindowsDir + L"\\") && !OwnFile(path)) {
                const uint64_t written = (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                                         found.ftLastWriteTime.dwLowDateTime;
                Shot.Entries[L"F " + path] = Digest(size, written);
            } else {
                const uint64_t written = (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                                         found.ftLastWriteTime.dwLowDateTime;
                Shot.Entries[L"F " + path] = CachedDigest(path, size, written);
            }
        } while (FindNextFileW(find.Get(), &found));
    }
};

std::wstring WithoutSlash(std::wstring path)
{
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return path;
}

}  // namespace

TSnapshot TakeSnapshot()
{
    TSnapshot shot;
    TKeyWalk keys{shot};
    keys.Key(HKEY_LOCAL_MACHINE, L"Software", L"HKLM\\Software");
    keys.Key(HKEY_CURRENT_USER, L"Software", L"HKCU\\Software");

    wchar_t buffer[MAX_PATH];
    GetWindowsDirectoryW(buffer, MAX_PATH);
    const std::wstring windows = WithoutSlash(buffer);
    GetTempPathW(MAX_PATH, buffer);
    const std::wstring temp = WithoutSlash(buffer);
    wchar_t profile[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LOCALAPPDATA", profile, MAX_PATH);
    TFileWalk walk{windows, temp, CombinePath(profile, L"Microsoft\\Windows\\Explorer"), shot};
    walk.Folder(windows.substr(0, 2));
    return shot;
}

std::vector<std::wstring> SnapshotDiff(const TSnapshot& before, const TSnapshot& after)
{
    std::vector<std::wstring> diff;
    for (const auto& entry : before.Entries) {
        const auto other = after.Entries.find(entry.first);
        if (other == after.Entries.end())
            diff.push_back(L"- " + entry.first);
        else if (other->second != entry.second)
            diff.push_back(L"~ " + entry.first);
    }
    for (const auto& entry : after.Entries)
        if (before.Entries.find(entry.first) == before.Entries.end())
            diff.push_back(L"+ " + entry.first);
    return diff;
}

std::vector<std::wstring> Unexpected(const std::vector<std::wstring>& diff, const std::vector<std::wstring>& allowed)
{
    std::vector<std::wstring> left;
    for (const std::wstring& line : diff) {
        bool ok = false;
        for (const std::wstring& prefix : allowed)
            ok = ok || StartsWithNoCase(line.substr(2), prefix);
        if (!ok)
            left.push_back(line);
    }
    return left;
}
