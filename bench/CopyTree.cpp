// The extract baseline: copies a folder tree with CreateDirectoryW and
// CopyFileW, nothing more.  qzb_copytree <source> <destination>
#include <windows.h>

#include <string>

namespace {

bool CopyTree(const std::wstring& source, const std::wstring& target)
{
    if (!CreateDirectoryW(target.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((source + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(source + L"\\" + name, target + L"\\" + name) && ok;
        else
            ok = CopyFileW((source + L"\\" + name).c_str(), (target + L"\\" + name).c_str(), FALSE) && ok;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 2;
    return CopyTree(argv[1], argv[2]) ? 0 : 1;
}
