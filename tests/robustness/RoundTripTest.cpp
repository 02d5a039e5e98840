// Installation and removal as a whole, judged by pictures of the prefix: a
// removal through the uninstall entry's own command line and one through
// Wine's uninstaller, a second installation over the first, and ten
// install/remove cycles.
#include <set>

#include "catalogue/Catalogue.h"
#include "support/Handles.h"
#include "support/Utils.h"
#include "tests/robustness/Residue.h"
#include "tests/robustness/RobustEnv.h"

namespace {

const wchar_t* const InstallDir = L"C:\\Program Files\\Orvane library";

// Every path list value below the chosen IDEs' keys: no entry twice.
void CheckNoDuplicateEntries(HKEY parent, const std::wstring& path)
{
    TRegKey key;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return;
    wchar_t name[512];
    for (DWORD i = 0;; ++i) {
        DWORD size = 512;
        if (RegEnumValueW(key.Get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::wstring value;
        if (!RegReadStr(parent, path, name, value))
            continue;
        std::set<std::wstring> seen;
        size_t begin = 0;
        while (begin <= value.size()) {
            size_t end = value.find(L';', begin);
            if (end == std::wstring::npos)
                end = value.size();
            const std::wstring entry = LowerCase(value.substr(begin, end - begin));
            CHECK_MESSAGE(seen.insert(entry).second, Narrow(path + L"|" + name + L": " + value));
            begin = end + 1;
        }
    }
    std::vector<std::wstring> subKeys;
    for (DWORD i = 0;; ++i) {
        DWORD size = 512;
        if (RegEnumKeyExW(key.Get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subKeys.emplace_back(name, size);
    }
    for (const std::wstring& sub : subKeys)
        CheckNoDuplicateEntries(parent, path + L"\\" + sub);
}

std::vector<std::wstring> UntwkCopies()
{
    std::wstring temp = GetKindDir(5);
    while (!temp.empty() && temp.back() == L'\\')
        temp.pop_back();
    std::vector<std::wstring> copies;
    for (const std::wstring& name : FolderNames(temp))
        if (name.rfind(L"untwk-", 0) == 0 && DirectoryExists(CombinePath(temp, name)))  // not untwk-error.txt
            copies.push_back(name);
    return copies;
}

// Wine's list of installed programs: "key|||DisplayName" lines.
std::string WineUninstallerList()
{
    const TRun list = RunCaptured(L"uninstaller.exe --list");
    CHECK(list.Exit == 0);
    return list.Output;
}

// A complete removal leaves the picture from before the installation but
// for the documented remainder, no untwk copy in the temporary folder, and
// nothing in Wine's list.
void CheckRemovedToRemainder(const TSnapshot& before)
{
    const std::vector<std::wstring> left = Unexpected(SnapshotDiff(before, TakeSnapshot()), DocumentedRemainder());
    CHECK_MESSAGE(left.empty(), Lines(left));
    CHECK_FALSE(PathExists(InstallDir));
    CHECK_MESSAGE(UntwkCopies().empty(), Lines(UntwkCopies()));
    CHECK(WineUninstallerList().find("qzlLib") == std::string::npos);
}

}  // namespace

TEST_SUITE("prefix")
{
TEST_CASE("install and remove through the uninstall entry: only the documented remainder is left")
{
    TRobustIdes ides;
    REQUIRE(ides.Made());
    ScrubInstallation(InstallDir);
    const TSnapshot before = TakeSnapshot();

    SUBCASE("one installation, removed by the entry's command line through untwk's dialog")
    {
        const TRun install = InstallInto(InstallDir);
        INFO(install.Output);
        REQUIRE(install.Exit == 0);
        REQUIRE(RunUninstaller(EntryValue(L"UninstallString"), InstallDir));
        CheckRemovedToRemainder(before);
    }

    SUBCASE("one installation, removed through Wine's uninstaller and untwk's dialog")
    {
        const TRun install = InstallInto(InstallDir);
        INFO(install.Output);
        REQUIRE(install.Exit == 0);
        REQUIRE(WineUninstallerList().find("qzlLib|||Tarnwick Orvane library v4.07") != std::string::npos);
        REQUIRE(RunUninstaller(L"uninstaller.exe --remove qzlLib", InstallDir));
        CheckRemovedToRemainder(before);
    }

    SUBCASE("ten install and remove cycles through untwk /SILENT leave what one leaves")
    {
        for (int cycle = 0; cycle < 10; ++cycle) {
            const TRun install = InstallInto(InstallDir);
            INFO("cycle " << cycle << ": " << install.Output);
            REQUIRE(install.Exit == 0);
            REQUIRE(RunQuietRemoval(EntryValue(L"UninstallString") + L" /SILENT", InstallDir) == 0);
        }
        CheckRemovedToRemainder(before);
    }
    ScrubInstallation(InstallDir);
}

TEST_CASE("a second installation over the first equals a single installation")
{
    TRobustIdes ides;
    REQUIRE(ides.Made());
    ScrubInstallation(InstallDir);
    const TRun first = InstallInto(InstallDir);
    REQUIRE(first.Exit == 0);
    const TSnapshot once = TakeSnapshot();
    const TRun second = InstallInto(InstallDir);
    INFO(second.Output);
    REQUIRE(second.Exit == 0);
    const std::vector<std::wstring> diff = SnapshotDiff(once, TakeSnapshot());
    CHECK_MESSAGE(diff.empty(), Lines(diff));
    for (int entry = 1; entry <= IdeCount; ++entry)
        if (IdeByIndex(entry)->InternalId & RobustVersions)
            CheckNoDuplicateEntries(HKEY_CURRENT_USER, IdeByIndex(entry)->RegKey);
    ScrubInstallation(InstallDir);
}
}
