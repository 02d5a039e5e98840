// The wizard frame's page protocol, with pages that record what the frame
// asks of them, and the check list box on the wizard's own list.
#include "tests/unit/UnitTest.h"

#include "wizard/Pages.h"
#include "wizard/WizardIds.h"

namespace {

std::string Trace;  // "+n" Show and "-n" Hide of page n, "cID" a command a page got

struct TProbePage : TPage {
    explicit TProbePage(char id) : Id(id) {}
    int Show() override { Trace += std::string("+") + Id; return ShowResult; }
    int Hide() override { Trace += std::string("-") + Id; return 1; }
    bool CanLeave() override { return Leave; }
    INT_PTR DlgProc(UINT, WPARAM wParam, LPARAM) override { Trace += "c" + std::to_string(LOWORD(wParam)); return 1; }
    char Id;
    int ShowResult = 1;
    bool Leave = true;
};

// The wizard dialog on probe pages and the real ready and finish pages; the finish page writes the product
// key into the sandbox.
struct TWizardRig : TSandbox {
    TProbePage P1{'1'}, P2{'2'}, P3{'3'}, P5{'5'};
    TPageReadyForInstall Ready;
    TPageFinish Finish;
    HWND Dialog;
    TWizardRig()
    {
        TPage* const pages[] = {nullptr, &P1, &P2, &P3, &Ready, &P5, &Finish};
        std::copy(std::begin(pages), std::end(pages), Wizard.Pages);
        Wizard.CurrentPage = 1;
        Trace.clear();
        RegisterLinkClass(GetModuleHandleW(nullptr));
        Dialog = CreateDialogW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_WIZARD), nullptr, WizardDlgProc);
        REQUIRE(Dialog);
        ShowWindow(Dialog, SW_SHOW);
    }
    ~TWizardRig() { DestroyWindow(Dialog); }
    HWND Item(int id) const { return GetDlgItem(Dialog, id); }
    std::wstring Text(int id) const { wchar_t text[64] = {}; GetWindowTextW(Item(id), text, 64); return text; }
    // Sends the commands; a question one asks gets the answer from a timer. The questions asked.
    int Press(std::initializer_list<WPARAM> ids, WPARAM answer = IDNO) const
    {
        static WPARAM Answer;
        static int Questions;
        Answer = answer, Questions = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
            if (const HWND box = FindWindowW(L"#32770", L"Install"); box && ++Questions)
                PostMessageW(box, WM_COMMAND, Answer, 0);
        });
        for (WPARAM id : ids)
            SendMessageW(Dialog, WM_COMMAND, id, 0);
        KillTimer(nullptr, timer);
        return Questions;
    }
};

}  // namespace

TEST_CASE("the wizard frame moves between pages by the page protocol")
{
    {
        TWizardRig confirmed;
        CHECK(confirmed.Press({IDCANCEL}, IDYES) == 1);
        CHECK_FALSE(IsWindowVisible(confirmed.Dialog));
    }
    TWizardRig rig;
    CHECK((!IsWindowEnabled(rig.Item(IDC_BACK)) && IsWindowEnabled(rig.Item(IDC_NEXT))));
    // A page that cannot be left stays; commands of page controls reach the current page; No keeps it all.
    rig.P2.Leave = false;
    CHECK(rig.Press({IDC_NEXT, IDC_NEXT, IDC_BROWSE, IDCANCEL}) == 1);
    CHECK((IsWindowVisible(rig.Dialog) && IsWindowEnabled(rig.Item(IDC_BACK))));
    rig.P2.Leave = true;
    rig.P3.ShowResult = PageMoveNext;  // asks to move on at once
    rig.Press({IDC_NEXT});
    CHECK(rig.Text(IDC_NEXT) == L"Start");  // while the ready page is shown
    rig.P3.ShowResult = 1;
    rig.Press({IDC_BACK});
    CHECK(rig.Text(IDC_NEXT) == L"&Next >");
    rig.Press({IDC_BACK});
    CHECK(Trace == "+1-1+2c1002-2+3-3+3-3+2");
    rig.P5.ShowResult = PageMoveNext;
    rig.Press({IDC_NEXT, IDC_NEXT, IDC_NEXT});
    CHECK(rig.Text(IDCANCEL) == L"Finish");
    CHECK((Wizard.CurrentPage == 6 && !IsWindowEnabled(rig.Item(IDC_NEXT))));
    CHECK(rig.Press({IDCANCEL}) == 0);  // on the finish page Cancel closes without a question
    CHECK_FALSE(IsWindowVisible(rig.Dialog));
}

TEST_CASE("the check list box toggles enabled rows by mouse and space bar and keeps disabled ones")
{
    TWizardRig rig;
    const HWND list = rig.Item(IDC_VERSIONS);
    TtwkCheckListBox clb(list);
    int checkClicks = 0;
    clb.OnCheckClick = [&](TtwkCheckListBox* sender) { checkClicks += sender == &clb; };
    for (const wchar_t* row : {L"enabled", L"disabled", L"checked, disabled"})
        clb.Add(row);
    clb.SetEnabled(1, false);
    clb.SetChecked(2, true);
    clb.SetEnabled(2, false);
    const auto mouse = [&](std::initializer_list<UINT> messages, int row) {
        RECT item = {};
        SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        for (UINT msg : messages)
            SendMessageW(list, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(item.left + 30, item.top + 2));
    };
    mouse({WM_LBUTTONDOWN}, 0);  // a click toggles the row under the mouse once, on the release
    CHECK_FALSE(clb.GetChecked(0));
    mouse({WM_LBUTTONUP}, 0);
    CHECK((clb.GetChecked(0) && clb.Selected() == 0 && checkClicks == 1));
    // A double click toggles twice; a release without its press does nothing.
    mouse({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONUP}, 0);
    CHECK((clb.GetChecked(0) && checkClicks == 3));
    // Disabled rows are selected by a click but keep their check against mouse and space bar.
    for (int row : {1, 2}) {
        mouse({WM_LBUTTONDOWN, WM_LBUTTONUP}, row);
        SendMessageW(list, WM_CHAR, L' ', 0);
        CHECK((clb.Selected() == row && clb.GetChecked(row) == (row == 2) && checkClicks == 3));
    }
    // The space bar toggles the selected row; no other key does, nor the space bar without a selection.
    clb.SetSelected(0);
    for (WPARAM key : {L'x', L' '})
        SendMessageW(list, WM_CHAR, key, 0);
    clb.SetSelected(-1);
    SendMessageW(list, WM_CHAR, L' ', 0);
    CHECK((!clb.GetChecked(0) && checkClicks == 4));
}
