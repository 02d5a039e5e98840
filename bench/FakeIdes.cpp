// Fake installations of every IDE that has a row on the selection page, for
// the full-installation benchmark.
//   qzb_fakeides create|remove <base folder>
// create prints the catalogue entries it made, comma-separated.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "catalogue/Catalogue.h"
#include "tests/fakeide/FakeIde.h"

int wmain(int argc, wchar_t** argv)
{
    const bool create = argc == 3 && wcscmp(argv[1], L"create") == 0;
    if (!create && !(argc == 3 && wcscmp(argv[1], L"remove") == 0))
        return 2;
    const std::wstring base = argv[2];
    std::wstring entries;
    for (const TCustomizeItem& row : CustomizeList) {
        const TBorlandProduct* ide = row.IdeMask ? IdeByInternalId(row.IdeMask) : nullptr;
        if (!ide)
            continue;
        const int entry = static_cast<int>(ide - IdeCatalogue) + 1;
        const std::wstring root = base + L"\\IDE " + std::to_wstring(entry);
        if (!create)
            RemoveFakeIde(entry, root);
        else if (!CreateFakeIde(entry, root))
            return 1;
        entries += (entries.empty() ? L"" : L",") + std::to_wstring(entry);
    }
    if (create)
        wprintf(L"%ls\n", entries.c_str());
    return 0;
}
