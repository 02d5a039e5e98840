#include "uninstall/UntwkDialog.h"

#include <commctrl.h>

#include <string>

#include "catalogue/Product.h"
#include "support/Text.h"

namespace {

constexpr int DialogResourceId = 1;
constexpr DWORD RecordPauseMs = 50;

// Controls of the dialog resource.
enum : int {
    idcMainText = 256,
    idcStatus = 260,
    idcFrame = 261,
    idcProgress = 1009,
    idcStart = 1000,
    idcCancel = 2,
};

// Holds the walk without servicing the dialog, so that each status text
// stays long enough to be read.
void Pause(DWORD ms)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms)
        Sleep(1);
}

class TUntwkDialog : private TDeinstallObserver {
public:
    TUntwkDialog(HINSTANCE instance, TDeinstall& deinstall) : FInstance(instance), FDeinstall(deinstall) {}

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
        SetClassLongPtrW(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(LoadIconW(FInstance, L"MAINICON")));

        const TLoggedProduct& product = FDeinstall.Product();
        FProductText = CapitalFirst(Product::EditionText(product.Edition, product.Name, product.Version));
        SetWindowTextW(dialog, (L"Uninstall for " + product.Name + L" v" + product.Version).c_str());
        SetDlgItemTextW(dialog, idcMainText,
                        (L"Uninstall will remove the \"" + FProductText + L"\" from you computer.\r\n\r\n" +
                         L"Click Start button to perform the uninstall. Click Cancel to exit the uninstall.")
                            .c_str());
        ShowWindow(GetDlgItem(dialog, idcMainText), SW_SHOW);
    }

    bool OnCommand(int id)
    {
        if (id == idcCancel) {
            EndDialog(FDialog, idcCancel);
            return true;
        }
        if (id != idcStart)
            return false;
        if (FDeinstall.DoDeinstall(this) < 0) {
            SetDlgItemTextW(FDialog, idcMainText, L"Uninstall fail.");
            SetDlgItemTextW(FDialog, idcCancel, L"Close");
            ShowWindow(GetDlgItem(FDialog, idcMainText), SW_SHOW);
            EnableWindow(GetDlgItem(FDialog, idcStart), FALSE);
        } else {
            EndDialog(FDialog, idcStart);
        }
        return true;
    }

    void WalkStarting(size_t span) override
    {
        SetDlgItemTextW(FDialog, idcMainText, (L"Performing uninstall of the \"" + FProductText + L"\"...").c_str());
        for (int id : {idcFrame, idcProgress, idcStatus})
            ShowWindow(GetDlgItem(FDialog, id), SW_SHOW);
        EnableWindow(GetDlgItem(FDialog, idcStart), FALSE);
        const size_t top = span > 0 ? span - 1 : 0;
        const HWND progress = GetDlgItem(FDialog, idcProgress);
        if (top <= 0xFFFF)
            SendMessageW(progress, PBM_SETRANGE, 0, MAKELPARAM(0, top));
        else
            SendMessageW(progress, PBM_SETRANGE32, 0, static_cast<LPARAM>(top));
        SendMessageW(progress, PBM_SETPOS, 0, 0);
        EnableWindow(GetDlgItem(FDialog, idcCancel), FALSE);
        UpdateWindow(FDialog);
    }

    void RecordStarting(const std::wstring& status) override { SetDlgItemTextW(FDialog, idcStatus, status.c_str()); }

    void RecordFinished(size_t size) override
    {
        RedrawWindow(FDialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pause(RecordPauseMs);
        SendMessageW(GetDlgItem(FDialog, idcProgress), PBM_DELTAPOS, size, 0);
    }

    void WalkFinished() override { EnableWindow(GetDlgItem(FDialog, idcCancel), TRUE); }

    HINSTANCE FInstance;
    TDeinstall& FDeinstall;
    HWND FDialog = nullptr;
    std::wstring FProductText;  // "Edition of Name vVersion", the edition capitalized
};

}  // namespace

INT_PTR RunUntwkDialog(HINSTANCE instance, TDeinstall& deinstall) { return TUntwkDialog(instance, deinstall).Run(); }
