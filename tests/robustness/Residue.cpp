#include "tests/robustness/Residue.h"

#include <windows.h>

#include <algorithm>

#include "support/Handles.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"
#include "tests/robustness/RobustEnv.h"

std::vector<std::wstring> DocumentedRemainder()
{
    const std::wstring ides = TRobustIdes::Root();
    const std::wstring system = GetKindDir(6);
    return {L"F " + system + L"\\qzl",
            L"F " + ides + L"\\IDE 1\\Help\\delphi3.gid",
            L"F " + ides + L"\\IDE 9\\Help\\d7.gid",
            L"F " + ides + L"\\IDE 9\\Help\\d7.als",
            L"K HKLM\\Software\\Microsoft\\Windows\\Help"};
}

std::vector<std::wstring> FolderNames(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    TFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!find)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(find.Get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

std::string Lines(const std::vector<std::wstring>& lines)
{
    std::string text;
    for (const std::wstring& line : lines)
        text += Narrow(line) + "\n";
    return text;
}
