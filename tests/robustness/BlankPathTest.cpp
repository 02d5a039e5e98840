// An installation below "C:\Program Files" against IDEs below
// "C:\Program Files\Fake IDE": every program the installation and its
// removal start (the compilers, help_reg.bat and help_unreg.bat, untwk
// through both command lines of its entry, the self-removal's cmd.exe) is
// named by a path with blanks. Canary programs stand where an unquoted one
// would lead: "C:\Program.exe", "C:\Program Files\Orvane.exe" and
// "C:\Program Files\Fake.exe". None of them may ever run.
#include "support/Utils.h"
#include "tests/harness/FakeIdeSet.h"
#include "tests/robustness/Residue.h"
#include "tests/robustness/RobustEnv.h"
#include "uninstall/UntwkResult.h"

namespace {

const wchar_t* const InstallDir = L"C:\\Program Files\\Orvane Test";
const wchar_t* const IdeRoot = L"C:\\Program Files\\Fake IDE";
const wchar_t* const Marker = L"C:\\qz-canary-ran.txt";
// BDS 2006 (its help rows run help_reg.bat) and RAD Studio XE2 (dcc32 and
// dcc64).
constexpr uint32_t Versions = 0x400 | 0x8000;

class TCanaryPrograms {
public:
    TCanaryPrograms()
    {
        DeleteFileW(Marker);
        for (const std::wstring& path : FPaths)
            FPlaced = CopyFileW(BinPath(L"qz_canary_program.exe").c_str(), path.c_str(), FALSE) && FPlaced;
    }
    ~TCanaryPrograms()
    {
        for (const std::wstring& path : FPaths)
            DeleteFileW(path.c_str());
        DeleteFileW(Marker);
    }
    TCanaryPrograms(const TCanaryPrograms&) = delete;
    TCanaryPrograms& operator=(const TCanaryPrograms&) = delete;
    bool Placed() const { return FPlaced; }
    // The command lines the canaries were started with, one a line.
    static std::string Runs() { return Narrow(ReadUtf16File(Marker)); }

private:
    std::vector<std::wstring> FPaths = {L"C:\\Program.exe", L"C:\\Program Files\\Orvane.exe",
                                        L"C:\\Program Files\\Fake.exe"};
    bool FPlaced = true;
};

struct TFakeIdesBelowProgramFiles {
    bool Made = MakeFakeIdes(Versions, IdeRoot);
    ~TFakeIdesBelowProgramFiles() { RemoveFakeIdes(Versions, IdeRoot); }
};

void Install()
{
    const TRun run = RunCaptured(QuotePath(BinPath(L"setup.exe")) +
                                 L" /VERYSILENT /IDES=BDS2006,RADStudio9 /ITEMS=help /DIR=\"" + InstallDir + L"\"");
    INFO(run.Output);
    REQUIRE(run.Exit == 0);
    // What proves the programs behind the blanks did run.
    const std::wstring log = ReadUtf16File(CombinePath(InstallDir, L"install.log"));
    CHECK(log.find(L"Register help: " + std::wstring(InstallDir) + L"\\help\\help_reg.bat...Success") !=
          std::wstring::npos);
    for (const wchar_t* package : {L"BDS2006\\qzl2006.bpl", L"RADStudio9\\Win32\\qzl160.bpl",
                                   L"RADStudio9\\Win64\\qzl160.bpl"})
        CHECK_MESSAGE(FileExists(CombinePath(InstallDir, package)), Narrow(package));
}

}  // namespace

TEST_SUITE("security")
{
TEST_CASE("below Program Files: no canary at a blank runs while installing or removing")
{
    ScrubInstallation(InstallDir);
    TFakeIdesBelowProgramFiles ides;
    REQUIRE(ides.Made);
    TCanaryPrograms canaries;
    REQUIRE(canaries.Placed());

    // The trap works: an unquoted path with a blank starts C:\Program.exe.
    REQUIRE(RunProcess(CombinePath(InstallDir, L"untwk.exe") + L" /SILENT") == 0);
    REQUIRE(TCanaryPrograms::Runs().find("Program Files\\Orvane Test") != std::string::npos);
    REQUIRE(DeleteFileW(Marker));

    SUBCASE("removed by the entry's command line through untwk's dialog")
    {
        Install();
        CHECK(RunUninstaller(EntryValue(L"UninstallString"), InstallDir));
    }
    SUBCASE("removed by the entry's quiet command line")
    {
        Install();
        CHECK(RunQuietRemoval(EntryValue(L"QuietUninstallString"), InstallDir) == uxSuccess);
    }
    CHECK_FALSE(PathExists(InstallDir));
    CHECK_MESSAGE(!FileExists(Marker), TCanaryPrograms::Runs());
    ScrubInstallation(InstallDir);
}
}
