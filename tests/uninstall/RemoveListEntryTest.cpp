#include "tests/uninstall/LogBuilder.h"

namespace {

std::wstring RemoveFrom(const TScratchKey& key, const std::wstring& list, const std::wstring& entry)
{
    RegWriteStr(HKEY_CURRENT_USER, key.Path(), L"Search Path", list);
    RemoveListEntry(HKEY_CURRENT_USER, key.Path(), L"Search Path", entry);
    std::wstring value;
    return RegReadStr(HKEY_CURRENT_USER, key.Path(), L"Search Path", value) ? value : L"<absent>";
}

}  // namespace

TEST_CASE("RemoveListEntry removes one whole entry of a path list")
{
    TScratchKey key(L"list");
    CHECK(RemoveFrom(key, L"C:\\A;C:\\B;C:\\C", L"c:\\b") == L"C:\\A;C:\\C");
    CHECK(RemoveFrom(key, L"C:\\A;C:\\B;C:\\C", L"C:\\C") == L"C:\\A;C:\\B");
    CHECK(RemoveFrom(key, L"C:\\A;C:\\B;C:\\C", L"C:\\A") == L"C:\\B;C:\\C");
    CHECK(RemoveFrom(key, L"C:\\A", L"C:\\A") == L"");
    // Only the first occurrence goes.
    CHECK(RemoveFrom(key, L"C:\\A;C:\\B;C:\\A", L"C:\\A") == L"C:\\B;C:\\A");

    SUBCASE("a longer entry that contains it stays")
    {
        CHECK(RemoveFrom(key, L"C:\\X\\Lib2;C:\\X\\Lib", L"C:\\X\\Lib") == L"C:\\X\\Lib2");
        CHECK(RemoveFrom(key, L"C:\\X\\Lib2;C:\\Y", L"C:\\X\\Lib") == L"C:\\X\\Lib2;C:\\Y");
        CHECK(RemoveFrom(key, L"D:\\C:\\X\\Lib;C:\\X\\Lib", L"C:\\X\\Lib") == L"D:\\C:\\X\\Lib");
    }

    SUBCASE("a missing value is not created")
    {
        RegRemoveValue(HKEY_CURRENT_USER, key.Path(), L"Other");
        CHECK_FALSE(RemoveListEntry(HKEY_CURRENT_USER, key.Path(), L"Other", L"C:\\A"));
        std::wstring value;
        CHECK_FALSE(RegReadStr(HKEY_CURRENT_USER, key.Path(), L"Other", value));
    }
}
