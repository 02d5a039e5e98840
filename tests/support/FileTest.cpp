#include "support/Handles.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"

namespace {

constexpr uint32_t AllBytesPayload = 7001;  // SupportTest.rc

// The Unix path behind a Windows path, from Wine's kernel32 export.
std::wstring UnixPath(const std::wstring& path)
{
    using TGetUnixName = char*(CDECL*)(const wchar_t*);
    const auto getName = reinterpret_cast<TGetUnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = getName ? getName(path.c_str()) : nullptr;
    if (!name)
        return {};
    const std::wstring out = Utf8ToWide(name, strlen(name));
    HeapFree(GetProcessHeap(), 0, name);
    return out;
}

bool IsLink(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Wine's CreateSymbolicLinkW makes nothing, so the link is made with the Unix
// tool; a Unix child's handle is signalled before it ends, hence the wait.
bool UnixTool(const std::wstring& arguments, bool linkWanted, const std::wstring& link)
{
    RunProcess(L"Z:\\bin\\" + arguments);
    return WaitUntil([&] { return IsLink(link) == linkWanted; }, 2000);
}

}  // namespace

TEST_CASE("ForceDirectory creates every missing level")
{
    TScratchDir dir(L"force");
    CHECK(ForceDirectory(dir / L"a\\b\\c") == 0);
    CHECK(DirectoryExists(dir / L"a\\b\\c"));
    CHECK(ForceDirectory(dir.Path()) == 0);
    CHECK(ForceDirectory(dir / L"x\\y\\") == 0);
    CHECK(ForceDirectory(dir / L"f/g") == 0);
    CHECK(DirectoryExists(dir / L"f\\g"));
    // The drive part alone is never created.
    CHECK(ForceDirectory(L"C:") == 0);
    CHECK(ForceDirectory(L"C:\\") == 0);
    CHECK(ForceDirectory(L"Q:\\qz\\x") != 0);

    REQUIRE(WriteFileBytes(dir / L"file", "x"));
    CHECK(ForceDirectory(dir / L"file") == ERROR_ALREADY_EXISTS);
    CHECK(ForceDirectory(dir / L"file\\sub") != 0);
    CHECK_FALSE(DirectoryExists(dir / L"file\\sub"));
}

TEST_CASE("DeleteDirTree removes a tree and reports what stayed")
{
    TScratchDir dir(L"deltree");
    const std::wstring tree = dir / L"tree";
    REQUIRE(ForceDirectory(tree + L"\\sub\\deeper") == 0);
    REQUIRE(WriteFileBytes(tree + L"\\a.txt", "a"));
    REQUIRE(WriteFileBytes(tree + L"\\sub\\deeper\\c.txt", "c"));

    SUBCASE("whole tree, and a missing one")
    {
        CHECK(DeleteDirTree(tree, false) == 0);
        CHECK_FALSE(PathExists(tree));
        CHECK(DeleteDirTree(tree, false) == ddFolderNotFound);
        CHECK(DeleteDirTree(tree, true) == 0);
    }
    SUBCASE("keepRoot keeps the folder and those whose names begin with a dot")
    {
        REQUIRE(ForceDirectory(tree + L"\\.git\\objects") == 0);
        CHECK(DeleteDirTree(tree, true) == 0);
        CHECK(DirectoryExists(tree + L"\\.git\\objects"));
        CHECK_FALSE(PathExists(tree + L"\\a.txt"));
        CHECK_FALSE(PathExists(tree + L"\\sub"));
        CHECK(DeleteDirTree(tree, false) == ddFolderNotRemoved);
    }
    SUBCASE("a read-only file stays and keeps its folders")
    {
        const std::wstring locked = tree + L"\\sub\\deeper\\c.txt";
        REQUIRE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
        CHECK(DeleteDirTree(tree, false) == (ddFileNotDeleted | ddFolderNotRemoved));
        CHECK(FileExists(locked));
        CHECK_FALSE(PathExists(tree + L"\\a.txt"));
        SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_CASE("DeleteDirTree removes a directory link without entering it")
{
    TScratchDir outside(L"linktarget");
    TScratchDir dir(L"linktree");
    REQUIRE(ForceDirectory(outside / L"inner") == 0);
    REQUIRE(WriteFileBytes(outside / L"inner\\keep.txt", "keep"));
    const std::wstring tree = dir / L"tree";
    const std::wstring link = tree + L"\\link";
    REQUIRE(ForceDirectory(tree) == 0);
    REQUIRE(WriteFileBytes(tree + L"\\own.txt", "own"));
    REQUIRE(UnixTool(L"ln -s \"" + UnixPath(outside.Path()) + L"\" \"" + UnixPath(link) + L"\"", true, link));

    SUBCASE("a link inside the tree")
    {
        DeleteDirTree(tree, false);
        CHECK_FALSE(PathExists(tree + L"\\own.txt"));
    }
    SUBCASE("a link given as the tree itself")
    {
        DeleteDirTree(link, true);
    }
    CHECK(FileExists(outside / L"inner\\keep.txt"));
    if (IsLink(link))
        REQUIRE(UnixTool(L"rm -f \"" + UnixPath(link) + L"\"", false, link));
}

TEST_CASE("DeleteDirTree refuses paths no uninstall may empty")
{
    TScratchDir dir(L"refuse");
    REQUIRE(ForceDirectory(dir / L"sub") == 0);
    REQUIRE(WriteFileBytes(dir / L"sub\\keep.txt", "k"));
    wchar_t saved[MAX_PATH];
    REQUIRE(GetCurrentDirectoryW(MAX_PATH, saved) > 0);
    REQUIRE(SetCurrentDirectoryW(dir.Path().c_str()));
    {
        // The temporary folder is the scratch folder, so a fault costs nothing.
        const TTempRedirect temp(dir.Path());
        REQUIRE(LowerCase(GetKindDir(5)) == LowerCase(dir.Path() + L"\\"));
        const std::wstring refused[] = {L"", L"sub", L".", dir.Path(), LowerCase(dir.Path()) + L"\\",
                                        dir / L"sub\\..", L"Q:\\", L"Q:"};
        for (const std::wstring& path : refused) {
            CAPTURE(Narrow(path));
            CHECK(DeleteDirTree(path, true) == ddRefused);
            CHECK(DeleteDirTree(path, false) == ddRefused);
        }
    }
    SetCurrentDirectoryW(saved);
    CHECK(FileExists(dir / L"sub\\keep.txt"));
}

TEST_CASE("ExtractPayload writes the resource byte for byte")
{
    TScratchDir dir(L"payload");
    const std::wstring file = dir / L"all.bin";
    std::string all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[static_cast<size_t>(i)] = static_cast<char>(i);

    CHECK(ExtractPayload(AllBytesPayload + 1, file) != 0);
    CHECK_FALSE(PathExists(file));
    REQUIRE(WriteFileBytes(file, std::string(1000, 'x')));
    CHECK(ExtractPayload(AllBytesPayload, file) == 0);
    CHECK(ReadFileBytes(file) == all);
    CHECK(ExtractPayload(AllBytesPayload, dir / L"no\\all.bin") == ERROR_PATH_NOT_FOUND);
}

TEST_CASE("RunAndWait returns only after the child has ended")
{
    TScratchDir dir(L"run");
    const std::wstring helper = BinPath(L"qz_sleepwrite.exe");
    REQUIRE(FileExists(helper));

    SUBCASE("the child's work is done on return")
    {
        const std::wstring out = dir / L"out.txt";
        const DWORD start = GetTickCount();
        CHECK(RunAndWait(QuotePath(helper), L"700 " + QuotePath(out)) == 0);
        CHECK(GetTickCount() - start >= 600);
        CHECK(ReadUtf16File(out) == L"done");
    }
    SUBCASE("quoted paths with blanks reach the child as given")
    {
        REQUIRE(ForceDirectory(dir / L"with blank") == 0);
        const std::wstring copy = dir / L"with blank\\sleep write.exe";
        REQUIRE(CopyFileW(helper.c_str(), copy.c_str(), FALSE));
        const std::wstring out = dir / L"with blank\\out file.txt";
        CHECK(RunAndWait(QuotePath(copy), L"0 " + QuotePath(out) + L" \"two words\"") == 0);
        CHECK(ReadUtf16File(out) == L"two words");
        CHECK(RunAndWait(QuotePath(dir / L"missing.exe"), L"") != 0);
    }
}

TEST_CASE("GetFileProductVersion reads the fixed product version")
{
    uint32_t high = 1;
    uint32_t low = 1;
    CHECK(GetFileProductVersion(BinPath(L"untwk.exe"), high, low));
    CHECK(high == 0x00040007u);
    CHECK(low == 0u);
    CHECK_FALSE(GetFileProductVersion(BinPath(L"qz_sleepwrite.exe"), high, low));
    CHECK_FALSE(GetFileProductVersion(BinPath(L"no-such-file.exe"), high, low));
}

TEST_CASE("existence tests tell files from folders")
{
    TScratchDir dir(L"exists");
    REQUIRE(WriteFileBytes(dir / L"f.txt", "f"));
    CHECK(FileExists(dir / L"f.txt"));
    CHECK_FALSE(DirectoryExists(dir / L"f.txt"));
    CHECK(DirectoryExists(dir.Path()));
    CHECK_FALSE(FileExists(dir.Path()));
    CHECK(PathExists(dir / L"*.txt"));
    CHECK(DeleteFileOrLink(dir / L"f.txt"));
    CHECK_FALSE(PathExists(dir / L"f.txt"));
    CHECK_FALSE(DeleteFileOrLink(dir / L"f.txt"));
}
