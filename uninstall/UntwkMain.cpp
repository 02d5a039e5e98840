// untwk: removes an installed copy of the library through its uninstall log,
// with a small dialog that shows what is being undone.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "support/Handles.h"
#include "uninstall/Deinstall.h"
#include "uninstall/UntwkCommandLine.h"

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

        std::wstring type = FDeinstall.ProductType;
        if (!type.empty() && type[0] >= L'a' && type[0] <= L'z')
            type[0] = static_cast<wchar_t>(type[0] - L'a' + L'A');
        const std::wstring nameAndVersion = FDeinstall.ProductName + L" v" + FDeinstall.ProductVersion;
        FDeinstall.sProductText = type + L" of " + nameAndVersion;
        FDeinstall.sMainText =
            L"Uninstall will remove the \"" + FDeinstall.sProductText + L"\" from you computer.\r\n\r\n";
        SetWindowTextW(dialog, (L"Uninstall for " + nameAndVersion).c_str());
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

std::vector<std::wstring> CommandLineParameters()
{
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    const TLocalMem owner(reinterpret_cast<HLOCAL>(argv));
    std::vector<std::wstring> params;
    for (int i = 1; argv && i < count; ++i)
        params.emplace_back(argv[i]);
    return params;
}

void ShowError(const std::wstring& text, const wchar_t* caption = ErrorCaption)
{
    MessageBoxW(nullptr, text.c_str(), caption, MB_OK | MB_ICONHAND);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    InitCommonControls();
    TDeinstall deinstall;
    const TUntwkCommandLine commandLine = ParseUntwkCommandLine(CommandLineParameters());
    deinstall.flPartialUninstall = commandLine.PartialUninstall;
    const std::wstring& path = commandLine.LogPath;
    switch (commandLine.HasParameters ? deinstall.PrepareUninstFile(path) : -1) {
    case 0:
        deinstall.PrepareDeinstall();
        if (TUntwkDialog(instance, deinstall).Run() < 0)
            ShowError(L"Could not create Uninstall dialog", L"Fatal Error");
        break;
    case -1:
        ShowError(L"No file with uninstall info.");
        break;
    case -2:
        ShowError(L"Could not open " + path + L" file.");
        break;
    default:  // -3 empty, -4 no header, -5 damaged records
        ShowError(L"Invalid " + path + L" file.");
        break;
    }
    return 0;
}
