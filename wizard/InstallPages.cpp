// Directory, ready, progress and finish pages.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <vector>

#include "catalogue/Catalogue.h"
#include "catalogue/Choices.h"
#include "script/Script.h"
#include "support/Files.h"
#include "support/SharedState.h"
#include "wizard/Pages.h"
#include "wizard/WizardIds.h"

namespace {

constexpr int DirectoryLimit = 260;  // characters read from the edit, terminator included

std::wstring ProductSuffix()
{
    return Product::EditionText() + L" on you computer.";
}

}  // namespace

// ---- Directory ------------------------------------------------------------------

int TPageSelectDirectory::Show()
{
    if (FFirstShow) {
        ReadPreviousPath();
        ProposeDirectory();
        FFirstShow = false;
    } else {
        Directory = Shared.InstallDir;
    }
    SizeTextArea(2);
    const std::wstring name = Product::Name;
    SetItemText(IDC_TEXT, L"Setup will install " + name +
                              L" into following folder, click Browse, and select another folder.\r\n\r\n"
                              L"You can choose not to install " + name + L" by clicking Cancel to exit Setup.");
    ShowItem(IDC_TEXT, true);
    ShowItem(IDC_BROWSE, true);
    ShowItem(IDC_DEST_GROUP, true);
    ShowItem(IDC_DIRECTORY, true);
    ShowDirectory();
    return 1;
}

void TPageSelectDirectory::ReadPreviousPath() { FPrevInstallPath = ReadPreviousRootDir(); }

void TPageSelectDirectory::ProposeDirectory() { Directory = ::ProposeDirectory(FPrevInstallPath); }

void TPageSelectDirectory::ShowDirectory()
{
    const HWND edit = Item(IDC_DIRECTORY);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Directory.c_str()));
    SendMessageW(edit, EM_SETSEL, Directory.size(), static_cast<LPARAM>(Directory.size()));
    SetFocus(edit);
}

INT_PTR TPageSelectDirectory::DlgProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = TPage::DlgProc(msg, wParam, lParam);
    if (msg != WM_COMMAND || LOWORD(wParam) != IDC_BROWSE)
        return result;
    if (BrowseForDirectory()) {
        // Any folder but the previous installation's gets a folder of its own.
        if (Directory != FPrevInstallPath && !Directory.empty()) {
            if (Directory.back() != L'\\')
                Directory += L'\\';
            Directory += Product::DefaultFolder;
        }
        ShowDirectory();
    }
    return 1;
}

bool TPageSelectDirectory::BrowseForDirectory()
{
    Directory.clear();
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator)
        return false;
    bool chosen = false;
    auto* name = static_cast<wchar_t*>(allocator->Alloc(MAX_PATH * sizeof(wchar_t)));
    if (name) {
        name[0] = L'\0';
        const std::wstring title = std::wstring(L"Select directory for ") + Product::Name;
        BROWSEINFOW info = {};
        info.hwndOwner = DlgHandle;
        info.pszDisplayName = name;
        info.lpszTitle = title.c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        info.lpfn = BrowseCallback;
        info.lParam = reinterpret_cast<LPARAM>(this);
        if (LPITEMIDLIST list = SHBrowseForFolderW(&info)) {
            if (!SHGetPathFromIDListW(list, name))
                name[0] = L'\0';
            allocator->Free(list);
            Directory = name;
            chosen = true;
        }
        allocator->Free(name);
    }
    allocator->Release();
    return chosen;
}

int CALLBACK TPageSelectDirectory::BrowseCallback(HWND window, UINT msg, LPARAM, LPARAM data)
{
    if (msg == BFFM_INITIALIZED)
        reinterpret_cast<const TPageSelectDirectory*>(data)->PlaceBrowseWindow(window);
    return 0;
}

void TPageSelectDirectory::PlaceBrowseWindow(HWND window) const
{
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT button = {};
    GetWindowRect(Item(IDC_BROWSE), &button);
    RECT browser = {};
    GetWindowRect(window, &browser);
    const int height = browser.bottom - browser.top;
    const int left = button.right - (browser.right - browser.left);
    int top = button.bottom + 1;
    if (top + height > work.bottom)
        top = work.bottom - height;
    SetWindowPos(window, HWND_TOPMOST, left, top, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}

std::wstring TPageSelectDirectory::EnteredText() const
{
    wchar_t text[DirectoryLimit] = {};
    SendMessageW(Item(IDC_DIRECTORY), WM_GETTEXT, DirectoryLimit, reinterpret_cast<LPARAM>(text));
    return text;
}

bool TPageSelectDirectory::CanLeave()
{
    // The uninstaller removes the destination as a whole later on.
    const std::wstring typed = EnteredText();
    if (!IsProtectedFolder(TrimStoredDirectory(typed)))
        return true;
    const std::wstring text =
        typed.empty()
            ? std::wstring(L"Please enter the folder to install ") + Product::Name + L" into."
            : L"Setup cannot install into \"" + typed +
                  L"\".\r\n\r\nThe destination must be a full path to a folder of its own, not a drive root "
                  L"or the Windows, system or Program Files folder itself. Please choose another folder.";
    MessageBoxW(DlgHandle, text.c_str(), L"Error", MB_OK | MB_ICONERROR);
    SetFocus(Item(IDC_DIRECTORY));
    return false;
}

int TPageSelectDirectory::Hide()
{
    Shared.InstallDir = TrimStoredDirectory(EnteredText());
    ShowItem(IDC_BROWSE, false);
    ShowItem(IDC_DEST_GROUP, false);
    ShowItem(IDC_DIRECTORY, false);
    return 1;
}

// ---- Ready ------------------------------------------------------------------------

int TPageReadyForInstall::Show()
{
    SizeTextArea(2);
    SetItemText(IDC_TEXT, L"You are now ready to install " + ProductSuffix() +
                              L"\r\n\r\nPress the Start button to begin the installation or the Back button to "
                              L"reenter the installation information.");
    ShowItem(IDC_TEXT, true);
    SetItemText(IDC_NEXT, L"Start");
    SetFocus(Item(IDC_NEXT));
    return 1;
}

static std::wstring RunningIdesQuestion(const std::wstring& list)
{
    return L"Please close these programs before the installation starts:\r\n\r\n" + list +
           L"\r\nRetry checks again, Ignore installs anyway, Abort returns to the summary.";
}

bool TPageReadyForInstall::CanLeave()
{
    // A running IDE keeps its packages open and writes its settings back
    // when it closes, over what the script registers.
    for (;;) {
        const std::vector<TRunningIde> running = FindRunningIdes(Shared.InstallVersions);
        if (running.empty())
            return true;
        const std::wstring text = RunningIdesQuestion(DescribeRunningIdes(running));
        switch (MessageBoxW(DlgHandle, text.c_str(), L"Install", MB_ABORTRETRYIGNORE | MB_ICONWARNING)) {
        case IDRETRY:
            continue;
        case IDIGNORE:
            return true;
        default:
            return false;
        }
    }
}

int TPageReadyForInstall::Hide()
{
    SetItemText(IDC_NEXT, L"&Next >");
    return 1;
}

// ---- Progress ---------------------------------------------------------------------

int TPageProgress::Show()
{
    ShowItem(IDC_PROGRESS_GROUP, true);
    ShowItem(IDC_PROGRESS, true);
    ShowItem(IDC_STATUS, true);
    EnableWindow(Item(IDC_NEXT), FALSE);
    EnableWindow(Item(IDC_BACK), FALSE);
    UpdateWindow(DlgHandle);
    SetItemText(IDC_TEXT, L"Performing install of the " + ProductSuffix() + L"\r\n\r\nPlease wait...");
    return DoScript();
}

int TPageProgress::Hide()
{
    ShowItem(IDC_PROGRESS_GROUP, false);
    ShowItem(IDC_PROGRESS, false);
    ShowItem(IDC_STATUS, false);
    return 1;
}

void TPageProgress::SetScript(const TScriptItem* items, int count)
{
    FItems = items;
    FItemCount = count;
}

void TPageProgress::SetText(const std::wstring& value) const { SetItemText(IDC_STATUS, value); }

namespace {

// The page's side of the walk: status line, error boxes, progress bar, and
// one keyboard or mouse message per item, which keeps Cancel and the link
// alive without the dialog manager's key handling.
class TProgressObserver : public TScriptObserver {
public:
    TProgressObserver(const TPageProgress& page, HWND bar) : FPage(page), FBar(bar) {}
    void ItemStarting(const std::wstring& status) override { FPage.SetText(status); }
    void ItemFailed(const std::wstring& message) override
    {
        MessageBoxW(FPage.DlgHandle, message.c_str(), L"Error", MB_OK);
    }
    void ItemFinished(int progressStep) override
    {
        SendMessageW(FBar, PBM_DELTAPOS, static_cast<WPARAM>(progressStep), 0);
        MSG msg;
        if (PeekMessageW(&msg, nullptr, WM_KEYFIRST, 0x0109, PM_REMOVE) ||
            PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, 0x020E, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

private:
    const TPageProgress& FPage;
    HWND FBar;
};

}  // namespace

int TPageProgress::DoScript()
{
    FInDoScript = true;
    {
        TScript script(FItems, FItemCount);
        const HWND bar = Item(IDC_PROGRESS);
        SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, script.ProgressCount() - 1));
        SendMessageW(bar, PBM_SETPOS, 0, 0);
        TProgressObserver observer(*this, bar);
        script.Run(observer);
        EnableWindow(Item(IDC_NEXT), TRUE);
        SendMessageW(Item(IDC_NEXT), BM_CLICK, 0, 0);
        Hide();
    }
    FInDoScript = false;
    return 1;
}

// ---- Finish -------------------------------------------------------------------------

int TPageFinish::Show()
{
    ShowItem(IDC_BACK, false);
    ShowItem(IDC_NEXT, false);
    SetFocus(Item(IDCANCEL));
    SendMessageW(Item(IDCANCEL), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    SetItemText(IDC_TEXT, L"Setup has finished installing " + ProductSuffix() + L"\r\n\r\nClick Finish to exit Setup.");
    SetItemText(IDCANCEL, L"Finish");
    return SaveInstallInfo() ? 1 : 0;
}
