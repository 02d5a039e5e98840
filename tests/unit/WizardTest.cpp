// The wizard frame's page protocol, with pages that record what the frame
// asks of them, and the check list box on the wizard's own list.
#include "tests/unit/UnitTest.h"

#include "wizard/Pages.h"
#include "wizard/WizardIds.h"

namespace {

std::string Trace;  // "+n" Show, "-n" Hide, "cID" a command, of page n

class TProbePage : public TPage {
public:
    explicit TProbePage(char id) : FId(id) {}
    int Show() override { return Trace += std::string("+") + FId, ShowResult; }
    int Hide() override { return Trace += std::string("-") + FId, 1; }
    bool CanLeave() override { return Leave; }
    INT_PTR DlgProc(UINT, WPARAM wParam, LPARAM) override { return Trace += "c" + std::to_string(LOWORD(wParam)), 1; }
    int ShowResult = 1;
    bool Leave = true;

private:
    char FId;
};

// The wizard dialog shown with probe pages; the ready and finish pages are the real ones.
struct TWizardRig {
    TWizardRig()
    {
        Trace.clear();
        TPage* pages[] = {nullptr, &P1, &P2, &P3, &Ready, &P5, &Finish};
        std::copy(std::begin(pages), std::end(pages), Wizard.Pages);
        Wizard.CurrentPage = 1;
        RegisterLinkClass(GetModuleHandleW(nullptr));
        Dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_WIZARD), nullptr, WizardDlgProc, 0);
        REQUIRE(Dialog);
        ShowWindow(Dialog, SW_SHOW);
    }
    ~TWizardRig() { DestroyWindow(Dialog); }
    void Command(int id) const { SendMessageW(Dialog, WM_COMMAND, static_cast<WPARAM>(id), 0); }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(Dialog, id)) != FALSE; }
    std::wstring Text(int id) const
    {
        wchar_t text[64] = {};
        GetDlgItemTextW(Dialog, id, text, 64);
        return text;
    }

    TSandbox Box;  // the finish page writes the product key
    TProbePage P1{'1'}, P2{'2'}, P3{'3'}, P5{'5'};
    TPageReadyForInstall Ready;
    TPageFinish Finish;
    HWND Dialog = nullptr;
};

// Answers the confirmation of Cancel from a timer inside the question's own loop.
int Questions = 0;
WPARAM Answer = IDNO;
void CALLBACK AnswerQuestion(HWND, UINT, UINT_PTR, DWORD)
{
    if (const HWND box = FindWindowW(L"#32770", L"Install")) {
        ++Questions;
        PostMessageW(box, WM_COMMAND, Answer, 0);
    }
}

// Cancel with the given answer ready; the questions it asked.
int Cancel(const TWizardRig& rig, WPARAM answer)
{
    Questions = 0;
    Answer = answer;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, AnswerQuestion);
    rig.Command(IDCANCEL);
    KillTimer(nullptr, timer);
    return Questions;
}

}  // namespace

TEST_CASE("the wizard frame moves between pages by the page protocol")
{
    TWizardRig rig;
    CHECK(Trace == "+1");
    CHECK_FALSE(rig.Enabled(IDC_BACK));
    CHECK(rig.Enabled(IDC_NEXT));
    rig.Command(IDC_NEXT);
    CHECK(Trace == "+1-1+2");
    CHECK(rig.Enabled(IDC_BACK));

    // A page that cannot be left stays; commands of page controls reach the current page.
    rig.P2.Leave = false;
    rig.Command(IDC_NEXT);
    rig.Command(IDC_BROWSE);
    CHECK(Trace == "+1-1+2c1002");
    CHECK(Cancel(rig, IDNO) == 1);
    CHECK(IsWindowVisible(rig.Dialog));
    rig.P2.Leave = true;
    rig.Command(IDC_NEXT);
    rig.Command(IDC_BACK);
    CHECK(Trace == "+1-1+2c1002-2+3-3+2");

    // A Show that asks to move on moves at once; the ready page names Next "Start" while it is shown.
    rig.P3.ShowResult = PageMoveNext;
    rig.Command(IDC_NEXT);
    CHECK(Trace == "+1-1+2c1002-2+3-3+2-2+3-3");
    CHECK(rig.Text(IDC_NEXT) == L"Start");
    rig.P3.ShowResult = 1;
    rig.Command(IDC_BACK);
    CHECK(rig.Text(IDC_NEXT) == L"&Next >");
    rig.Command(IDC_NEXT);
    rig.P5.ShowResult = PageMoveNext;
    rig.Command(IDC_NEXT);
    CHECK(Wizard.CurrentPage == 6);
    CHECK(rig.Text(IDCANCEL) == L"Finish");
    CHECK_FALSE(rig.Enabled(IDC_NEXT));

    // On the finish page Cancel closes without a question.
    CHECK(Cancel(rig, IDNO) == 0);
    CHECK_FALSE(IsWindowVisible(rig.Dialog));
}

TEST_CASE("the wizard ends on a confirmed Cancel")
{
    TWizardRig rig;
    CHECK(Cancel(rig, IDYES) == 1);
    CHECK_FALSE(IsWindowVisible(rig.Dialog));
}

TEST_CASE("the check list box toggles enabled rows by mouse and space bar and keeps disabled ones")
{
    TWizardRig rig;
    const HWND list = GetDlgItem(rig.Dialog, IDC_VERSIONS);
    ShowWindow(list, SW_SHOW);
    TtwkCheckListBox clb(list);
    int checkClicks = 0, clicks = 0;
    clb.OnCheckClick = [&](TtwkCheckListBox* sender) { checkClicks += sender == &clb; };
    clb.OnClick = [&](TtwkCheckListBox* sender) { clicks += sender == &clb; };
    for (const wchar_t* row : {L"enabled", L"disabled", L"checked, disabled"})
        clb.Add(row);
    clb.SetEnabled(1, false);
    clb.SetChecked(2, true);
    clb.SetEnabled(2, false);
    CHECK(clb.GetChecked(2));  // the two states keep each other

    const auto mouse = [&](UINT msg, int row) {
        RECT item = {};
        SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        SendMessageW(list, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(item.left + 30, item.top + 2));
    };
    // A click toggles the row under the mouse once, on the release.
    mouse(WM_LBUTTONDOWN, 0);
    CHECK_FALSE(clb.GetChecked(0));
    mouse(WM_LBUTTONUP, 0);
    CHECK(clb.GetChecked(0));
    CHECK(clb.Selected() == 0);
    // A double click toggles twice; a release whose press was elsewhere does nothing.
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONUP})
        mouse(msg, 0);
    CHECK(clb.GetChecked(0));
    CHECK(checkClicks == 3);
    // Disabled rows are selected by a click, but keep their check against mouse and space bar.
    for (int row : {1, 2}) {
        mouse(WM_LBUTTONDOWN, row);
        mouse(WM_LBUTTONUP, row);
        SendMessageW(list, WM_CHAR, L' ', 0);
        CHECK(clb.Selected() == row);
        CHECK(clb.GetChecked(row) == (row == 2));
    }
    CHECK(checkClicks == 3);
    // The space bar toggles the selected row, no other key does, and nothing without a selection.
    clb.SetSelected(0);
    SendMessageW(list, WM_CHAR, L'x', 0);
    SendMessageW(list, WM_CHAR, L' ', 0);
    CHECK_FALSE(clb.GetChecked(0));
    clb.SetSelected(-1);
    SendMessageW(list, WM_CHAR, L' ', 0);
    CHECK(checkClicks == 4);
    // A new text makes a new row: unchecked and enabled.
    clb.SetItemString(2, L"renamed");
    CHECK(clb.GetItemString(2) == L"renamed");
    CHECK_FALSE(clb.GetChecked(2));
    CHECK(clb.GetEnabled(2));

    // A selection change reaches OnClick through the parent, never the page.
    Trace.clear();
    SendMessageW(rig.Dialog, WM_COMMAND, MAKEWPARAM(IDC_VERSIONS, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    CHECK(clicks == 1);
    CHECK(Trace.empty());
}
