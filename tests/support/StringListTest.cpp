#include "support/StringList.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"

#include <vector>

namespace {

using TLines = std::vector<std::wstring>;

TLines Entries(const TtwkStringList& list)
{
    TLines out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.Get(i));
    return out;
}

TLines LoadBytes(const TScratchDir& dir, const std::string& bytes)
{
    REQUIRE(WriteFileBytes(dir / L"in.txt", bytes));
    TtwkStringList list;
    list.LoadFromFile(dir / L"in.txt");
    return Entries(list);
}

}  // namespace

TEST_CASE("LoadFromFile splits at CR LF, LF and CR and keeps the file's order")
{
    TScratchDir dir(L"slload");
    CHECK(LoadBytes(dir, "a\r\nb\nc\rd") == TLines{L"a", L"b", L"c", L"d"});
    CHECK(LoadBytes(dir, "a\n\rb") == TLines{L"a", L"", L"b"});
    CHECK(LoadBytes(dir, "a\r\n\r\nb\r\n") == TLines{L"a", L"", L"b"});
    CHECK(LoadBytes(dir, std::string("a\nb\0c\n", 6)) == TLines{L"a", L"b"});
    CHECK(LoadBytes(dir, "\n") == TLines{L""});
    CHECK(LoadBytes(dir, "").empty());

    // Unsorted as loaded: the bisection cannot find "a".
    TtwkStringList list;
    REQUIRE(WriteFileBytes(dir / L"in.txt", "c\nb\na\n"));
    list.LoadFromFile(dir / L"in.txt");
    CHECK(Entries(list) == TLines{L"c", L"b", L"a"});
    CHECK(list.IndexOf(L"a") == -1);
    list.LoadFromFile(dir / L"missing.txt");
    CHECK(list.Count() == 0);
    CHECK(list.Capacity() == 0);
}

TEST_CASE("Add keeps the list sorted; Find lands on the first equal entry only under dupAccept")
{
    TtwkStringList list;
    CHECK(list.Add(L"c") == 0);
    CHECK(list.Add(L"a") == 0);
    CHECK(list.Add(L"b") == 1);
    for (int i = 0; i < 2; ++i)
        list.Add(L"b");
    CHECK(Entries(list) == TLines{L"a", L"b", L"b", L"b", L"c"});

    int index = -1;
    CHECK_FALSE(list.Find(L"bb", index));
    CHECK(index == 4);
    CHECK(list.IndexOf(L"A") == -1);  // case counts
    CHECK(list.IndexOf(L"c") == 4);
    CHECK(list.Get(-1).empty());
    CHECK(list.Get(5).empty());
    CHECK(CompareListStrings(L"a", L"b") == -1);
    CHECK(CompareListStrings(L"b", L"b") == 0);
    CHECK(CompareListStrings(L"b", L"a") == 1);

    CHECK(list.Duplicates() == dupIgnore);
    CHECK(list.Find(L"b", index));
    CHECK(index == 2);
    list.SetDuplicates(dupAccept);
    CHECK(list.Find(L"b", index));
    CHECK(index == 1);
    CHECK(list.Add(L"b") == 1);
}

TEST_CASE("Insert ignores bad positions; capacity grows in steps of 1024")
{
    TtwkStringList list;
    list.Insert(0, L"x");
    list.Insert(1, L"z");
    list.Insert(1, L"y");
    list.Insert(5, L"bad");
    list.Insert(-1, L"bad");
    CHECK(Entries(list) == TLines{L"x", L"y", L"z"});

    list.Clear();
    CHECK(list.Capacity() == 0);
    for (int i = 0; i < 1024; ++i)
        list.Insert(list.Count(), L"e" + std::to_wstring(i));
    CHECK(list.Capacity() == 1024);
    list.Add(L"last");
    CHECK(list.Count() == 1025);
    CHECK(list.Capacity() == 2048);
    CHECK(list.Get(1023) == L"e1023");

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
    list.SaveToFileA(dir / L"empty.txt");
    CHECK(FileExists(dir / L"empty.txt"));
    CHECK(ReadFileBytes(dir / L"empty.txt").empty());

    list.Add(L"b");
    list.Add(L"\u00E9");
    list.Add(L"a");
    list.SaveToFileA(dir / L"no\\a.txt");
    CHECK_FALSE(PathExists(dir / L"no"));
    list.SaveToFile(dir / L"w.txt");
    CHECK(ReadFileBytes(dir / L"w.txt") == std::string("a\0\r\0\n\0b\0\r\0\n\0\xE9\0\r\0\n\0", 18));

    // Entries longer than the save buffer are written whole, in both widths.
    list.Clear();
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
    CHECK(ReadUtf16File(dir / L"w.txt") == std::wstring(expected.begin(), expected.end()));
    TtwkStringList back;
    back.LoadFromFile(dir / L"a.txt");
    CHECK(Entries(back) == Entries(list));
}
