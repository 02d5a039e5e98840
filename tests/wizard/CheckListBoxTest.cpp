// The check list box driven with real mouse and keyboard messages on real
// list boxes of a dialog.
#include "tests/common/TestEnv.h"

#include <memory>

#include "wizard/CheckListBox.h"

namespace {

// A window of the "#32770" dialog class holding list boxes like the wizard's.
class TListDialog {
public:
    TListDialog()
    {
        FDialog = CreateWindowExW(0, L"#32770", L"clb", WS_POPUP | WS_CAPTION | WS_VISIBLE, 50, 50, 400, 300,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~TListDialog() { DestroyWindow(FDialog); }
    TListDialog(const TListDialog&) = delete;
    TListDialog& operator=(const TListDialog&) = delete;

    HWND Handle() const { return FDialog; }

    HWND AddList(int id, int x)
    {
        return CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                   LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                               x, 10, 180, 200, FDialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
    }

private:
    HWND FDialog;
};

LPARAM ItemCentre(HWND list, int index)
{
    RECT rect = {};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

void Press(HWND list, int index) { SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, ItemCentre(list, index)); }
void Release(HWND list, int index) { SendMessageW(list, WM_LBUTTONUP, 0, ItemCentre(list, index)); }
void Click(HWND list, int index)
{
    Press(list, index);
    Release(list, index);
}
void DoubleClick(HWND list, int index)
{
    Click(list, index);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, ItemCentre(list, index));
    Release(list, index);
}

LONG_PTR WindowProcOf(HWND window) { return GetWindowLongPtrW(window, GWLP_WNDPROC); }

}  // namespace

TEST_CASE("check list box: clicks, double clicks, space and disabled items")
{
    TListDialog dialog;
    const HWND list = dialog.AddList(100, 10);
    REQUIRE(list);
    TtwkCheckListBox clb(list);
    int checkClicks = 0;
    TtwkCheckListBox* lastSender = nullptr;
    clb.OnCheckClick = [&](TtwkCheckListBox* sender) {
        ++checkClicks;
        lastSender = sender;
    };
    for (const wchar_t* name : {L"Delphi 7", L"RAD Studio XE2", L"Context help files"})
        clb.Add(name);
    REQUIRE(clb.Count() == 3);
    CHECK(clb.GetEnabled(0));
    CHECK_FALSE(clb.GetChecked(0));

    SUBCASE("one click toggles the item under the mouse once and fires once")
    {
        Click(list, 1);
        CHECK(clb.Selected() == 1);
        CHECK(clb.GetChecked(1));
        CHECK_FALSE(clb.GetChecked(0));
        CHECK(checkClicks == 1);
        CHECK(lastSender == &clb);
        Click(list, 1);
        CHECK_FALSE(clb.GetChecked(1));
        CHECK(checkClicks == 2);
    }
    SUBCASE("a double click toggles twice and the second release does nothing")
    {
        DoubleClick(list, 2);
        CHECK_FALSE(clb.GetChecked(2));
        CHECK(checkClicks == 2);
    }
    SUBCASE("a release without a press on the list does not toggle")
    {
        SendMessageW(list, LB_SETCURSEL, 0, 0);
        Release(list, 0);
        CHECK_FALSE(clb.GetChecked(0));
        CHECK(checkClicks == 0);
    }
    SUBCASE("a disabled item is selected by a click but keeps its check")
    {
        clb.SetChecked(0, true);
        clb.SetEnabled(0, false);
        CHECK(clb.GetChecked(0));  // the setters keep each other's bits
        CHECK_FALSE(clb.GetEnabled(0));
        Click(list, 0);
        CHECK(clb.Selected() == 0);
        CHECK(clb.GetChecked(0));
        SendMessageW(list, WM_CHAR, L' ', 0);
        CHECK(clb.GetChecked(0));
        CHECK(checkClicks == 0);
    }
    SUBCASE("space toggles the selected item, other keys do not")
    {
        clb.SetSelected(2);
        SendMessageW(list, WM_CHAR, L' ', 0);
        CHECK(clb.GetChecked(2));
        SendMessageW(list, WM_CHAR, L'x', 0);
        CHECK(clb.GetChecked(2));
        SendMessageW(list, WM_CHAR, L' ', 0);
        CHECK_FALSE(clb.GetChecked(2));
        CHECK(checkClicks == 2);
    }
    SUBCASE("space with no selection changes nothing")
    {
        clb.SetSelected(-1);
        SendMessageW(list, WM_CHAR, L' ', 0);
        CHECK(checkClicks == 0);
    }
    SUBCASE("replacing an item's text starts it again unchecked and enabled")
    {
        clb.SetChecked(1, true);
        clb.SetEnabled(1, false);
        clb.SetItemString(1, L"RAD Studio XE3");
        CHECK(clb.GetItemString(1) == L"RAD Studio XE3");
        CHECK_FALSE(clb.GetChecked(1));
        CHECK(clb.GetEnabled(1));
        clb.SetItemString(3, L"beyond");
        CHECK(clb.Count() == 3);
        CHECK(clb.GetItemString(7).empty());
    }
}

TEST_CASE("check list box: selection changes reach OnClick through the parent")
{
    TListDialog dialog;
    const HWND list = dialog.AddList(100, 10);
    TtwkCheckListBox clb(list);
    clb.Add(L"a");
    clb.Add(L"b");
    int clicks = 0;
    clb.OnClick = [&](TtwkCheckListBox*) { ++clicks; };
    Click(list, 1);  // LBS_NOTIFY: the list box reports LBN_SELCHANGE
    CHECK(clicks == 1);
    CHECK(clb.GetChecked(1));
}

TEST_CASE("check list box: owner drawing paints checked and unchecked boxes differently")
{
    TListDialog dialog;
    const HWND list = dialog.AddList(100, 10);
    TtwkCheckListBox clb(list);
    clb.Add(L"first");
    clb.Add(L"second");
    clb.SetChecked(0, true);
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);

    // Compare the check cells of both rows pixel by pixel.
    RECT r0 = {}, r1 = {};
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r0));
    SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r1));
    const int cell = CheckGlyph().Width + 2;
    HDC dc = GetDC(list);
    int differing = 0;
    for (int y = 0; y < r0.bottom - r0.top; ++y)
        for (int x = 0; x < cell; ++x)
            if (GetPixel(dc, r0.left + x, r0.top + y) != GetPixel(dc, r1.left + x, r1.top + y))
                ++differing;
    ReleaseDC(list, dc);
    CHECK(CheckGlyph().Width > 0);
    CHECK(differing > 3);
}

TEST_CASE("check list box: two lists on one parent share one subclass")
{
    TListDialog dialog;
    const HWND parent = dialog.Handle();
    const LONG_PTR original = WindowProcOf(parent);
    const HWND listA = dialog.AddList(100, 10);
    const HWND listB = dialog.AddList(101, 200);
    const LONG_PTR listProc = WindowProcOf(listA);

    auto a = std::make_unique<TtwkCheckListBox>(listA);
    const LONG_PTR subclass = WindowProcOf(parent);
    CHECK(subclass != original);
    CHECK(GetPropW(parent, PropParentCLBRefCount) == reinterpret_cast<HANDLE>(1));
    CHECK(GetPropW(listA, PropCLBWndProc) == a.get());

    auto b = std::make_unique<TtwkCheckListBox>(listB);
    CHECK(WindowProcOf(parent) == subclass);
    CHECK(GetPropW(parent, PropParentCLBRefCount) == reinterpret_cast<HANDLE>(2));
    CHECK(reinterpret_cast<LONG_PTR>(GetPropW(parent, PropParentCLBWndProc)) == original);
    CHECK(CLBArray.FindByHandle(listA) == a.get());
    CHECK(CLBArray.FindByHandle(listB) == b.get());

    // Both still work through the one parent procedure.
    b->Add(L"x");
    b->SetSelected(0);
    SendMessageW(listB, WM_CHAR, L' ', 0);
    CHECK(b->GetChecked(0));

    a.reset();
    CHECK(WindowProcOf(parent) == subclass);
    CHECK(GetPropW(parent, PropParentCLBRefCount) == reinterpret_cast<HANDLE>(1));
    CHECK(WindowProcOf(listA) == listProc);
    CHECK(GetPropW(listA, PropCLBWndProc) == nullptr);
    CHECK(CLBArray.FindByHandle(listB) == b.get());

    b.reset();
    CHECK(WindowProcOf(parent) == original);
    CHECK(GetPropW(parent, PropParentCLBRefCount) == nullptr);
    CHECK(GetPropW(parent, PropParentCLBWndProc) == nullptr);
    CHECK(CLBArray.Count() == 0);
}

TEST_CASE("check list box: a wrapper may outlive its windows")
{
    auto dialog = std::make_unique<TListDialog>();
    auto clb = std::make_unique<TtwkCheckListBox>(dialog->AddList(100, 10));
    dialog.reset();
    clb.reset();
    CHECK(CLBArray.Count() == 0);
}

TEST_CASE("CLB registry: order on removal and no write beyond its slots")
{
    TListDialog dialog;
    std::unique_ptr<TtwkCheckListBox> wrappers[3];
    HWND lists[3];
    for (int i = 0; i < 3; ++i) {
        lists[i] = dialog.AddList(100 + i, 10 + 60 * i);
        wrappers[i] = std::make_unique<TtwkCheckListBox>(lists[i]);
    }
    wrappers[1].reset();
    CHECK(CLBArray.Count() == 2);
    CHECK(CLBArray.IndexOf(wrappers[0].get()) == 0);
    CHECK(CLBArray.IndexOf(wrappers[2].get()) == 1);
    CHECK(CLBArray.FindByHandle(lists[2]) == wrappers[2].get());
    CHECK(CLBArray.FindByHandle(lists[1]) == nullptr);
    wrappers[0].reset();
    wrappers[2].reset();

    // A registry of its own, filled past its capacity with fake entries.
    TtwkCLBArray registry;
    TtwkCheckListBox* fake = wrappers[0].get();
    for (int i = 0; i < TtwkCLBArray::Capacity; ++i)
        CHECK(registry.Add(fake) == i);
    CHECK(registry.Add(fake) == -1);
    CHECK(registry.Count() == TtwkCLBArray::Capacity);
    registry.Clear();
    CHECK(registry.Count() == 0);
}
