// setup /X as a real process: the whole file tree below the current
// directory, byte for byte, and nothing else.
#include "script/ScriptItem.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"
#include "tests/product/ProductTest.h"

namespace {

const wchar_t* const UninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\qzlLib";
const wchar_t* const ProductKey = L"Software\\Tarnwick\\Orvane library";

}  // namespace

TEST_CASE("extract mode writes every payload file and folder of the table, and only those")
{
    TScratchDir dir(L"extract");
    // A stale payload file is replaced; a file of the user's stays.
    REQUIRE(ForceDirectory(dir / L"Source") == 0);
    REQUIRE(WriteFileBytes(dir / L"Source\\qzlConsts.pas", "stale content that is longer than nothing"));
    REQUIRE(WriteFileBytes(dir / L"Source\\MyUnit.pas", "unit MyUnit;"));
    REQUIRE(WriteFileBytes(dir / L"notes.txt", "mine"));
    const bool productKeyBefore = RegKeyExists(HKEY_LOCAL_MACHINE, ProductKey);
    const bool uninstallKeyBefore = RegKeyExists(HKEY_LOCAL_MACHINE, UninstallKey);

    // The last switch parameter decides; the non-switches after it undo nothing.
    CHECK(RunProcess(QuotePath(BinPath(L"setup.exe")) + L" /Q -x /XX X /", dir.Path()) == 0);

    const auto sources = PayloadSources();
    int files = 0;
    int folders = 0;
    for (int i = 0; i < ScriptItemCount; ++i) {
        const TScriptItem& item = ScriptItems[i];
        const std::wstring path = dir / TextOrEmpty(item.Text);
        CAPTURE(i);
        switch (TypeIdOf(item.Id)) {
        case opCreateFolder:
            ++folders;
            CHECK_MESSAGE(DirectoryExists(path), Narrow(path));
            break;
        case opCopyPayloadFile:
            ++files;
            REQUIRE(sources.count(item.Code) == 1);
            CHECK_MESSAGE(ReadFileBytes(path) == ReadFileBytes(sources.at(item.Code)), Narrow(path));
            break;
        case opCopyPayloadIfNewer:
        case opCopyPayloadIfMissing:
            // Other copy operations are not part of extract mode.
            CHECK_FALSE(PathExists(dir / TextOrEmpty(item.Text)));
            break;
        default:
            break;
        }
    }
    CHECK(files == 370);
    CHECK(folders == 74);
    CHECK(ReadFileBytes(dir / L"Source\\MyUnit.pas") == "unit MyUnit;");
    CHECK(ReadFileBytes(dir / L"notes.txt") == "mine");
    // Nothing compiled, copied from a build, or logged.
    CHECK_FALSE(PathExists(dir / L"install.log"));
    CHECK_FALSE(PathExists(dir / L"uninst.log"));
    CHECK_FALSE(PathExists(dir / L"delphi3\\qzl.inc"));
    CHECK_FALSE(PathExists(dir / L"delphi3\\qzl30.dpl"));
    CHECK(RegKeyExists(HKEY_LOCAL_MACHINE, ProductKey) == productKeyBefore);
    CHECK(RegKeyExists(HKEY_LOCAL_MACHINE, UninstallKey) == uninstallKeyBefore);
}
