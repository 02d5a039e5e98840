#include "tests/common/TestEnv.h"
#include "uninstall/UntwkCommandLine.h"

TEST_CASE("untwk's command line: switches and the log path")
{
    using TArgs = std::vector<std::wstring>;
    CHECK_FALSE(ParseUntwkCommandLine(TArgs{}).HasParameters);

    for (const wchar_t* partial : {L"/P", L"-P", L"\\P", L"/p"}) {
        const auto parsed = ParseUntwkCommandLine(TArgs{partial, L"C:\\inst\\uninst.log"});
        CHECK(parsed.PartialUninstall);
        CHECK(parsed.LogPath == L"C:\\inst\\uninst.log");
    }
    // Any other switch, also a longer one starting with P, turns it off again.
    CHECK_FALSE(ParseUntwkCommandLine(TArgs{L"/P", L"/Q", L"x.log"}).PartialUninstall);
    CHECK_FALSE(ParseUntwkCommandLine(TArgs{L"/P", L"/Partial", L"x.log"}).PartialUninstall);
    CHECK(ParseUntwkCommandLine(TArgs{L"/Q", L"/P", L"x.log"}).PartialUninstall);

    // A lone "-" is a path, not a switch; the last path wins; quotes go.
    CHECK(ParseUntwkCommandLine(TArgs{L"-"}).LogPath == L"-");
    CHECK(ParseUntwkCommandLine(TArgs{L"a.log", L"b.log"}).LogPath == L"b.log");
    CHECK(ParseUntwkCommandLine(TArgs{L"\"C:\\with blank\\uninst.log\""}).LogPath == L"C:\\with blank\\uninst.log");
    CHECK(ParseUntwkCommandLine(TArgs{L"\""}).LogPath == L"\"");
}

TEST_CASE("untwk's command line: /SILENT")
{
    using TArgs = std::vector<std::wstring>;
    const auto silent = ParseUntwkCommandLine(TArgs{L"/P", L"/SILENT", L"x.log"});
    CHECK(silent.Silent);
    CHECK(silent.PartialUninstall);  // /SILENT is no reset of /P
    CHECK(ParseUntwkCommandLine(TArgs{L"\\silent", L"x.log"}).Silent);
    CHECK_FALSE(ParseUntwkCommandLine(TArgs{L"/SILENTLY", L"x.log"}).Silent);
    CHECK_FALSE(ParseUntwkCommandLine(TArgs{L"/P", L"/SILENTLY", L"x.log"}).PartialUninstall);
}
