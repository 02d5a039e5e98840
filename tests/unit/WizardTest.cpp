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
    const char Id;
    int ShowResult = 1;  // what Show returns
    bool Leave = true;   // what CanLeave returns
};

int Questions;  // that Cancel asked; each is answered No

void CALLBACK AnswerNo(HWND, UINT, UINT_PTR, DWORD)
{
    if (const HWND question = FindWindowW(L"#32770", L"Install"); question && ++Questions)
        PostMessageW(question, WM_COMMAND, IDNO, 0);
}

}  // namespace

TEST_CASE("the wizard frame moves between pages by the page protocol, and its check list box toggles enabled rows")
{
    TSandbox box;  // the finish page writes the product key
    TProbePage p1('1'), p2('2'), p3('3'), p5('5');
    TPageReadyForInstall ready;
    TPageFinish finish;
    TPage* const pages[] = {nullptr, &p1, &p2, &p3, &ready, &p5, &finish};
    std::copy(std::begin(pages), std::end(pages), Wizard.Pages);
    Wizard.CurrentPage = 1;
    RegisterLinkClass(GetModuleHandleW(nullptr));
    const HWND dialog = CreateDialogW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_WIZARD), nullptr, WizardDlgProc);
    REQUIRE(dialog);
    ShowWindow(dialog, SW_SHOW);
    const auto item = [&](int id) { return GetDlgItem(dialog, id); };

    // Sends the commands, answering a question from a timer; the questions asked.
    const auto press = [&](std::initializer_list<WPARAM> ids) {
        Questions = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, AnswerNo);
        for (WPARAM id : ids)
            SendMessageW(dialog, WM_COMMAND, id, 0);
        KillTimer(nullptr, timer);
        return Questions;
    };
    const auto text = [&](int id) { wchar_t s[64] = {}; GetWindowTextW(item(id), s, 64); return std::wstring(s); };
    CHECK((Trace == "+1" && !IsWindowEnabled(item(IDC_BACK)) && IsWindowEnabled(item(IDC_NEXT))));
    // A page that cannot be left stays; commands of page controls reach the current page; No keeps it all.
    p2.Leave = false;
    CHECK(press({IDC_NEXT, IDC_NEXT, IDC_BROWSE, IDCANCEL}) == 1);
    CHECK((IsWindowVisible(dialog) && IsWindowEnabled(item(IDC_BACK))));
    p2.Leave = true;
    p3.ShowResult = PageMoveNext;  // asks to move on at once
    press({IDC_NEXT});
    CHECK(text(IDC_NEXT) == L"Start");  // while the ready page is shown
    p3.ShowResult = 1;
    press({IDC_BACK});
    CHECK(text(IDC_NEXT) == L"&Next >");
    press({IDC_BACK});
    CHECK(Trace == "+1-1+2c1002-2+3-3+3-3+2");
    p5.ShowResult = PageMoveNext;
    press({IDC_NEXT, IDC_NEXT, IDC_NEXT});
    CHECK(text(IDCANCEL) == L"Finish");
    CHECK((Wizard.CurrentPage == 6 && !IsWindowEnabled(item(IDC_NEXT))));
    CHECK(press({IDCANCEL}) == 0);  // on the finish page Cancel closes without a question
    CHECK_FALSE(IsWindowVisible(dialog));

    // The check list box on the wizard's list (the dialog has ended): an enabled row, a disabled one and a
    // checked disabled one.
    const HWND list = item(IDC_VERSIONS);
    TtwkCheckListBox clb(list);
    int checkClicks = 0;
    clb.OnCheckClick = [&](TtwkCheckListBox* sender) { checkClicks += sender == &clb; };
    for (const wchar_t* row : {L"enabled", L"disabled", L"checked, disabled"})
        clb.Add(row);
    clb.SetEnabled(1, false);
    clb.SetChecked(2, true);
    clb.SetEnabled(2, false);
    const auto mouse = [&](std::initializer_list<UINT> messages, int row) {
        RECT rect = {};
        SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
        for (UINT msg : messages)
            SendMessageW(list, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(rect.left + 30, rect.top + 2));
    };
    mouse({WM_LBUTTONDOWN, WM_LBUTTONUP}, 0);  // a click toggles the row under the mouse once
    CHECK((clb.GetChecked(0) && clb.Selected() == 0 && checkClicks == 1));
    // A double click toggles twice; a release without its press does nothing.
    mouse({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONUP}, 0);
    // Disabled rows are selected by a click but keep their check against mouse and space bar.
    for (int row : {1, 2}) {
        mouse({WM_LBUTTONDOWN, WM_LBUTTONUP}, row);
        SendMessageW(list, WM_CHAR, L' ', 0);
        CHECK((clb.Selected() == row && clb.GetChecked(row) == (row == 2)));
    }
    // The space bar toggles the selected row; no other key does, nor the space bar without a selection.
    clb.SetSelected(0);
    for (WPARAM key : {L'x', L' '})
        SendMessageW(list, WM_CHAR, key, 0);
    clb.SetSelected(-1);
    SendMessageW(list, WM_CHAR, L' ', 0);
    CHECK((!clb.GetChecked(0) && checkClicks == 4));
    DestroyWindow(dialog);
}
