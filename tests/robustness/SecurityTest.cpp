// Hand-made uninstall logs aimed at folders the installation never owned:
// the deinstaller removes what lies in the installation directory and
// nothing outside it.
#include "tests/uninstall/LogBuilder.h"

namespace {

const wchar_t* const Canary = L"C:\\qz-robust-canary";

struct TCanaries {
    std::wstring WindowsFile = CombinePath(GetKindDir(1), L"qz-canary.txt");
    std::wstring SystemFile = CombinePath(GetKindDir(6), L"qz-canary.txt");
    TCanaries()
    {
        ForceDirectory(std::wstring(Canary) + L"\\victim");
        WriteFileBytes(std::wstring(Canary) + L"\\keep.txt", "canary");
        WriteFileBytes(std::wstring(Canary) + L"\\victim\\keep.txt", "canary");
        WriteFileBytes(WindowsFile, "canary");
        WriteFileBytes(SystemFile, "canary");
    }
    ~TCanaries()
    {
        RemoveTree(Canary);
        DeleteFileW(WindowsFile.c_str());
        DeleteFileW(SystemFile.c_str());
    }
    void CheckAlive() const
    {
        CHECK(FileExists(std::wstring(Canary) + L"\\keep.txt"));
        CHECK(FileExists(std::wstring(Canary) + L"\\victim\\keep.txt"));
        CHECK(FileExists(WindowsFile));
        CHECK(FileExists(SystemFile));
    }
};

}  // namespace

TEST_SUITE("faults")
{
TEST_CASE("crafted logs delete nothing outside the installation directory")
{
    TScratchDir dir(L"crafted");
    const std::wstring inst = dir / L"inst";
    TCanaries canaries;
    REQUIRE(MakeFolder(inst + L"\\Source"));
    const std::wstring up = L"..\\..\\..\\..\\..\\..\\qz-robust-canary";

    SUBCASE("texts that climb out with .. or are absolute")
    {
        TLogBuilder log;
        log.Products(inst)
            .Add(opCreateFolder, 0, 3, up)
            .Add(opCreateFolder, 0, 3, up + L"\\victim")
            .Add(opDeleteSingleFile, 0, 3, up + L"\\keep.txt")
            .Add(opCreateFolder, 0, 0, std::wstring(Canary) + L"\\victim")
            .Add(opDeleteSingleFile, 0, 0, std::wstring(Canary) + L"\\keep.txt")
            .Add(opDeleteSingleFile, 0, 3, L"\\qz-robust-canary\\keep.txt")
            .Add(opCopyPayloadIfMissing, 31, 1, L"..\\qz-robust-canary\\keep.txt")
            .Add(opCreateFolder, 0, 3, L"Source");  // undone first: proves the walk ran
        CHECK(Deinstall(dir, log.Bytes()) == 0);
        CHECK_FALSE(PathExists(inst + L"\\Source"));
        canaries.CheckAlive();
    }
    SUBCASE("an installation directory that is the drive root, Windows or the system folder")
    {
        for (const std::wstring& root : {std::wstring(L"C:\\"), GetKindDir(1), GetKindDir(6)}) {
            INFO(Narrow(root));
            TLogBuilder log;
            log.Products(root)
                .Add(opCreateFolder, 0, 3, L"")
                .Add(opCreateFolder, 0, 3, L"qz-robust-canary")
                .Add(opDeleteSingleFile, 0, 3, L"qz-canary.txt")
                .Add(opDeleteSingleFile, 0, 3, L"qz-robust-canary\\keep.txt");
            CHECK(Deinstall(dir, log.Bytes()) == 0);
            canaries.CheckAlive();
        }
    }
    SUBCASE("folders of other kinds: Windows, system, an IDE's folder")
    {
        TLogBuilder log;
        log.Products(inst)
            .Add(opCreateFolder, 0, 1, L"")
            .Add(opCreateFolder, 0, 6, L"")
            .Add(opSelectProduct, 1, 0, L"Delphi3")
            .Add(opCreateFolder, 0, 5, L"")
            .Add(opSelectProduct, 1, 0, L"Delphi3");
        CHECK(Deinstall(dir, log.Bytes()) == 0);
        canaries.CheckAlive();
        CHECK(DirectoryExists(GetKindDir(5)));
    }
}
}
