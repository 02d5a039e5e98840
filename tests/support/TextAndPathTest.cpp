#include "catalogue/Catalogue.h"
#include "support/SharedState.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"

namespace {

// Puts the shared state and the catalogue's RootDir fields back afterwards.
struct TStateGuard {
    TSharedState Saved = Shared;
    std::wstring RootDirs[IdeCount];
    TStateGuard()
    {
        for (int i = 0; i < IdeCount; ++i)
            RootDirs[i] = IdeCatalogue[i].RootDir;
    }
    ~TStateGuard()
    {
        Shared = Saved;
        for (int i = 0; i < IdeCount; ++i)
            IdeCatalogue[i].RootDir = RootDirs[i];
    }
};

}  // namespace

TEST_CASE("CombinePath joins with exactly the separators it is given")
{
    struct {
        const wchar_t* Base;
        const wchar_t* Relative;
        const wchar_t* Expected;
    } const cases[] = {
        {L"C:\\Lib", L"Source", L"C:\\Lib\\Source"},
        {L"C:\\Lib\\", L"Source", L"C:\\Lib\\Source"},
        {L"C:\\Lib", L"\\Source", L"C:\\Lib\\Source"},
        {L"C:\\Lib\\", L"\\Source", L"C:\\Lib\\\\Source"},
        {L"", L"Source", L"Source"},
        {L"", L"\\Source", L"\\Source"},
        {L"", L"", L""},
        {L"C:\\Lib", L"", L"C:\\Lib"},
        {L"C:\\Lib\\", L"", L"C:\\Lib\\"},
        {L"C:", L"x", L"C:\\x"},
        {L"C:\\Lib/", L"x", L"C:\\Lib/\\x"},  // only the backslash counts
        {L"a", L"b\\c", L"a\\b\\c"},
    };
    for (const auto& c : cases) {
        CAPTURE(Narrow(c.Base));
        CAPTURE(Narrow(c.Relative));
        CHECK(CombinePath(c.Base, c.Relative) == c.Expected);
    }
}

TEST_CASE("text positions are 1-based with 0 for not found")
{
    CHECK(SubTextPos(L"aaab", L"aab") == 2);
    CHECK(SubTextPos(L"abc", L"abc") == 1);
    CHECK(SubTextPos(L"abc", L"c") == 3);
    CHECK(SubTextPos(L"abc", L"abcd") == 0);
    CHECK(SubTextPos(L"abc", L"B") == 0);  // case-sensitive
    CHECK(SubTextPos(L"", L"a") == 0);
    CHECK(SubTextPos(L"abc", L"") == 0);
    CHECK(SubTextPosA("aaab", "aab") == 2);
    CHECK(SubTextPosA("x\xE4y", "\xE4") == 2);
    CHECK(SubTextPosA("abc", "") == 0);
    CHECK(SubTextPosA("abc", "d") == 0);
    CHECK(LastCharPos(L"a\\b\\c", L'\\') == 4);
    CHECK(LastCharPos(L"\\", L'\\') == 1);
    CHECK(LastCharPos(L"abc", L'\\') == 0);
    CHECK(LastCharPos(L"", L'\\') == 0);
}

TEST_CASE("directory kinds follow the shared state and the current product")
{
    TStateGuard guard;
    Shared.InstallDir = L"C:\\Orvane";
    IdeCatalogue[8].RootDir = L"C:\\IDE";

    SetCurrentProduct(9, L"Delphi7");
    CHECK(GetKindDir(2) == L"C:\\IDE");
    CHECK(GetKindDir(3) == L"C:\\Orvane");
    CHECK(GetKindDir(4) == L"C:\\IDE\\Help\\");
    CHECK(LowerCase(GetKindDir(1)) == L"c:\\windows");
    CHECK(LowerCase(GetKindDir(6)) == L"c:\\windows\\system32");
    const std::wstring temp = GetKindDir(5);
    CHECK(!temp.empty());
    CHECK(temp.back() == L'\\');
    CHECK(DirectoryExists(temp));
    for (uint32_t kind : {0u, 7u, 0x83u, 0xFFFFFFFFu})
        CHECK(GetKindDir(kind).empty());

    // Without a current product, or one that is not installed, kinds 2 and 4
    // are empty (not "\Help\" on the current drive).
    for (int product : {0, 29, -1}) {
        SetCurrentProduct(product, L"Delphi7");
        CHECK(GetKindDir(2).empty());
        CHECK(GetKindDir(4).empty());
        CHECK(GetKindDir(3) == L"C:\\Orvane");
    }
    IdeCatalogue[8].RootDir.clear();
    SetCurrentProduct(9, L"Delphi7");
    CHECK(GetKindDir(2).empty());
    CHECK(GetKindDir(4).empty());

    CHECK(GetInstallSubDir(0) == L"C:\\Orvane");
    CHECK(GetInstallSubDir(1) == L"C:\\Orvane\\Source");
    CHECK(GetInstallSubDir(2) == L"C:\\Orvane\\Delphi7");
    CHECK(GetInstallSubDir(3) == L"C:\\Orvane\\Delphi7\\Win32");
    CHECK(GetInstallSubDir(4) == L"C:\\Orvane\\Delphi7\\Win64");
    CHECK(GetInstallSubDir(0x83) == GetInstallSubDir(3));
    CHECK(GetInstallSubDir(0x80) == L"C:\\Orvane");
    CHECK(GetInstallSubDir(5).empty());
    CHECK(GetInstallSubDir(0x7F).empty());
    Shared.InstallDir = L"C:\\Orvane\\";
    CHECK(GetInstallSubDir(1) == L"C:\\Orvane\\Source");
}

TEST_CASE("protected folders are recognised in any spelling")
{
    wchar_t windows[MAX_PATH];
    wchar_t system[MAX_PATH];
    wchar_t temp[MAX_PATH];
    REQUIRE(GetWindowsDirectoryW(windows, MAX_PATH) > 0);
    REQUIRE(GetSystemDirectoryW(system, MAX_PATH) > 0);
    REQUIRE(GetTempPathW(MAX_PATH, temp) > 0);
    const std::wstring profile = _wgetenv(L"USERPROFILE");
    const std::wstring programs = _wgetenv(L"ProgramFiles");

    const std::wstring refused[] = {
        L"", L"relative", L"relative\\x", L".\\x", L"C:", L"C:foo", L"\\", L"\\Windows", L"C:\\", L"C:/", L"c:\\\\",
        L"Z:\\", L"\\\\server", L"\\\\server\\share", L"\\\\server\\share\\",
        windows, std::wstring(windows) + L"\\", LowerCase(windows), std::wstring(windows) + L"\\system32\\..",
        system, temp, std::wstring(temp) + L"\\\\", profile, programs, L"\\\\?\\" + std::wstring(windows),
    };
    for (const std::wstring& path : refused) {
        CAPTURE(Narrow(path));
        CHECK(IsProtectedFolder(path));
    }

    TScratchDir dir(L"protect");
    const std::wstring allowed[] = {
        dir.Path(), dir / L"missing", std::wstring(windows) + L"\\qz-not-there", std::wstring(temp) + L"x",
        programs + L"\\Orvane", L"\\\\server\\share\\folder",
    };
    for (const std::wstring& path : allowed) {
        CAPTURE(Narrow(path));
        CHECK_FALSE(IsProtectedFolder(path));
    }
}

TEST_CASE("small helpers: conversions, system messages, root keys, quoting, platform")
{
    const std::wstring text = L"Gr\u00FC\u00DFe \u20AC";
    CHECK(Utf8ToWide(WideToUtf8(text).data(), WideToUtf8(text).size()) == text);
    CHECK(WideToUtf8(L"\u00E4") == "\xC3\xA4");
    CHECK(LowerCase(L"ABC\u00C4") == L"abc\u00E4");
    CHECK(WideToAnsi(AnsiToWide("abc", 3)) == "abc");

    // The system's trailing line break and full stop are trimmed.
    const std::wstring message = SysErrorMessage(ERROR_FILE_NOT_FOUND);
    REQUIRE(!message.empty());
    CHECK(message.back() != L'.');
    CHECK(message.back() > L' ');

    CHECK(RootKeyFromCode(0x80000001u) == HKEY_CURRENT_USER);
    CHECK(RootKeyFromCode(0x80000002u) == HKEY_LOCAL_MACHINE);
    for (uint32_t code : {0u, 1u, 0x80000010u})
        CHECK(RootKeyFromCode(code) == nullptr);

    CHECK(QuotePath(L"C:\\bin\\make.exe") == L"C:\\bin\\make.exe");
    CHECK(QuotePath(L"C:\\Program Files\\x.exe") == L"\"C:\\Program Files\\x.exe\"");
    CHECK(QuotePath(L"\"C:\\Program Files\\x.exe\"") == L"\"C:\\Program Files\\x.exe\"");

    CHECK(PlatformId == VER_PLATFORM_WIN32_NT);
}
