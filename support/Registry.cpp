#include "support/Registry.h"

#include <vector>

#include "support/Files.h"
#include "support/Handles.h"

namespace {

DWORD QueryPlatformId()
{
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExW(&info) ? info.dwPlatformId : 0;
}

// Access for keys whose sub-keys get deleted: read, set value, create sub-key.
constexpr REGSAM KeyTreeAccess = 0x2001F;

}  // namespace

DWORD PlatformId = QueryPlatformId();

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
        const TPathParts parts = SplitPath(work);
        if (parts.Folder.empty())  // the top-level component under the root always stays
            break;
        const std::wstring& parentPath = parts.Folder;
        TRegKey parent;
        if (RegOpenKeyExW(root, parentPath.c_str(), 0, KeyTreeAccess, parent.Put()) != ERROR_SUCCESS)
            break;
        DWORD subKeys = 0;
        DWORD values = 0;
        if (RegQueryInfoKeyW(parent.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        RegDeleteKeyW(parent.Get(), parts.Name.c_str());
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
