// untwk: removes an installed copy of the library through its uninstall log,
// with a small dialog that shows what is being undone, or silently with an
// exit code. After a complete removal untwk.exe and the installation folder
// go too, a moment after the program has ended.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/Text.h"
#include "uninstall/Deinstall.h"
#include "uninstall/SelfRemoval.h"
#include "uninstall/UntwkCommandLine.h"
#include "uninstall/UntwkDialog.h"
#include "uninstall/UntwkResult.h"

namespace {

constexpr const wchar_t* ErrorCaption = L"Unistall error";

void ShowError(const std::wstring& text, const wchar_t* caption = ErrorCaption)
{
    MessageBoxW(nullptr, text.c_str(), caption, MB_OK | MB_ICONHAND);
}

bool SameFolder(const std::wstring& a, const std::wstring& b)
{
    auto trimmed = [](std::wstring path) {
        while (path.size() > 3 && path.back() == L'\\')
            path.pop_back();
        return path;
    };
    return !a.empty() && CompareStringOrdinal(trimmed(a).c_str(), -1, trimmed(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// After a complete removal the installation folder of the log holds only
// this program, which then has itself and the folder removed once it ends.
// An untwk.exe elsewhere, or a partial removal, leaves the program alone.
void RemoveSelfIfLast(const std::wstring& installDir, bool partial)
{
    const std::wstring self = OwnProgramPath();
    const TPathParts parts = SplitPath(self);
    if (!partial && SameFolder(parts.Folder, installDir) && FolderHoldsOnly(parts.Folder, parts.Name))
        RemoveAfterExit(self, parts.Folder);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    std::vector<std::wstring> params = ProcessParameters();
    if (!params.empty())
        params.erase(params.begin());  // the program's own name
    const TUntwkCommandLine commandLine = ParseUntwkCommandLine(params);
    InitCommonControls();
    TDeinstall deinstall;
    deinstall.flPartialUninstall = commandLine.PartialUninstall;
    const std::wstring& path = commandLine.LogPath;
    // Silent callers get "no log" for a missing path, whatever switches came.
    const bool noLog = !commandLine.HasParameters || (commandLine.Silent && path.empty());
    const int outcome = noLog ? -1 : deinstall.PrepareUninstFile(path);
    const std::wstring reasonFile = ReasonFilePath(path);
    // The log is read: the caller's directory, perhaps the installation
    // folder, is not kept in use during the walk.
    SetCurrentDirectoryW(TempDirectory().c_str());

    if (commandLine.Silent) {
        DeleteFileW(reasonFile.c_str());  // one from an earlier run would mislead
        if (outcome != 0) {
            WriteReasonFile(reasonFile, OutcomeMessage(outcome, path));
            return ExitCodeOf(outcome);
        }
        deinstall.PrepareDeinstall();
        // The undo steps find the IDEs' folders in the catalogue.
        DetectInstalledIdes();
        deinstall.DoDeinstall();
        if (deinstall.StopResult != 0) {
            WriteReasonFile(reasonFile, StoppedMessage(deinstall.StopResult));
            return uxWalkStopped;
        }
        RemoveSelfIfLast(deinstall.Product().InstallDir, commandLine.PartialUninstall);
        return uxSuccess;
    }

    if (outcome == 0) {
        deinstall.PrepareDeinstall();
        DetectInstalledIdes();
        if (RunUntwkDialog(instance, deinstall) < 0)
            ShowError(L"Could not create Uninstall dialog", L"Fatal Error");
        else
            RemoveSelfIfLast(deinstall.Product().InstallDir, deinstall.flPartialUninstall);
    } else {
        ShowError(OutcomeMessage(outcome, path));
    }
    return 0;
}
