// setup's command line: which path a parameter list selects.
#include "setup/CommandLine.h"
#include "support/SharedState.h"
#include "tests/common/TestEnv.h"

namespace {

// The flags a parameter list sets: C, E, H and X in that order.
std::string Flags(const std::vector<const wchar_t*>& params)
{
    std::vector<std::wstring> list{L"setup.exe"};
    list.insert(list.end(), params.begin(), params.end());
    TSharedState s;
    ParseCommandLine(list, s);
    return std::string(s.flCopyOnly ? "C" : "") + (s.flEnableControls ? "E" : "") + (s.flShowHelp ? "H" : "") +
           (s.flExtract ? "X" : "");
}

}  // namespace

TEST_CASE("two-character switches: any spelling, the last switch parameter decides, others are ignored")
{
    struct {
        std::vector<const wchar_t*> Params;
        const char* Flags;
    } const cases[] = {
        {{}, ""}, {{L"/X"}, "X"}, {{L"/x"}, "X"}, {{L"-X"}, "X"}, {{L"-x"}, "X"}, {{L"\\x"}, "X"},
        {{L"/?"}, "H"}, {{L"/h"}, "H"}, {{L"-H"}, "H"}, {{L"\\?"}, "H"}, {{L"/c"}, "C"}, {{L"-e"}, "E"},
        {{L"/C", L"/X"}, "X"}, {{L"/X", L"/C"}, "C"}, {{L"/X", L"/Q"}, ""}, {{L"/X", L"/Z"}, ""},
        // Parameters that are not switches are ignored and reset nothing.
        {{L"/XX"}, ""}, {{L"X"}, ""}, {{L"/"}, ""}, {{L""}, ""}, {{L"--"}, ""}, {{L"/CX"}, ""},
        {{L"C:\\setup.log"}, ""}, {{L"+X"}, ""}, {{L"\u0410X"}, ""}, {{L"/\u00E7"}, ""},
        {{L"/X", L"/XX", L"X", L"/", L"file.txt"}, "X"}, {{L"x.exe", L"/x"}, "X"},
        // Nor are the unattended switches switch parameters of this rule.
        {{L"/X", L"/SILENT", L"/DIR=C:\\x"}, "X"}, {{L"/VERYSILENT", L"/C"}, "C"},
    };
    for (const auto& c : cases) {
        std::wstring line;
        for (const wchar_t* p : c.Params)
            line += std::wstring(p) + L" ";
        CAPTURE(Narrow(line));
        CHECK(Flags(c.Params) == c.Flags);
    }
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
    CHECK(ParseLong({L"/C", L"/X", L"/?"}).Ui == TSetupUi::Wizard);
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
