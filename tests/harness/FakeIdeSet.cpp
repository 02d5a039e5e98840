#include "tests/harness/FakeIdeSet.h"

#include <windows.h>

#include "catalogue/Catalogue.h"
#include "support/Utils.h"
#include "tests/fakeide/FakeIde.h"

std::wstring FakeIdeFolder(const std::wstring& root, int entry)
{
    return CombinePath(root, L"IDE " + std::to_wstring(entry));
}

bool MakeFakeIdes(uint32_t versions, const std::wstring& root, bool with64)
{
    TFakeIdeOptions options;
    options.With64 = with64;
    for (int entry = 1; entry <= IdeCount; ++entry)
        if ((IdeByIndex(entry)->InternalId & versions) != 0 &&
            !CreateFakeIde(entry, FakeIdeFolder(root, entry), options))
            return false;
    return true;
}

void RemoveFakeIdes(uint32_t versions, const std::wstring& root)
{
    for (int entry = 1; entry <= IdeCount; ++entry)
        if ((IdeByIndex(entry)->InternalId & versions) != 0)
            RemoveFakeIde(entry, FakeIdeFolder(root, entry));
    RemoveDirectoryW(root.c_str());
}
