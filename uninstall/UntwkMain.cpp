// untwk: removes an installed copy of the library through its uninstall log,
// with a small dialog that shows what is being undone, or silently with an
// exit code. After a complete removal untwk.exe and the installation folder
// go too, a moment after the program has ended.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "catalogue/Product.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/SharedState.h"
#include "support/Text.h"
#include "uninstall/Deinstall.h"
#include "uninstall/SelfRemoval.h"
#include "uninstall/UntwkCommandLine.h"
#include "uninstall/UntwkResult.h"

namespace {

constexpr const wchar_t* ErrorCaption = L"Unistall error";
constexpr int DialogResourceId = 1;

class TUntwkDialog {
public:
    TUntwkDialog(HINSTANCE instance, TDeinstall& deinstall) : FInstance(instance), FDeinstall(deinstall) {}

    // DialogBoxParamW's result: 1000 after the walk, 2 on Cancel, -1 when the
    // dialog could not be created.
    INT_PTR Run()
    {
        return DialogBoxParamW(FInstance, MAKEINTRESOURCEW(DialogResourceId), nullptr, DialogProc,
                               reinterpret_cast<LPARAM>(this));
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<TUntwkDialog*>(lParam)->OnInitDialog(dialog);
            return TRUE;
        }
        auto* self = reinterpret_cast<TUntwkDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (self && message == WM_COMMAND)
            return self->OnCommand(LOWORD(wParam)) ? TRUE : FALSE;
        return FALSE;
    }

    void OnInitDialog(HWND dialog)
    {
        FDialog = dialog;
        FDeinstall.SetDialogHandle(dialog);
        SetClassLongPtrW(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(LoadIconW(FInstance, L"MAINICON")));

        FDeinstall.sProductText = CapitalFirst(
            Product::EditionText(FDeinstall.ProductType, FDeinstall.ProductName, FDeinstall.ProductVersion));
        FDeinstall.sMainText =
            L"Uninstall will remove the \"" + FDeinstall.sProductText + L"\" from you computer.\r\n\r\n";
        const std::wstring title = L"Uninstall for " + FDeinstall.ProductName + L" v" + FDeinstall.ProductVersion;
        SetWindowTextW(dialog, title.c_str());
        SetDlgItemTextW(dialog, idcDeinstMainText,
                        (FDeinstall.sMainText +
                         L"Click Start button to perform the uninstall. Click Cancel to exit the uninstall.")
                            .c_str());
        ShowWindow(GetDlgItem(dialog, idcDeinstMainText), SW_SHOW);
    }

    bool OnCommand(int id)
    {
        if (id == idcDeinstCancel) {
            EndDialog(FDialog, idcDeinstCancel);
            return true;
        }
        if (id != idcDeinstStart)
            return false;
        if (FDeinstall.DoDeinstall() < 0) {
            SetDlgItemTextW(FDialog, idcDeinstMainText, L"Uninstall fail.");
            SetDlgItemTextW(FDialog, idcDeinstCancel, L"Close");
            ShowWindow(GetDlgItem(FDialog, idcDeinstMainText), SW_SHOW);
            EnableWindow(GetDlgItem(FDialog, idcDeinstStart), FALSE);
        } else {
            EndDialog(FDialog, idcDeinstStart);
        }
        return true;
    }

    HINSTANCE FInstance;
    TDeinstall& FDeinstall;
    HWND FDialog = nullptr;
};

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
        const std::wstring installDir = Shared.InstallDir;
        deinstall.DoDeinstall();
        if (deinstall.StopResult != 0) {
            WriteReasonFile(reasonFile, StoppedMessage(deinstall.StopResult));
            return uxWalkStopped;
        }
        RemoveSelfIfLast(installDir, commandLine.PartialUninstall);
        return uxSuccess;
    }

    if (outcome == 0) {
        deinstall.PrepareDeinstall();
        const std::wstring installDir = Shared.InstallDir;
        if (TUntwkDialog(instance, deinstall).Run() < 0)
            ShowError(L"Could not create Uninstall dialog", L"Fatal Error");
        else
            RemoveSelfIfLast(installDir, deinstall.flPartialUninstall);
    } else {
        ShowError(OutcomeMessage(outcome, path));
    }
    return 0;
}
