// A setup killed in the middle of the script, then a fresh installation into
// the same directory: the result equals a clean installation, and removing
// it leaves only the documented remainder.
//
// Why this holds, and where it would not: the uninstall log is written record
// by record without buffering, so a killed run leaves a log of whole records
// of what it did. From the RegisterUninstaller item on, the uninstall entry
// points at that log and the fresh run's UninstallPrevious undoes it (the
// half-done IDE block has no closing SelectProduct, so its package and path
// records are met without a current product and stay; the fresh run finds
// them present, logs them again, and its own log removes them later). Before
// that item no entry exists: the fresh run cannot find the killed run's log,
// replaces it, and relies on doing the same items again, which rewrites the
// same files and finds the same registry entries present. Left by a killed
// run that the fresh one cannot repair: nothing in these cases; an older
// installation's records would be lost if the killed run had replaced that
// log before its entry was written (UninstallPrevious runs first, so the old
// installation is already removed by then).
#include <algorithm>

#include "catalogue/Catalogue.h"
#include "script/ScriptItem.h"
#include "support/Utils.h"
#include "tests/robustness/Residue.h"
#include "tests/robustness/RobustEnv.h"

namespace {

const wchar_t* const Parent = L"C:\\qz-robust-kill";
const wchar_t* const InstallDir = L"C:\\qz-robust-kill\\Orvane library";
// One Delphi with help files and one IDE with Win32 and Win64 branches: each
// kind of item at a fraction of the full set's compiler runs.
constexpr uint32_t KillVersions = 0x100 | 0x8000;

struct TKillPoint {
    const char* What;
    int Index;
};

// The first item of a type at or after from, inside the block of catalogue
// entry (0: outside every IDE block).
int FindItem(uint16_t typeId, int entry = 0, int from = 0)
{
    int current = 0;
    bool inBlock = false;
    for (int i = 0; i < ScriptItemCount; ++i) {
        const TScriptItem& item = ScriptItems[i];
        if (TypeIdOf(item.Id) == opSelectProduct) {
            inBlock = !(inBlock && current == static_cast<int>(item.Code));
            current = static_cast<int>(item.Code);
        }
        if (i >= from && TypeIdOf(item.Id) == typeId && (inBlock ? current : 0) == entry)
            return i;
    }
    return -1;
}

std::vector<TKillPoint> KillPoints()
{
    const int delphi7 = FindItem(opSelectProduct, 9);
    const int xe2Win64 = FindItem(opIfFileExists, 16);
    return {
        {"first CreateFolder", FindItem(opCreateFolder)},
        {"first CopyPayloadFile", FindItem(opCopyPayloadFile)},
        {"RegisterWinHelp", FindItem(opRegisterWinHelp)},
        {"CopyPayloadIfMissing", FindItem(opCopyPayloadIfMissing)},
        {"RegisterUninstaller", FindItem(opRegisterUninstaller)},
        {"SelectProduct Delphi 7", delphi7},
        {"CompilePackage Delphi 7", FindItem(opCompilePackage, 9)},
        {"RegisterPackage Delphi 7", FindItem(opRegisterPackage, 9, delphi7)},
        {"AppendToHelpConfig Delphi 7", FindItem(opAppendToHelpConfig, 9, delphi7)},
        {"MergeFiles Delphi 7", FindItem(opMergeFiles, 9, delphi7)},
        {"CompilePackage RAD Studio XE2 Win32", FindItem(opCompilePackage, 16)},
        {"AddIdePath RAD Studio XE2", FindItem(opAddIdePath, 16)},
        {"CompilePackage RAD Studio XE2 Win64", FindItem(opCompilePackage, 16, xe2Win64)},
        {"first DeleteSingleFile of the sources", FindItem(opDeleteSingleFile)},
        {"last item", ScriptItemCount - 1},
    };
}

}  // namespace

TEST_SUITE("kill")
{
TEST_CASE("killed at an item, then installed afresh: as clean, and removable")
{
    TRobustIdes ides(KillVersions);
    REQUIRE(ides.Made());
    ScrubInstallation(InstallDir);
    // The parent is the user's: folders ForceDirectory creates above the
    // installation directory are not logged and stay after a removal.
    REQUIRE(ForceDirectory(Parent) == 0);
    const TSnapshot before = TakeSnapshot();
    REQUIRE(InstallInto(InstallDir, L"", KillVersions).Exit == 0);
    const TSnapshot clean = TakeSnapshot();
    const std::wstring log = CombinePath(InstallDir, L"uninst.log");
    REQUIRE(Headless(L"--uninstall " + QuotePath(log)).Exit == 0);
    ScrubInstallation(InstallDir);

    for (const TKillPoint& point : KillPoints()) {
        INFO("killed before item " << point.Index << " (" << std::string(point.What) << ")");
        REQUIRE(point.Index >= 0);
        CHECK(InstallInto(InstallDir, L"--kill-at " + std::to_wstring(point.Index), KillVersions).Exit == 3);
        const TRun fresh = InstallInto(InstallDir, L"", KillVersions);
        INFO(fresh.Output);
        CHECK(fresh.Exit == 0);
        // The text log says "...Already" where the killed run got there first.
        std::vector<std::wstring> diff =
            Unexpected(SnapshotDiff(clean, TakeSnapshot()), {L"F " + std::wstring(InstallDir) + L"\\install.log"});
        CHECK_MESSAGE(diff.empty(), Lines(diff));

        CHECK(Headless(L"--uninstall " + QuotePath(log)).Exit == 0);
        diff = Unexpected(SnapshotDiff(before, TakeSnapshot()), DocumentedRemainder());
        CHECK_MESSAGE(diff.empty(), Lines(diff));
        CHECK_FALSE(PathExists(InstallDir));
        ScrubInstallation(InstallDir);
    }
    RemoveDirectoryW(Parent);
}
}
