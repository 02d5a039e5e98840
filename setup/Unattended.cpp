#include "setup/Unattended.h"

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "catalogue/Choices.h"
#include "script/Script.h"
#include "support/Files.h"
#include "support/Handles.h"
#include "support/SharedState.h"
#include "support/Text.h"

namespace {

// The extra rows of the selection page by their command-line names.
struct TExtraItem {
    const wchar_t* Name;
    uint32_t ItemBit;
};
#include "setup/ExtraItems.inc"

// Lines in install.log's encoding: UTF-16LE without byte-order mark, CR LF.
bool WriteLines(const std::wstring& path, const std::vector<std::wstring>& lines, bool append)
{
    const TFileHandle file(CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, 0, nullptr,
                                       append ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    std::wstring text;
    for (const std::wstring& line : lines)
        text += line + L"\r\n";
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    return size == 0 || (WriteFile(file.Get(), text.data(), size, &written, nullptr) && written == size);
}

// A run that stops before the script leaves no install.log: its reason goes
// to stderr and to the /LOG file.
int Stop(const TUnattendedOptions& options, int code, const std::wstring& message)
{
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error && error != INVALID_HANDLE_VALUE) {
        const std::string text = "setup: " + WideToUtf8(message) + "\n";
        DWORD written = 0;
        WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    if (!options.LogCopy.empty())
        WriteLines(options.LogCopy, {message}, false);
    return code;
}

std::wstring OneLine(std::wstring text)
{
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    for (size_t at; (at = text.find(L"\r\n")) != std::wstring::npos;)
        text.replace(at, 2, L"; ");
    return text;
}

// /IDES: exactly the named installed versions; the proposal then follows
// the first of them.
std::wstring ChooseIdes(const std::vector<std::wstring>& names)
{
    std::vector<TBorlandProduct*> chosen;
    for (const std::wstring& name : names) {
        TBorlandProduct* found = nullptr;
        for (TBorlandProduct& ide : IdeCatalogue)
            if (LowerCase(ide.Name) == LowerCase(name))
                found = &ide;
        if (!found)
            return L"/IDES: unknown IDE version \"" + name + L"\"";
        if (!found->Exists)
            return L"/IDES: " + name + L" is not installed on this computer";
        chosen.push_back(found);
    }
    for (TBorlandProduct& ide : IdeCatalogue) {
        bool picked = false;
        for (const TBorlandProduct* c : chosen)
            picked = picked || c == &ide;
        ide.Selected = picked;
    }
    for (TCustomizeItem& row : CustomizeList)
        if (const TBorlandProduct* ide = IdeByInternalId(row.IdeMask))
            row.Checked = ide->Selected;
    return L"";
}

std::wstring ChooseItems(const std::vector<std::wstring>& names)
{
    uint32_t bits = 0;
    for (const std::wstring& name : names) {
        uint32_t bit = 0;
        for (const TExtraItem& item : ExtraItems)
            if (LowerCase(name) == item.Name)
                bit = item.ItemBit;
        if (bit == 0)
            return L"/ITEMS: unknown item \"" + name + L"\" (" EXTRA_ITEM_NAMES L")";
        bits |= bit;
    }
    for (TCustomizeItem& row : CustomizeList)
        if (row.IdeMask == 0)
            row.Checked = (row.ItemBit & bits) != 0;
    return L"";
}

// /SILENT's window: the status line and the progress bar, nothing to answer.
class TProgressWindow {
public:
    TProgressWindow(HINSTANCE instance, int steps)
    {
        InitCommonControls();
        WNDCLASSW cls = {};
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = instance;
        cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        cls.lpszClassName = L"QZ_PROGRESS";
        RegisterClassW(&cls);
        const int width = 420, height = 110;
        const std::wstring caption = std::wstring(L"Installing ") + Product::Name + L" v" + Product::Version;
        FWindow = CreateWindowExW(0, cls.lpszClassName, caption.c_str(), WS_POPUP | WS_CAPTION,
                                  (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                  instance, nullptr);
        FStatus = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 12, 10, 390, 18,
                                  FWindow, nullptr, instance, nullptr);
        SendMessageW(FStatus, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        FBar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 12, 34, 390, 18, FWindow, nullptr,
                               instance, nullptr);
        SendMessageW(FBar, PBM_SETRANGE, 0, MAKELPARAM(0, steps - 1));
        ShowWindow(FWindow, SW_SHOWNORMAL);
        UpdateWindow(FWindow);
    }
    ~TProgressWindow()
    {
        if (FWindow)
            DestroyWindow(FWindow);
    }
    TProgressWindow(const TProgressWindow&) = delete;
    TProgressWindow& operator=(const TProgressWindow&) = delete;

    void SetStatus(const std::wstring& text) const { SetWindowTextW(FStatus, text.c_str()); }
    void Advance(int step) const
    {
        SendMessageW(FBar, PBM_DELTAPOS, static_cast<WPARAM>(step), 0);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

private:
    HWND FWindow = nullptr;
    HWND FStatus = nullptr;
    HWND FBar = nullptr;
};


// Why a run stops before the script; Code is exSuccess when it does not.
struct TRefusal {
    int Code = exSuccess;
    std::wstring Message;
    explicit operator bool() const { return Code != exSuccess; }
};

// The selection page's presets, then the command line's choices.
TRefusal Choose(const TUnattendedOptions& options)
{
    PresetSelection(ReadPreviousInstall());
    ReadCustomizeItems();
    std::wstring error;
    if (options.HasIdes)
        error = ChooseIdes(options.Ides);
    if (error.empty() && options.HasItems)
        error = ChooseItems(options.Items);
    if (!error.empty())
        return {exBadParameters, error};
    ComputeMasks();
    if (Shared.InstallVersions == 0 && Shared.InstallItems == 0)
        return {exBadParameters, L"Nothing to install: no IDE version and no extra item is chosen"};
    return {};
}

// The destination, which the uninstaller later removes whole, and the IDEs
// that must not run while their packages are replaced; then the folder.
TRefusal PrepareDestination(const TUnattendedOptions& options, std::vector<std::wstring>& notes)
{
    const std::wstring dir = TrimStoredDirectory(options.HasDir ? options.Dir : ProposeDirectory(ReadPreviousRootDir()));
    if (IsProtectedFolder(dir))
        return {exBadParameters, dir.empty() ? std::wstring(L"No destination folder: give one with /DIR")
                                             : L"/DIR: setup cannot install into \"" + dir +
                                                   L"\"; the destination must be a full path to a folder of its own"};

    const std::vector<TRunningIde> running = FindRunningIdes(Shared.InstallVersions);
    if (!running.empty()) {
        const std::wstring list = OneLine(DescribeRunningIdes(running));
        if (!options.Force)
            return {exCannotStart, L"Close the running IDEs first, or add /FORCE: " + list};
        notes.push_back(L"Installed while these IDEs ran (/FORCE): " + list);
    }

    Shared.InstallDir = dir;
    if (const DWORD error = ForceDirectory(dir))
        return {exCannotStart, L"Cannot create \"" + dir + L"\": " + SysErrorMessage(error)};
    return {};
}

// The walk without questions: failures become notes, and /SILENT's window
// shows the status and the progress.
class TUnattendedObserver : public TScriptObserver {
public:
    TUnattendedObserver(const TProgressWindow* window, std::vector<std::wstring>& notes)
        : FWindow(window), FNotes(notes)
    {
    }
    void ItemStarting(const std::wstring& status) override
    {
        if (FWindow)
            FWindow->SetStatus(status);
    }
    void ItemFailed(const std::wstring& message) override { FNotes.push_back(message); }
    void ItemFinished(int progressStep) override
    {
        if (FWindow)
            FWindow->Advance(progressStep);
    }

private:
    const TProgressWindow* FWindow;
    std::vector<std::wstring>& FNotes;
};

int Install(HINSTANCE instance, const TUnattendedOptions& options, std::vector<std::wstring>& notes)
{
    int failedItems = 0;
    {
        TScript script;
        std::unique_ptr<TProgressWindow> window;
        if (options.Ui == TSetupUi::Silent)
            window = std::make_unique<TProgressWindow>(instance, script.ProgressCount());
        TUnattendedObserver observer(window.get(), notes);
        failedItems = script.Run(observer);
    }
    const bool saved = SaveInstallInfo();
    if (!saved)
        notes.push_back(std::wstring(L"Cannot write the values of HKEY_LOCAL_MACHINE\\") + Product::RegKey);

    // Errors follow the items' own lines, so both logs tell the whole story.
    const std::wstring log = CombinePath(Shared.InstallDir, Product::InstallLogName);
    WriteLines(log, notes, true);
    if (!options.LogCopy.empty())
        CopyFileW(log.c_str(), options.LogCopy.c_str(), FALSE);
    return failedItems > 0 || !saved ? exFailedItems : exSuccess;
}

}  // namespace

int RunUnattended(HINSTANCE instance, const TUnattendedOptions& options)
{
    if (!options.Error.empty())
        return Stop(options, exBadParameters, options.Error);
    // The copy must be writable before anything is installed.
    if (!options.LogCopy.empty() && !WriteLines(options.LogCopy, {}, false))
        return Stop(TUnattendedOptions(), exBadParameters,
                    L"/LOG: cannot write \"" + options.LogCopy + L"\": " + SysErrorMessage(GetLastError()));

    std::vector<std::wstring> notes;
    TRefusal refusal = Choose(options);
    if (!refusal)
        refusal = PrepareDestination(options, notes);
    if (refusal)
        return Stop(options, refusal.Code, refusal.Message);
    return Install(instance, options, notes);
}
