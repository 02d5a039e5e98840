// The pictures keep digests of earlier ones: a change the caches would hide
// would let every test that compares pictures pass on a broken prefix.
#include "support/Utils.h"
#include "tests/common/TestEnv.h"
#include "tests/robustness/Residue.h"
#include "tests/robustness/Snapshot.h"

TEST_SUITE("faults")
{
TEST_CASE("a picture sees values and files rewritten in place")
{
    const std::wstring key = L"Software\\qz-robust-probe";
    const std::wstring file = L"C:\\qz-robust-probe.txt";
    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, key, L"Value", L"first"));
    REQUIRE(WriteFileBytes(file, "first"));
    const TSnapshot before = TakeSnapshot();

    REQUIRE(RegWriteStr(HKEY_CURRENT_USER, key, L"Value", L"other"));
    REQUIRE(WriteFileBytes(file, "other"));
    const std::vector<std::wstring> diff = SnapshotDiff(before, TakeSnapshot());
    const std::vector<std::wstring> expected = {L"~ F " + file, L"~ V HKCU\\" + key + L"|Value"};
    CHECK_MESSAGE(diff == expected, Lines(diff));

    RegDeleteKeyTree(HKEY_CURRENT_USER, key);
    DeleteFileW(file.c_str());
}
}
