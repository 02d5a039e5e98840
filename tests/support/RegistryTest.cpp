#include "support/Handles.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"

namespace {

// Type and byte size of a value below HKCU; type 0 when it is missing.
std::pair<DWORD, DWORD> TypeAndSize(const std::wstring& path, const wchar_t* name)
{
    DWORD type = 0;
    DWORD size = 0;
    TRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS)
        RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size);
    return {type, size};
}

bool UserKey(const std::wstring& path) { return RegKeyExists(HKEY_CURRENT_USER, path); }

}  // namespace

TEST_CASE("string and integer values are written and read back")
{
    TScratchKey scratch(L"regvalues");
    const std::wstring path = scratch.Path() + L"\\a\\b";
    std::wstring text;

    SUBCASE("RegWriteStr stores REG_SZ with one terminating NUL")
    {
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, path, L"s", L"C:\\IDE"));
        CHECK(TypeAndSize(path, L"s") == std::make_pair(DWORD(REG_SZ), DWORD(14)));
        CHECK(RegReadStr(HKEY_CURRENT_USER, path, L"s", text));
        CHECK(text == L"C:\\IDE");
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, path, L"empty", L""));
        CHECK(TypeAndSize(path, L"empty").second == 2);
        CHECK(RegReadStr(HKEY_CURRENT_USER, path, L"empty", text));
        CHECK(text.empty());
    }
    SUBCASE("RegReadStr refuses other types and empties its output")
    {
        const DWORD number = 5;
        REQUIRE(SetRegValue(HKEY_CURRENT_USER, path, L"dword", REG_DWORD, &number, sizeof number));
        REQUIRE(SetRegText(HKEY_CURRENT_USER, path, L"expand", L"%TEMP%", REG_EXPAND_SZ));
        for (const wchar_t* name : {L"dword", L"expand", L"missing"}) {
            CAPTURE(Narrow(name));
            text = L"old";
            CHECK_FALSE(RegReadStr(HKEY_CURRENT_USER, path, name, text));
            CHECK(text.empty());
        }
        text = L"old";
        CHECK_FALSE(RegReadStr(HKEY_CURRENT_USER, scratch.Path() + L"\\none", L"s", text));
        CHECK(text.empty());
    }
    SUBCASE("RegReadStr keeps the last character of a value stored without NUL")
    {
        const wchar_t bare[] = {L'a', L'b', L'c'};
        REQUIRE(SetRegValue(HKEY_CURRENT_USER, path, L"bare", REG_SZ, bare, sizeof bare));
        CHECK(RegReadStr(HKEY_CURRENT_USER, path, L"bare", text));
        CHECK(text == L"abc");
        REQUIRE(SetRegValue(HKEY_CURRENT_USER, path, L"zero", REG_SZ, bare, 0));
        CHECK(RegReadStr(HKEY_CURRENT_USER, path, L"zero", text));
        CHECK(text.empty());
    }
    SUBCASE("integers: REG_DWORD written, up to four bytes of anything read")
    {
        REQUIRE(RegWriteInt(HKEY_CURRENT_USER, path, L"i", 0xDEADBEEFu));
        CHECK(TypeAndSize(path, L"i") == std::make_pair(DWORD(REG_DWORD), DWORD(4)));
        uint32_t value = 0;
        CHECK(RegReadInt(HKEY_CURRENT_USER, path, L"i", value));
        CHECK(value == 0xDEADBEEFu);

        const unsigned char bytes[8] = {0x34, 0x12, 3, 4, 5, 6, 7, 8};
        REQUIRE(SetRegValue(HKEY_CURRENT_USER, path, L"two", REG_BINARY, bytes, 2));
        CHECK(RegReadInt(HKEY_CURRENT_USER, path, L"two", value));
        CHECK(value == 0x1234u);
        REQUIRE(SetRegValue(HKEY_CURRENT_USER, path, L"eight", REG_BINARY, bytes, 8));
        for (const wchar_t* name : {L"eight", L"missing"}) {
            value = 7;
            CHECK_FALSE(RegReadInt(HKEY_CURRENT_USER, path, name, value));
            CHECK(value == 0);
        }
    }
    SUBCASE("RegCreateKeyPath and RegRemoveValue")
    {
        CHECK(RegCreateKeyPath(HKEY_CURRENT_USER, path + L"\\c\\d"));
        CHECK(UserKey(path + L"\\c\\d"));
        CHECK(RegCreateKeyPath(HKEY_CURRENT_USER, path + L"\\c\\d"));
        REQUIRE(RegWriteInt(HKEY_CURRENT_USER, path, L"v", 1));
        CHECK(RegRemoveValue(HKEY_CURRENT_USER, path, L"v"));
        CHECK(TypeAndSize(path, L"v").first == 0);
        CHECK_FALSE(RegRemoveValue(HKEY_CURRENT_USER, path, L"v"));
        CHECK_FALSE(RegRemoveValue(HKEY_CURRENT_USER, scratch.Path() + L"\\none", L"v"));
        CHECK_FALSE(UserKey(scratch.Path() + L"\\none"));
    }
}

TEST_CASE("RegDeleteKeyTree deletes a branch and prunes emptied ancestors")
{
    TScratchKey scratch(L"prune");
    const std::wstring base = scratch.Path();
    REQUIRE(RegWriteInt(HKEY_CURRENT_USER, base, L"keepsBase", 1));  // pruning stops here

    // Empty ancestors go up to the first one holding something.
    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, base + L"\\A\\B\\C\\D\\E", L"deep", L"x"));
    REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, base + L"\\A\\B\\C\\F"));
    CHECK(RegDeleteKeyTree(HKEY_CURRENT_USER, base + L"\\A\\B\\C"));
    CHECK_FALSE(UserKey(base + L"\\A"));
    CHECK(UserKey(base));

    // A value or a sibling in B stops pruning; a trailing separator is fine.
    REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, base + L"\\A\\B\\C"));
    REQUIRE(RegWriteInt(HKEY_CURRENT_USER, base + L"\\A\\B", L"v", 1));
    CHECK(RegDeleteKeyTree(HKEY_CURRENT_USER, base + L"\\A\\B\\C"));
    CHECK_FALSE(UserKey(base + L"\\A\\B\\C"));
    CHECK(UserKey(base + L"\\A\\B"));
    REQUIRE(RegRemoveValue(HKEY_CURRENT_USER, base + L"\\A\\B", L"v"));
    REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, base + L"\\A\\B\\C"));
    REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, base + L"\\A\\B\\Sibling"));
    CHECK(RegDeleteKeyTree(HKEY_CURRENT_USER, base + L"\\A\\B\\C\\"));
    CHECK_FALSE(UserKey(base + L"\\A\\B\\C"));
    CHECK(UserKey(base + L"\\A\\B\\Sibling"));

    // A missing key, or an empty path below an open root, changes nothing.
    CHECK_FALSE(RegDeleteKeyTree(HKEY_CURRENT_USER, base + L"\\A\\B\\C"));
    TRegKey root;
    REQUIRE(RegOpenKeyExW(HKEY_CURRENT_USER, base.c_str(), 0, KEY_ALL_ACCESS, root.Put()) == ERROR_SUCCESS);
    CHECK_FALSE(RegDeleteKeyTree(root.Get(), L""));
    CHECK_FALSE(RegDeleteKeyTree(root.Get(), L"\\"));
    CHECK(UserKey(base + L"\\A\\B\\Sibling"));
}

TEST_CASE("RegDeleteKeyTree never deletes the top-level key under the root")
{
    const std::wstring top = L"QzTestTopLevel";
    RegDeleteTreeW(HKEY_CURRENT_USER, top.c_str());
    REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, top + L"\\A\\B\\C"));
    CHECK(RegDeleteKeyTree(HKEY_CURRENT_USER, top + L"\\A\\B\\C"));
    CHECK_FALSE(UserKey(top + L"\\A"));
    CHECK(UserKey(top));

    // A single component keeps the key and loses what is below it.
    REQUIRE(RegCreateKeyPath(HKEY_CURRENT_USER, top + L"\\X\\Y"));
    CHECK(RegDeleteKeyTree(HKEY_CURRENT_USER, top));
    CHECK(UserKey(top));
    CHECK_FALSE(UserKey(top + L"\\X"));
    CHECK(RegDeleteKeyW(HKEY_CURRENT_USER, top.c_str()) == ERROR_SUCCESS);
}

TEST_CASE("RegDeleteSubKeys empties an open key and leaves its values")
{
    TScratchKey scratch(L"subkeys");
    for (const wchar_t* sub : {L"\\k1\\x\\y", L"\\k2", L""})
        REQUIRE(RegWriteStr(HKEY_CURRENT_USER, scratch.Path() + sub, L"v", L"x"));
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
