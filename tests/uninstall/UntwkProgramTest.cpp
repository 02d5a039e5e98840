// untwk.exe as a real process: its message boxes and its dialog, found by
// their titles and driven from outside.
#include "tests/uninstall/LogBuilder.h"

namespace {

const wchar_t* const DialogTitle = L"Uninstall for Orvane library v4.07";

std::wstring WindowText(HWND window)
{
    wchar_t buffer[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    return buffer;
}

class TUntwk {
public:
    explicit TUntwk(const std::wstring& arguments, const std::wstring& program = BinPath(L"untwk.exe"))
    {
        std::wstring line = QuotePath(program) + (arguments.empty() ? L"" : L" " + arguments);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION raw = {};
        if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &raw))
            FProcess.Take(raw);
    }
    ~TUntwk()
    {
        if (FProcess.Process && !Ended(0)) {
            TerminateProcess(FProcess.Process.Get(), 1);
            Ended(5000);
        }
    }
    bool Started() const { return static_cast<bool>(FProcess.Process); }
    bool Ended(DWORD timeoutMs) const
    {
        return WaitForSingleObject(FProcess.Process.Get(), timeoutMs) == WAIT_OBJECT_0;
    }

    // A visible dialog with that title. Tests on the display run one at a
    // time: the title is what tells them.
    HWND FindWindowTitled(const std::wstring& title, DWORD timeoutMs = 20000) const
    {
        HWND found = nullptr;
        WaitUntil([&] {
            found = FindWindowW(L"#32770", title.c_str());
            return (found && IsWindowVisible(found)) || Ended(0);
        }, timeoutMs);
        return found && IsWindowVisible(found) ? found : nullptr;
    }

private:
    TProcessInfo FProcess;
};

// The text of a message box: its non-empty static text control.
std::wstring MessageText(HWND box)
{
    std::wstring text;
    for (HWND child = nullptr; (child = FindWindowExW(box, child, L"Static", nullptr)) != nullptr;)
        if (!WindowText(child).empty())
            text = WindowText(child);
    return text;
}

// Starts untwk, expects its error box, reads it and closes it.
std::wstring ErrorBoxOf(const std::wstring& arguments)
{
    TUntwk untwk(arguments);
    REQUIRE(untwk.Started());
    const HWND box = untwk.FindWindowTitled(L"Unistall error");
    REQUIRE(box);
    CHECK_FALSE(untwk.FindWindowTitled(DialogTitle, 0));
    const std::wstring text = MessageText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    CHECK(untwk.Ended(10000));
    return text;
}

void Click(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace

TEST_CASE("untwk reports a missing or bad log in a message box")
{
    TScratchDir dir(L"untwk-bad");
    CHECK(ErrorBoxOf(L"") == L"No file with uninstall info.");
    const std::wstring missing = dir / L"missing.log";
    CHECK(ErrorBoxOf(missing) == L"Could not open " + missing + L" file.");
    const std::wstring five = dir / L"five.log";
    REQUIRE(WriteFileBytes(five, "UNTWK"));
    CHECK(ErrorBoxOf(five) == L"Invalid " + five + L" file.");
}

TEST_CASE("untwk's dialog on an installation with blanks in its path")
{
    TScratchDir dir(L"untwk");
    const std::wstring inst = dir / L"with blanks\\Orvane lib";
    const std::wstring untwkExe = inst + L"\\untwk.exe";
    const std::wstring templates = CombinePath(GetKindDir(1), L"qz-untwk-templates.dat");
    REQUIRE(MakeFolder(inst + L"\\Source"));
    REQUIRE(CopyFileW(BinPath(L"untwk.exe").c_str(), untwkExe.c_str(), FALSE));
    REQUIRE(WriteFileBytes(inst + L"\\Source\\qzl.pas", "unit qzl;"));
    REQUIRE(WriteFileBytes(templates, "templates"));
    TLogBuilder log;
    log.Products(inst)
        .Add(opCreateFolder, 0, 3, L"")
        .Add(opCreateFolder, 0, 3, L"Source")
        .Add(opCopyPayloadIfNewer, 28, 3, L"untwk.exe")
        .Add(opCopyPayloadIfMissing, 31, 1, L"qz-untwk-templates.dat", ifLogged | ifKeepOnPartial)
        .Add(opDeleteSingleFile, 0, 3, L"Source\\qzl.pas");
    const std::wstring logPath = QuotePath(inst + L"\\uninst.log");
    REQUIRE(WriteFileBytes(inst + L"\\uninst.log", log.Bytes()));

    SUBCASE("the quoted path opens the dialog; Cancel changes nothing")
    {
        TUntwk untwk(logPath, untwkExe);
        const HWND dialog = untwk.FindWindowTitled(DialogTitle);
        REQUIRE(dialog);
        CHECK(WindowText(GetDlgItem(dialog, 256)) ==
              L"Uninstall will remove the \"Trial version of Orvane library v4.07\" from you computer.\r\n\r\n"
              L"Click Start button to perform the uninstall. Click Cancel to exit the uninstall.");
        CHECK(IsWindowVisible(GetDlgItem(dialog, 256)));
        for (int hidden : {260, 261, 1009})
            CHECK_FALSE(IsWindowVisible(GetDlgItem(dialog, hidden)));
        CHECK(IsWindowVisible(GetDlgItem(dialog, 501)));
        Click(dialog, IDCANCEL);
        CHECK(untwk.Ended(10000));
        Sleep(3000);  // a removal of untwk.exe would have been scheduled right away
        CHECK(FileExists(untwkExe));
        CHECK(FileExists(inst + L"\\Source\\qzl.pas"));
    }
    // Start undoes the log, closes the dialog and removes untwk.exe with its folder.
    const auto start = [&](const std::wstring& switches) {
        TUntwk untwk(switches + logPath, untwkExe);
        const HWND dialog = untwk.FindWindowTitled(DialogTitle);
        REQUIRE(dialog);
        Click(dialog, 1000);
        CHECK(untwk.Ended(20000));
        CHECK_FALSE(PathExists(templates));
        CHECK(WaitUntil([&] { return !PathExists(inst); }, 60000));
    };
    SUBCASE("Start") { start(L""); }
    SUBCASE("/P then /Q turns partial mode off again") { start(L"/P /Q "); }
    DeleteFileW(templates.c_str());
}
