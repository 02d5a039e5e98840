// The fake-IDE fixture: what detection and the script see of a fake install.
#include "catalogue/Catalogue.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"
#include "tests/fakeide/FakeIde.h"

TEST_CASE("a fake IDE is detected, carries its tools, paths and help files, and goes away")
{
    TScratchDir dir(L"fakeide");
    const std::wstring xe2 = dir / L"XE2";
    const std::wstring bcb6 = dir / L"BCB6";
    TFakeIdeOptions no64;
    no64.With64 = false;
    REQUIRE(CreateFakeIde(16, xe2, no64));
    REQUIRE(CreateFakeIde(8, bcb6));
    DetectInstalledIdes();
    CHECK(IdeByIndex(16)->Exists);
    CHECK(IdeByIndex(8)->Exists);
    CHECK(FileExists(bcb6 + L"\\bin\\make.exe"));
    CHECK_FALSE(PathExists(xe2 + L"\\bin\\dcc64.exe"));
    std::wstring value;
    CHECK(RegReadStr(HKEY_CURRENT_USER, L"Software\\Embarcadero\\BDS\\9.0\\Library\\Win64", L"Search Path", value));
    CHECK(RegReadStr(HKEY_CURRENT_USER, L"Software\\Embarcadero\\BDS\\9.0\\C++\\Paths\\Win32", L"IncludePath", value));
    CHECK(RegReadStr(HKEY_CURRENT_USER, L"Software\\Borland\\C++Builder\\6.0\\Library", L"Search Path", value));
    CHECK(value == FakeIdeSearchPath(8));
    for (const wchar_t* help : {L"bcb6.ohi", L"bcb6.ohl", L"bcb6.als", L"bcb6.gid"})
        CHECK(FileExists(bcb6 + L"\\Help\\" + help));

    RemoveFakeIde(16, xe2);
    RemoveFakeIde(8, bcb6);
    DetectInstalledIdes();
    CHECK_FALSE(IdeByIndex(16)->Exists);
    CHECK_FALSE(IdeByIndex(8)->Exists);
    CHECK_FALSE(PathExists(bcb6));
}
