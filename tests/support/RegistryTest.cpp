#include "support/Handles.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"

namespace {

bool KeyExists(HKEY root, const std::wstring& path)
{
    TRegKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

bool SetRaw(const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    TRegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool QueryRaw(const std::wstring& path, const wchar_t* name, DWORD& type, DWORD& size)
{
    TRegKey key;
    return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS &&
           RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
}

}  // namespace

TEST_CASE("string and integer values are written and read back")
{
    TScratchKey scratch(L"regvalues");
    const std::wstring path = scratch.Path() + L"\\a\\b";
    DWORD type = 0;
    DWORD size = 0;

    SUBCASE("RegWriteStr stores REG_SZ with one terminating NUL")
    {
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, path, L"s", L"C:\\IDE"));
        REQUIRE(QueryRaw(path, L"s", type, size));
        CHECK(type == REG_SZ);
        CHECK(size == 14);
        std::wstring text;
        CHECK(RegReadStr(HKEY_CURRENT_USER, path, L"s", text));
        CHECK(text == L"C:\\IDE");

        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, path, L"empty", L""));
        REQUIRE(QueryRaw(path, L"empty", type, size));
        CHECK(size == 2);
        text = L"old";
        CHECK(RegReadStr(HKEY_CURRENT_USER, path, L"empty", text));
        CHECK(text.empty());
    }
    SUBCASE("RegReadStr refuses other types and empties its output")
    {
        const DWORD number = 5;
        REQUIRE(SetRaw(path, L"dword", REG_DWORD, &number, sizeof number));
        const wchar_t expand[] = L"%TEMP%";
        REQUIRE(SetRaw(path, L"expand", REG_EXPAND_SZ, expand, sizeof expand));
        for (const wchar_t* name : {L"dword", L"expand", L"missing"}) {
            CAPTURE(Narrow(name));
            std::wstring text = L"old";
            CHECK_FALSE(RegReadStr(HKEY_CURRENT_USER, path, name, text));
            CHECK(text.empty());
        }
        std::wstring text = L"old";
        CHECK_FALSE(RegReadStr(HKEY_CURRENT_USER, scratch.Path() + L"\\none", L"s", text));
        CHECK(text.empty());
    }
    SUBCASE("RegReadStr keeps the last character of a value stored without NUL")
    {
        const wchar_t bare[] = {L'a', L'b', L'c'};
        REQUIRE(SetRaw(path, L"bare", REG_SZ, bare, sizeof bare));
        std::wstring text;
        CHECK(RegReadStr(HKEY_CURRENT_USER, path, L"bare", text));
        CHECK(text == L"abc");
        REQUIRE(SetRaw(path, L"zero", REG_SZ, bare, 0));
        CHECK(RegReadStr(HKEY_CURRENT_USER, path, L"zero", text));
        CHECK(text.empty());
    }
    SUBCASE("integers: REG_DWORD written, up to four bytes of anything read")
    {
        REQUIRE(RegWriteInt(HKEY_CURRENT_USER, path, L"i", 0xDEADBEEFu));
        REQUIRE(QueryRaw(path, L"i", type, size));
        CHECK(type == REG_DWORD);
        CHECK(size == 4);
        uint32_t value = 0;
        CHECK(RegReadInt(HKEY_CURRENT_USER, path, L"i", value));
        CHECK(value == 0xDEADBEEFu);

        const unsigned char two[] = {0x34, 0x12};
        REQUIRE(SetRaw(path, L"two", REG_BINARY, two, sizeof two));
        CHECK(RegReadInt(HKEY_CURRENT_USER, path, L"two", value));
        CHECK(value == 0x1234u);

        const unsigned char eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        REQUIRE(SetRaw(path, L"eight", REG_BINARY, eight, sizeof eight));
        value = 7;
        CHECK_FALSE(RegReadInt(HKEY_CURRENT_USER, path, L"eight", value));
        CHECK(value == 0);
        value = 7;
        CHECK_FALSE(RegReadInt(HKEY_CURRENT_USER, path, L"missing", value));
        CHECK(value == 0);
    }
    SUBCASE("RegCreateKeyPath and RegRemoveValue")
    {
        CHECK(RegCreateKeyPath(HKEY_CURRENT_USER, path + L"\\c\\d"));
        CHECK(KeyExists(HKEY_CURRENT_USER, path + L"\\c\\d"));
        CHECK(RegCreateKeyPath(HKEY_CURRENT_USER, path + L"\\c\\d"));
        REQUIRE(RegWriteInt(HKEY_CURRENT_USER, path, L"v", 1));
        CHECK(RegRemoveValue(HKEY_CURRENT_USER, path, L"v"));
        CHECK_FALSE(QueryRaw(path, L"v", type, size));
        CHECK_FALSE(RegRemoveValue(HKEY_CURRENT_USER, path, L"v"));
        CHECK_FALSE(RegRemoveValue(HKEY_CURRENT_USER, scratch.Path() + L"\\none", L"v"));
        CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, scratch.Path() + L"\\none"));
    }
}

TEST_CASE("RegDeleteKeyTree deletes a branch and prunes emptied ancestors")
{
    TScratchKey scratch(L"prune");
    const std::wstring base = scratch.Path();
    REQUIRE(RegWriteInt(HKEY_CURRENT_USER, base, L"keepsBase", 1));  // pruning stops here

    SUBCASE("empty ancestors go up to the first one holding something")
    {
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, base + L"\\A\\B\\C\\D\\E", L"deep", L"x"));
        REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, base + L"\\A\\B\\C\\F"));
        CHECK(RegDeleteKeyTree(HKEY_CURRENT_USER, base + L"\\A\\B\\C"));
        CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, base + L"\\A"));
        CHECK(KeyExists(HKEY_CURRENT_USER, base));
    }
    SUBCASE("a value in B stops pruning")
    {
        REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, base + L"\\A\\B\\C"));
        REQUIRE(RegWriteInt(HKEY_CURRENT_USER, base + L"\\A\\B", L"v", 1));
        CHECK(RegDeleteKeyTree(HKEY_CURRENT_USER, base + L"\\A\\B\\C"));
        CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, base + L"\\A\\B\\C"));
        CHECK(KeyExists(HKEY_CURRENT_USER, base + L"\\A\\B"));
    }
    SUBCASE("a sibling in B stops pruning")
    {
        REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, base + L"\\A\\B\\C"));
        REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, base + L"\\A\\B\\Sibling"));
        CHECK(RegDeleteKeyTree(HKEY_CURRENT_USER, base + L"\\A\\B\\C\\"));
        CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, base + L"\\A\\B\\C"));
        CHECK(KeyExists(HKEY_CURRENT_USER, base + L"\\A\\B\\Sibling"));
    }
    SUBCASE("a missing key changes nothing")
    {
        REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, base + L"\\A\\B"));
        CHECK_FALSE(RegDeleteKeyTree(HKEY_CURRENT_USER, base + L"\\A\\B\\C"));
        CHECK(KeyExists(HKEY_CURRENT_USER, base + L"\\A\\B"));
    }
    SUBCASE("an empty path does not empty the root it is given")
    {
        REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, base + L"\\A\\B"));
        TRegKey root;
        REQUIRE(RegOpenKeyExW(HKEY_CURRENT_USER, base.c_str(), 0, KEY_ALL_ACCESS, root.Put()) == ERROR_SUCCESS);
        CHECK_FALSE(RegDeleteKeyTree(root.Get(), L""));
        CHECK_FALSE(RegDeleteKeyTree(root.Get(), L"\\"));
        CHECK(KeyExists(HKEY_CURRENT_USER, base + L"\\A\\B"));
    }
}

TEST_CASE("RegDeleteKeyTree never deletes the top-level key under the root")
{
    const std::wstring top = L"QzTestTopLevel";
    RegDeleteTreeW(HKEY_CURRENT_USER, top.c_str());
    REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, top + L"\\A\\B\\C"));
    CHECK(RegDeleteKeyTree(HKEY_CURRENT_USER, top + L"\\A\\B\\C"));
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, top + L"\\A"));
    CHECK(KeyExists(HKEY_CURRENT_USER, top));

    // A single component keeps the key and loses what is below it.
    REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, top + L"\\X\\Y"));
    CHECK(RegDeleteKeyTree(HKEY_CURRENT_USER, top));
    CHECK(KeyExists(HKEY_CURRENT_USER, top));
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, top + L"\\X"));
    CHECK(RegDeleteKeyW(HKEY_CURRENT_USER, top.c_str()) == ERROR_SUCCESS);
}

TEST_CASE("RegDeleteSubKeys empties an open key and leaves its values")
{
    TScratchKey scratch(L"subkeys");
    for (const wchar_t* sub : {L"\\k1\\x\\y", L"\\k2", L"\\k3\\z"})
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, scratch.Path() + sub, L"v", L"x"));
    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, scratch.Path(), L"own", L"x"));
    {
        TRegKey key;
        REQUIRE(RegOpenKeyExW(HKEY_CURRENT_USER, scratch.Path().c_str(), 0, 0x2001F, key.Put()) == ERROR_SUCCESS);
        RegDeleteSubKeys(key.Get());
        DWORD subKeys = 99;
        DWORD values = 0;
        REQUIRE(RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                                 nullptr, nullptr, nullptr) == ERROR_SUCCESS);
        CHECK(subKeys == 0);
        CHECK(values == 1);
    }
}
