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

namespace {

TUnattendedOptions ParseLong(std::initializer_list<const wchar_t*> params)
{
    std::vector<std::wstring> list{L"setup.exe"};
    list.insert(list.end(), params.begin(), params.end());
    return ParseUnattended(list);
}

}  // namespace

TEST_CASE("unattended switches: any case, either prefix, quoted values, last mode wins")
{
    CHECK(ParseLong({}).Ui == TSetupUi::Wizard);
    CHECK(ParseLong({L"/silent"}).Ui == TSetupUi::Silent);
    CHECK(ParseLong({L"-VerySilent"}).Ui == TSetupUi::VerySilent);
    CHECK(ParseLong({L"/VERYSILENT", L"/SILENT"}).Ui == TSetupUi::Silent);

    const TUnattendedOptions o = ParseLong({L"/SILENT", L"/dir=\"C:\\My Libs\\Orvane\"", L"/IDES=Delphi7,,RADStudio9",
                                            L"/Items=help", L"/LOG=C:\\t\\copy.log", L"/force"});
    CHECK(o.Error.empty());
    CHECK(o.HasDir);
    CHECK(o.Dir == L"C:\\My Libs\\Orvane");
    CHECK(o.HasIdes);
    CHECK(o.Ides == std::vector<std::wstring>{L"Delphi7", L"RADStudio9"});
    CHECK(o.HasItems);
    CHECK(o.Items == std::vector<std::wstring>{L"help"});
    CHECK(o.LogCopy == L"C:\\t\\copy.log");
    CHECK(o.Force);

    const TUnattendedOptions none = ParseLong({L"/SILENT", L"/ITEMS=", L"/IDES="});
    CHECK((none.HasItems && none.Items.empty() && none.HasIdes && none.Ides.empty() && none.Error.empty()));
    CHECK_FALSE(ParseLong({L"/SILENT"}).HasIdes);  // absent: the wizard's preset
}

TEST_CASE("unattended switches: malformed ones are reported, unknown ones ignored")
{
    CHECK(ParseLong({L"/SILENT", L"/DIR"}).Error.find(L"a value is needed") != std::wstring::npos);
    CHECK(ParseLong({L"/SILENT", L"/LOG="}).Error.find(L"the path is empty") != std::wstring::npos);
    const TUnattendedOptions valued = ParseLong({L"/VERYSILENT=1"});
    CHECK(valued.Error.find(L"takes no value") != std::wstring::npos);
    CHECK(valued.Ui == TSetupUi::VerySilent);  // reported, not a wizard left waiting
    CHECK(ParseLong({L"/FORCE=yes", L"/DIR"}).Error.rfind(L"/FORCE=yes", 0) == 0);  // the first one
    for (const wchar_t* p : {L"/CX", L"/XX", L"/SILENTLY", L"/DIRECTORY=C:\\x", L"SILENT", L"C:\\setup.log"}) {
        const TUnattendedOptions o = ParseLong({p});
        CHECK_MESSAGE((o.Ui == TSetupUi::Wizard && o.Error.empty() && !o.HasDir), Narrow(p));
    }
}

TEST_CASE("unattended switches leave the two-character switches and their last-wins rule alone")
{
    // Long switches are not switch parameters of the old rule: they reset no flag.
    const TSharedState x = Parse({L"/X", L"/SILENT", L"/DIR=C:\\x"});
    CHECK((x.flExtract && !x.flCopyOnly));
    const TSharedState c = Parse({L"/VERYSILENT", L"/C"});
    CHECK((c.flCopyOnly && !c.flExtract && !c.flShowHelp));
    CHECK(ParseLong({L"/C", L"/X", L"/?"}).Ui == TSetupUi::Wizard);
}

TEST_CASE("the parameter help keeps its switch lines and adds the unattended ones")
{
    const std::wstring help = ParameterHelpText;
    CHECK(help.rfind(L"Tarnwick setup parameters description:\r\n"
                     L"  /C - Copy files only. No package,help registration;\r\n"
                     L"  /E - Enable controls even if previous version installed;\r\n"
                     L"  /X - Extract files to the current directory. No dialog. No package,help registration;\r\n"
                     L"  /? - Parameters description.\r\n",
                     0) == 0);
    for (const wchar_t* word : {L"/SILENT", L"/VERYSILENT", L"/DIR=", L"/IDES=", L"/ITEMS=", L"/LOG=", L"/FORCE",
                                L"0 success, 1 bad parameters, 2 finished with failed items, 3 could not start"})
        CHECK_MESSAGE(help.find(word) != std::wstring::npos, Narrow(word));
}
