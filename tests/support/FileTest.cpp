#include "support/Handles.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"

namespace {

constexpr uint32_t AllBytesPayload = 7001;  // SupportTest.rc

std::string AllBytes()
{
    std::string bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[static_cast<size_t>(i)] = static_cast<char>(i);
    return bytes;
}

// The Unix path behind a Windows path, from Wine's kernel32 export.
std::string UnixPath(const std::wstring& path)
{
    using TGetUnixName = char*(CDECL*)(const wchar_t*);
    const auto getName = reinterpret_cast<TGetUnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!getName)
        return {};
    char* name = getName(path.c_str());
    if (!name)
        return {};
    std::string out = name;
    HeapFree(GetProcessHeap(), 0, name);
    return out;
}

bool IsLink(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Runs a Unix tool through Wine and waits until `done` holds (a Unix child's
// handle is signalled before it ends).
template <typename TDone>
bool RunUnixTool(const std::wstring& commandLine, TDone done)
{
    RunProcess(commandLine);
    for (int i = 0; i < 100 && !done(); ++i)
        Sleep(20);
    return done();
}

// A directory symbolic link; Wine's CreateSymbolicLinkW makes nothing, so
// the Unix one is made there.
bool MakeDirectoryLink(const std::wstring& link, const std::wstring& target)
{
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(),
                            SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
        IsLink(link))
        return true;
    const std::string from = UnixPath(target);
    const std::string to = UnixPath(link);
    if (from.empty() || to.empty())
        return false;
    const std::wstring line = L"Z:\\bin\\ln -s \"" + Utf8ToWide(from.data(), from.size()) + L"\" \"" +
                              Utf8ToWide(to.data(), to.size()) + L"\"";
    return RunUnixTool(line, [&] { return IsLink(link); });
}

bool RemoveDirectoryLink(const std::wstring& link)
{
    if (!IsLink(link) || RemoveDirectoryW(link.c_str()))
        return true;
    const std::string path = UnixPath(link);
    return RunUnixTool(L"Z:\\bin\\rm -f \"" + Utf8ToWide(path.data(), path.size()) + L"\"",
                       [&] { return GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

}  // namespace

TEST_CASE("ForceDirectory creates every missing level")
{
    TScratchDir dir(L"force");
    SUBCASE("three levels below an existing folder")
    {
        CHECK(ForceDirectory(dir / L"a\\b\\c") == 0);
        CHECK(DirectoryExists(dir / L"a\\b\\c"));
    }
    SUBCASE("an existing path and a trailing separator succeed")
    {
        CHECK(ForceDirectory(dir.Path()) == 0);
        CHECK(ForceDirectory(dir / L"x\\y\\") == 0);
        CHECK(DirectoryExists(dir / L"x\\y"));
        CHECK(ForceDirectory(dir / L"x\\y") == 0);
    }
    SUBCASE("forward slashes separate levels too")
    {
        CHECK(ForceDirectory(dir / L"f/g") == 0);
        CHECK(DirectoryExists(dir / L"f\\g"));
    }
    SUBCASE("the drive part alone is never created")
    {
        CHECK(ForceDirectory(L"C:") == 0);
        CHECK(ForceDirectory(L"C:\\") == 0);
    }
    SUBCASE("a file in the way stops it with an error")
    {
        REQUIRE(WriteFileBytes(dir / L"file", "x"));
        CHECK(ForceDirectory(dir / L"file") == ERROR_ALREADY_EXISTS);
        CHECK(ForceDirectory(dir / L"file\\sub") != 0);
        CHECK_FALSE(DirectoryExists(dir / L"file\\sub"));
    }
    SUBCASE("a missing drive fails")
    {
        CHECK(ForceDirectory(L"Q:\\qz\\x") != 0);
    }
}

TEST_CASE("DeleteDirTree removes a tree and reports what stayed")
{
    TScratchDir dir(L"deltree");
    const std::wstring tree = dir / L"tree";
    REQUIRE(ForceDirectory(tree + L"\\sub\\deeper") == 0);
    REQUIRE(WriteFileBytes(tree + L"\\a.txt", "a"));
    REQUIRE(WriteFileBytes(tree + L"\\sub\\b.txt", "b"));
    REQUIRE(WriteFileBytes(tree + L"\\sub\\deeper\\c.txt", "c"));

    SUBCASE("whole tree")
    {
        CHECK(DeleteDirTree(tree, false) == 0);
        CHECK_FALSE(PathExists(tree));
    }
    SUBCASE("keepRoot empties the folder and keeps it")
    {
        CHECK(DeleteDirTree(tree, true) == 0);
        CHECK(DirectoryExists(tree));
        CHECK_FALSE(PathExists(tree + L"\\a.txt"));
        CHECK_FALSE(PathExists(tree + L"\\sub"));
    }
    SUBCASE("a missing folder")
    {
        CHECK(DeleteDirTree(dir / L"missing", false) == ddFolderNotFound);
        CHECK(DeleteDirTree(dir / L"missing", true) == 0);
    }
    SUBCASE("a read-only file stays and keeps its folders")
    {
        const std::wstring locked = tree + L"\\sub\\deeper\\c.txt";
        REQUIRE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
        CHECK(DeleteDirTree(tree, false) == (ddFileNotDeleted | ddFolderNotRemoved));
        CHECK(FileExists(locked));
        CHECK_FALSE(PathExists(tree + L"\\a.txt"));
        CHECK_FALSE(PathExists(tree + L"\\sub\\b.txt"));
        SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    SUBCASE("folders whose names begin with a dot are kept")
    {
        REQUIRE(ForceDirectory(tree + L"\\.git\\objects") == 0);
        CHECK(DeleteDirTree(tree, true) == 0);
        CHECK(DirectoryExists(tree + L"\\.git\\objects"));
        CHECK_FALSE(PathExists(tree + L"\\sub"));
        CHECK(DeleteDirTree(tree, false) == ddFolderNotRemoved);
    }
}

TEST_CASE("DeleteDirTree removes a directory link without entering it")
{
    TScratchDir outside(L"linktarget");
    TScratchDir dir(L"linktree");
    REQUIRE(WriteFileBytes(outside / L"keep.txt", "keep"));
    REQUIRE(ForceDirectory(outside / L"inner") == 0);
    REQUIRE(WriteFileBytes(outside / L"inner\\keep2.txt", "keep"));
    const std::wstring tree = dir / L"tree";
    REQUIRE(ForceDirectory(tree) == 0);
    REQUIRE(WriteFileBytes(tree + L"\\own.txt", "own"));
    REQUIRE(MakeDirectoryLink(tree + L"\\link", outside.Path()));

    SUBCASE("a link inside the tree")
    {
        DeleteDirTree(tree, false);
        CHECK(FileExists(outside / L"keep.txt"));
        CHECK(FileExists(outside / L"inner\\keep2.txt"));
        CHECK_FALSE(PathExists(tree + L"\\own.txt"));
    }
    SUBCASE("a link given as the tree itself")
    {
        DeleteDirTree(tree + L"\\link", true);
        CHECK(FileExists(outside / L"keep.txt"));
        CHECK(FileExists(outside / L"inner\\keep2.txt"));
    }
    REQUIRE(RemoveDirectoryLink(tree + L"\\link"));
}

TEST_CASE("DeleteDirTree refuses paths no uninstall may empty")
{
    TScratchDir dir(L"refuse");
    REQUIRE(WriteFileBytes(dir / L"keep.txt", "k"));
    REQUIRE(ForceDirectory(dir / L"sub") == 0);
    REQUIRE(WriteFileBytes(dir / L"sub\\keep.txt", "k"));

    SUBCASE("empty and relative paths")
    {
        wchar_t saved[MAX_PATH];
        REQUIRE(GetCurrentDirectoryW(MAX_PATH, saved) > 0);
        REQUIRE(SetCurrentDirectoryW(dir.Path().c_str()));
        CHECK(DeleteDirTree(L"", false) == ddRefused);
        CHECK(DeleteDirTree(L"", true) == ddRefused);
        CHECK(DeleteDirTree(L"sub", false) == ddRefused);
        CHECK(DeleteDirTree(L".", true) == ddRefused);
        SetCurrentDirectoryW(saved);
        CHECK(FileExists(dir / L"keep.txt"));
        CHECK(FileExists(dir / L"sub\\keep.txt"));
    }
    SUBCASE("the temporary folder itself, in any spelling")
    {
        // Point the temporary folder at the scratch folder so a fault costs nothing.
        wchar_t savedTmp[MAX_PATH] = L"";
        wchar_t savedTemp[MAX_PATH] = L"";
        GetEnvironmentVariableW(L"TMP", savedTmp, MAX_PATH);
        GetEnvironmentVariableW(L"TEMP", savedTemp, MAX_PATH);
        SetEnvironmentVariableW(L"TMP", dir.Path().c_str());
        SetEnvironmentVariableW(L"TEMP", dir.Path().c_str());
        const std::wstring temp = GetKindDir(5);
        CHECK(DeleteDirTree(dir.Path(), true) == ddRefused);
        CHECK(DeleteDirTree(dir.Path() + L"\\", false) == ddRefused);
        CHECK(DeleteDirTree(LowerCase(dir.Path()), true) == ddRefused);
        CHECK(DeleteDirTree(dir / L"sub\\..", true) == ddRefused);
        SetEnvironmentVariableW(L"TMP", savedTmp[0] ? savedTmp : nullptr);
        SetEnvironmentVariableW(L"TEMP", savedTemp[0] ? savedTemp : nullptr);
        CHECK(LowerCase(temp) == LowerCase(dir.Path() + L"\\"));
        CHECK(FileExists(dir / L"keep.txt"));
        CHECK(FileExists(dir / L"sub\\keep.txt"));
    }
    SUBCASE("a missing drive root")
    {
        CHECK(DeleteDirTree(L"Q:\\", true) == ddRefused);
        CHECK(DeleteDirTree(L"Q:", false) == ddRefused);
    }
}

TEST_CASE("ExtractPayload writes the resource byte for byte")
{
    TScratchDir dir(L"payload");
    const std::wstring file = dir / L"all.bin";
    SUBCASE("a new file")
    {
        CHECK(ExtractPayload(AllBytesPayload, file) == 0);
        CHECK(ReadFileBytes(file) == AllBytes());
    }
    SUBCASE("a longer existing file is replaced")
    {
        REQUIRE(WriteFileBytes(file, std::string(1000, 'x')));
        CHECK(ExtractPayload(AllBytesPayload, file) == 0);
        CHECK(ReadFileBytes(file) == AllBytes());
    }
    SUBCASE("a missing resource creates nothing")
    {
        CHECK(ExtractPayload(AllBytesPayload + 1, file) != 0);
        CHECK_FALSE(PathExists(file));
    }
    SUBCASE("a missing folder is not created")
    {
        CHECK(ExtractPayload(AllBytesPayload, dir / L"no\\all.bin") == ERROR_PATH_NOT_FOUND);
    }
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
    }
    SUBCASE("a missing program is reported")
    {
        CHECK(RunAndWait(QuotePath(dir / L"missing.exe"), L"") != 0);
    }
}

TEST_CASE("GetFileProductVersion reads the fixed product version")
{
    uint32_t high = 1;
    uint32_t low = 1;
    REQUIRE(FileExists(BinPath(L"untwk.exe")));
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
    CHECK(PathExists(dir / L"f.txt"));
    CHECK(PathExists(dir / L"*.txt"));
    CHECK(PathExists(dir.Path()));
    CHECK_FALSE(PathExists(dir / L"g.txt"));
    CHECK(DeleteFileOrLink(dir / L"f.txt"));
    CHECK_FALSE(PathExists(dir / L"f.txt"));
    CHECK_FALSE(DeleteFileOrLink(dir / L"f.txt"));
}
