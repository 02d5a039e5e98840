#include "support/StringList.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"

#include <vector>

namespace {

std::vector<std::wstring> Entries(const TtwkStringList& list)
{
    std::vector<std::wstring> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.Get(i));
    return out;
}

std::vector<std::wstring> LoadBytes(const TScratchDir& dir, const std::string& bytes)
{
    const std::wstring file = dir / L"in.txt";
    REQUIRE(WriteFileBytes(file, bytes));
    TtwkStringList list;
    list.LoadFromFile(file);
    return Entries(list);
}

using TLines = std::vector<std::wstring>;

}  // namespace

TEST_CASE("LoadFromFile splits at CR LF, LF and CR and keeps the file's order")
{
    TScratchDir dir(L"slload");
    CHECK(LoadBytes(dir, "a\r\nb\nc\rd") == TLines{L"a", L"b", L"c", L"d"});
    CHECK(LoadBytes(dir, "a\n\rb") == TLines{L"a", L"", L"b"});
    CHECK(LoadBytes(dir, "a\r\n\r\nb\r\n") == TLines{L"a", L"", L"b"});
    CHECK(LoadBytes(dir, "z\ny\nx\n") == TLines{L"z", L"y", L"x"});
    CHECK(LoadBytes(dir, std::string("a\nb\0c\n", 6)) == TLines{L"a", L"b"});
    CHECK(LoadBytes(dir, "\n") == TLines{L""});
    CHECK(LoadBytes(dir, "").empty());

    TtwkStringList list;
    REQUIRE(WriteFileBytes(dir / L"in.txt", "a\nb"));
    list.LoadFromFile(dir / L"in.txt");
    REQUIRE(list.Count() == 2);
    list.LoadFromFile(dir / L"missing.txt");
    CHECK(list.Count() == 0);
    CHECK(list.Capacity() == 0);
}

TEST_CASE("Add keeps the list sorted and accepts duplicates")
{
    TtwkStringList list;
    CHECK(list.Add(L"c") == 0);
    CHECK(list.Add(L"a") == 0);
    CHECK(list.Add(L"b") == 1);
    CHECK(Entries(list) == TLines{L"a", L"b", L"c"});

    list.Add(L"b");
    CHECK(Entries(list) == TLines{L"a", L"b", L"b", L"c"});

    int index = -1;
    CHECK_FALSE(list.Find(L"bb", index));
    CHECK(index == 3);
    CHECK(list.IndexOf(L"bb") == -1);
    CHECK(list.IndexOf(L"A") == -1);  // case counts
    CHECK(list.IndexOf(L"c") == 3);
    CHECK(list.Get(-1).empty());
    CHECK(list.Get(4).empty());
    CHECK(CompareListStrings(L"a", L"b") == -1);
    CHECK(CompareListStrings(L"b", L"b") == 0);
    CHECK(CompareListStrings(L"b", L"a") == 1);
}

TEST_CASE("Find lands on the first equal entry only under dupAccept")
{
    TtwkStringList list;
    for (int i = 0; i < 3; ++i)
        list.Add(L"b");
    int index = -1;
    CHECK(list.Duplicates() == dupIgnore);
    CHECK(list.Find(L"b", index));
    CHECK(index == 1);
    list.SetDuplicates(dupAccept);
    index = -1;
    CHECK(list.Find(L"b", index));
    CHECK(index == 0);
    CHECK(list.Add(L"b") == 0);
    CHECK(list.Count() == 4);
}

TEST_CASE("an unsorted file defeats the bisection")
{
    TScratchDir dir(L"slunsorted");
    REQUIRE(WriteFileBytes(dir / L"in.txt", "c\nb\na\n"));
    TtwkStringList list;
    list.LoadFromFile(dir / L"in.txt");
    CHECK(list.Get(2) == L"a");
    CHECK(list.IndexOf(L"a") == -1);
}

TEST_CASE("Insert places entries and ignores bad positions")
{
    TtwkStringList list;
    list.Insert(0, L"x");
    list.Insert(1, L"z");
    list.Insert(1, L"y");
    list.Insert(5, L"bad");
    list.Insert(-1, L"bad");
    CHECK(Entries(list) == TLines{L"x", L"y", L"z"});
}

TEST_CASE("capacity grows in steps of 1024")
{
    TtwkStringList list;
    CHECK(list.Capacity() == 0);
    for (int i = 0; i < 1024; ++i)
        list.Insert(list.Count(), L"e" + std::to_wstring(i));
    CHECK(list.Capacity() == 1024);
    list.Add(L"last");
    CHECK(list.Count() == 1025);
    CHECK(list.Capacity() == 2048);
    CHECK(list.Get(1023) == L"e1023");
    list.Clear();
    CHECK(list.Count() == 0);
    CHECK(list.Capacity() == 0);

    TScratchDir dir(L"slgrow");
    REQUIRE(WriteFileBytes(dir / L"in.txt", std::string(1025 * 2, '\n')));
    list.LoadFromFile(dir / L"in.txt");
    CHECK(list.Count() == 2050);
    CHECK(list.Capacity() == 3072);
}

TEST_CASE("saving writes every entry with CR LF, byte for byte")
{
    TScratchDir dir(L"slsave");
    TtwkStringList list;

    SUBCASE("an empty list writes an empty file")
    {
        list.SaveToFileA(dir / L"a.txt");
        CHECK(FileExists(dir / L"a.txt"));
        CHECK(ReadFileBytes(dir / L"a.txt").empty());
    }
    SUBCASE("8-bit")
    {
        list.Add(L"b");
        list.Add(L"a");
        list.SaveToFileA(dir / L"a.txt");
        CHECK(ReadFileBytes(dir / L"a.txt") == "a\r\nb\r\n");
    }
    SUBCASE("UTF-16 without byte-order mark")
    {
        list.Add(L"a");
        list.Add(L"\u00E9");
        list.SaveToFile(dir / L"w.txt");
        CHECK(ReadFileBytes(dir / L"w.txt") == std::string("a\0\r\0\n\0\xE9\0\r\0\n\0", 12));
    }
    SUBCASE("entries longer than the save buffer are written whole")
    {
        std::string expected;
        const size_t lengths[] = {5, 8094, 8095, 20000, 3, 8096, 1};
        for (size_t i = 0; i < sizeof lengths / sizeof lengths[0]; ++i) {
            const std::string entry(lengths[i], static_cast<char>('a' + i));
            list.Insert(list.Count(), std::wstring(entry.begin(), entry.end()));
            expected += entry + "\r\n";
        }
        list.SaveToFileA(dir / L"a.txt");
        CHECK(ReadFileBytes(dir / L"a.txt") == expected);

        list.SaveToFile(dir / L"w.txt");
        const std::wstring wide = ReadUtf16File(dir / L"w.txt");
        CHECK(wide == std::wstring(expected.begin(), expected.end()));

        TtwkStringList back;
        back.LoadFromFile(dir / L"a.txt");
        CHECK(Entries(back) == Entries(list));
    }
    SUBCASE("a file that cannot be created is left alone")
    {
        list.Add(L"a");
        list.SaveToFileA(dir / L"no\\a.txt");
        CHECK_FALSE(PathExists(dir / L"no"));
    }
}
