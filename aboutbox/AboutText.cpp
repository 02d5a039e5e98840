#include "aboutbox/AboutText.h"

#include "catalogue/Product.h"
#include "support/Handles.h"
#include "support/Registry.h"

#include "aboutbox/IdeLabels.inc"

TProductValues ReadProductValues(HKEY root, const wchar_t* subKey)
{
    TProductValues values;
    values.HasVersion = RegReadStr(root, subKey, Product::ValVersion, values.Version);
    values.HasType = RegReadStr(root, subKey, Product::ValType, values.Type);
    values.HasRootDir = RegReadStr(root, subKey, Product::ValRootDir, values.RootDir);

    TRegKey key;
    if (RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE, key.Put()) == ERROR_SUCCESS) {
        DWORD data = 0;
        DWORD size = sizeof(data);
        // Any type will do as long as it is exactly four bytes.
        if (RegQueryValueExW(key.Get(), Product::ValInstallVersions, nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&data), &size) == ERROR_SUCCESS &&
            size == sizeof(data)) {
            values.HasInstallVersions = true;
            values.InstallVersions = data;
        }
    }
    return values;
}

std::wstring BuildProductText(const TProductValues& values)
{
    std::wstring text = std::wstring(Product::Name) + L"\r\n";
    if (values.HasVersion && values.HasType) {
        const std::wstring kind = values.Type.empty() ? std::wstring(L" version") : L" " + values.Type;
        text += kind + L" " + values.Version + L"\r\n";
    }
    if (values.HasRootDir)
        text += L" Install directory: " + values.RootDir + L"\r\n";
    if (values.HasInstallVersions) {
        std::wstring line = L" Install in: ";
        for (int bit = 0; bit < IdeLabelCount; ++bit) {
            if (values.InstallVersions & (1u << bit)) {
                line += IdeLabels[bit];
                line += L',';
            }
        }
        if (line.back() == L',')
            line.pop_back();
        text += line;
    }
    return text;
}

std::wstring BuildBrowserCommand(const std::wstring& command, const std::wstring& url)
{
    std::wstring target = url;
    for (wchar_t& c : target) {
        if (c == L'\\')
            c = L'/';
    }

    size_t first = 0;
    size_t last = command.size();
    while (first < last && command[first] <= L' ')
        ++first;
    while (last > first && command[last - 1] <= L' ')
        --last;
    std::wstring result = command.substr(first, last - first);

    // The placeholders are looked for in the command on both sides of "%1",
    // never inside the inserted URL: an escaped URL ("%20") would otherwise
    // lose characters.
    const size_t firstAt = result.find(L"%1");
    if (firstAt == std::wstring::npos)
        return result + L" \"" + target + L"\"";
    std::wstring before = result.substr(0, firstAt);
    std::wstring after = result.substr(firstAt + 2);
    for (wchar_t digit = L'2'; digit <= L'9'; ++digit) {
        const wchar_t placeholder[] = {L'%', digit, L'\0'};
        const size_t inBefore = before.find(placeholder);
        if (inBefore != std::wstring::npos) {
            before.erase(inBefore, 2);
            continue;
        }
        const size_t inAfter = after.find(placeholder);
        if (inAfter == std::wstring::npos)
            break;
        after.erase(inAfter, 2);
    }
    return before + target + after;
}
