#include "support/Text.h"

#include "support/Handles.h"

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

std::wstring CapitalFirst(std::wstring text)
{
    if (!text.empty() && text[0] >= L'a' && text[0] <= L'z')
        text[0] = static_cast<wchar_t>(text[0] - L'a' + L'A');
    return text;
}

namespace {

size_t FindListEntry(const std::wstring& list, const std::wstring& entry)
{
    const std::wstring lowList = LowerCase(list);
    const std::wstring lowEntry = LowerCase(entry);
    for (size_t at = lowList.find(lowEntry); at != std::wstring::npos; at = lowList.find(lowEntry, at + 1)) {
        const size_t end = at + lowEntry.size();
        if ((at == 0 || lowList[at - 1] == L';') && (end == lowList.size() || lowList[end] == L';'))
            return at;
    }
    return std::wstring::npos;
}

}  // namespace

bool AddListEntry(std::wstring& list, const std::wstring& entry)
{
    if (FindListEntry(list, entry) != std::wstring::npos)
        return false;
    if (!list.empty() && list.back() != L';')
        list += L';';
    list += entry;
    return true;
}

bool RemoveListEntry(std::wstring& list, const std::wstring& entry)
{
    const size_t at = FindListEntry(list, entry);
    if (at == std::wstring::npos)
        return false;
    if (at + entry.size() < list.size())
        list.erase(at, entry.size() + 1);  // the entry and its ";"
    else
        list.erase(at > 0 ? at - 1 : at);  // the last entry and the ";" before it
    return true;
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

DWORD LastErrorCode()
{
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

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
