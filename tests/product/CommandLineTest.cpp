// setup's command line: which path a parameter list selects.
#include "setup/CommandLine.h"
#include "support/SharedState.h"
#include "tests/common/TestEnv.h"

namespace {

TSharedState Parse(std::initializer_list<const wchar_t*> params)
{
    std::vector<std::wstring> list{L"setup.exe"};
    list.insert(list.end(), params.begin(), params.end());
    TSharedState state;
    ParseCommandLine(list, state);
    return state;
}

bool NoFlag(const TSharedState& s) { return !s.flCopyOnly && !s.flEnableControls && !s.flShowHelp && !s.flExtract; }

}  // namespace

TEST_CASE("each switch sets its own flag only, in any spelling")
{
    CHECK(NoFlag(Parse({})));
    for (const wchar_t* x : {L"/X", L"/x", L"-X", L"-x", L"\\x", L"\\X"}) {
        const TSharedState s = Parse({x});
        CHECK_MESSAGE((s.flExtract && !s.flCopyOnly && !s.flShowHelp && !s.flEnableControls), Narrow(x));
    }
    for (const wchar_t* h : {L"/?", L"/h", L"-H", L"\\?"}) {
        const TSharedState s = Parse({h});
        CHECK_MESSAGE((s.flShowHelp && !s.flExtract), Narrow(h));
    }
    CHECK(Parse({L"/c"}).flCopyOnly);
    const TSharedState e = Parse({L"-e"});
    CHECK((e.flEnableControls && !e.flCopyOnly && !e.flExtract && !e.flShowHelp));
}

TEST_CASE("the last switch parameter decides")
{
    const TSharedState cx = Parse({L"/C", L"/X"});
    CHECK((cx.flExtract && !cx.flCopyOnly));
    const TSharedState xc = Parse({L"/X", L"/C"});
    CHECK((xc.flCopyOnly && !xc.flExtract));
    CHECK(NoFlag(Parse({L"/X", L"/Q"})));
    CHECK(NoFlag(Parse({L"/X", L"/Z"})));
}

TEST_CASE("parameters that are not switches are ignored and reset nothing")
{
    for (const wchar_t* p : {L"/XX", L"X", L"/", L"", L"--", L"/CX", L"C:\\setup.log", L"+X", L"\u0410X"})
        CHECK_MESSAGE(NoFlag(Parse({p})), Narrow(p));
    const TSharedState kept = Parse({L"/X", L"/XX", L"X", L"/", L"file.txt"});
    CHECK(kept.flExtract);
    // A folded letter outside a..z does not become a switch.
    CHECK(NoFlag(Parse({L"/\u00E7"})));
    CHECK(Parse({L"x.exe", L"/x"}).flExtract);
}
