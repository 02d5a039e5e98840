#include "wizard/CheckListBox.h"

#include "support/Handles.h"

TtwkCLBArray CLBArray;

namespace {

constexpr uint32_t ItemChecked = 0x1;
constexpr uint32_t ItemDisabled = 0x4;
constexpr int ItemTextLimit = 4096;

WNDPROC WindowProcOf(HWND window)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
}

void SetWindowProc(HWND window, WNDPROC proc)
{
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
}

// The reference count travels as the property's handle value.
INT_PTR RefCountOf(HWND parent) { return reinterpret_cast<INT_PTR>(GetPropW(parent, PropParentCLBRefCount)); }

void SetRefCount(HWND parent, INT_PTR count)
{
    SetPropW(parent, PropParentCLBRefCount, reinterpret_cast<HANDLE>(count));
}

TCheckGlyph MeasureCheckGlyph()
{
    // The bitmap holds three rows of four images; the height is divided by
    // four all the same and DrawCheckBox adds the missing pixels back.
    TCheckGlyph glyph = {13, 9};
    TBitmap bitmap(LoadBitmapW(nullptr, MAKEINTRESOURCEW(32759)));  // OBM_CHECKBOXES
    BITMAP info = {};
    if (bitmap && GetObjectW(bitmap.Get(), sizeof info, &info) == sizeof info) {
        glyph.Width = info.bmWidth / 4;
        glyph.Height = info.bmHeight / 4;
    }
    return glyph;
}

}  // namespace

const TCheckGlyph& CheckGlyph()
{
    static const TCheckGlyph glyph = MeasureCheckGlyph();
    return glyph;
}

// ---- Registry ---------------------------------------------------------------

int TtwkCLBArray::Add(TtwkCheckListBox* item)
{
    if (FItemsCount >= Capacity)
        return -1;
    FItems[FItemsCount] = item;
    return FItemsCount++;
}

void TtwkCLBArray::Delete(TtwkCheckListBox* item)
{
    const int index = IndexOf(item);
    if (index < 0)
        return;
    for (int i = index; i + 1 < FItemsCount; ++i)
        FItems[i] = FItems[i + 1];
    FItems[--FItemsCount] = nullptr;
}

int TtwkCLBArray::IndexOf(const TtwkCheckListBox* item) const
{
    for (int i = 0; i < FItemsCount; ++i)
        if (FItems[i] == item)
            return i;
    return -1;
}

TtwkCheckListBox* TtwkCLBArray::FindByHandle(HWND handle) const
{
    for (int i = 0; i < FItemsCount; ++i)
        if (FItems[i]->Handle() == handle)
            return FItems[i];
    return nullptr;
}

// ---- Wrapper ----------------------------------------------------------------

TtwkCheckListBox::TtwkCheckListBox(HWND listBox) : FHandle(listBox), FOldWndProc(WindowProcOf(listBox))
{
    SetPropW(FHandle, PropCLBWndProc, this);
    SetWindowProc(FHandle, ListBoxWndProc);

    const HWND parent = GetParent(FHandle);
    if (WindowProcOf(parent) == ParentWndProc) {
        SetRefCount(parent, RefCountOf(parent) + 1);
    } else {
        SetPropW(parent, PropParentCLBWndProc, reinterpret_cast<HANDLE>(WindowProcOf(parent)));
        SetWindowProc(parent, ParentWndProc);
        SetRefCount(parent, 1);
    }
    CLBArray.Add(this);
}

TtwkCheckListBox::~TtwkCheckListBox()
{
    CLBArray.Delete(this);
    // After the dialog has closed the windows are gone and these calls
    // change nothing.
    const HWND parent = GetParent(FHandle);
    if (parent) {
        const INT_PTR count = RefCountOf(parent);
        if (count >= 2) {
            SetRefCount(parent, count - 1);
        } else {
            SetWindowProc(parent, reinterpret_cast<WNDPROC>(GetPropW(parent, PropParentCLBWndProc)));
            RemovePropW(parent, PropParentCLBWndProc);
            RemovePropW(parent, PropParentCLBRefCount);
        }
    }
    if (IsWindow(FHandle)) {
        SetWindowProc(FHandle, FOldWndProc);
        RemovePropW(FHandle, PropCLBWndProc);
    }
}

void TtwkCheckListBox::Clear() { SendMessageW(FHandle, LB_RESETCONTENT, 0, 0); }

int TtwkCheckListBox::Add(const std::wstring& value)
{
    return static_cast<int>(SendMessageW(FHandle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(value.c_str())));
}

void TtwkCheckListBox::Insert(int index, const std::wstring& value)
{
    SendMessageW(FHandle, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(value.c_str()));
}

void TtwkCheckListBox::Delete(int index) { SendMessageW(FHandle, LB_DELETESTRING, static_cast<WPARAM>(index), 0); }

std::wstring TtwkCheckListBox::GetItemString(int index) const
{
    const LRESULT length = SendMessageW(FHandle, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0 || length >= ItemTextLimit)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(FHandle, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied < 0 ? 0 : static_cast<size_t>(copied));
    return text;
}

void TtwkCheckListBox::SetItemString(int index, const std::wstring& value)
{
    if (index < 0 || index >= Count())
        return;
    Delete(index);
    Insert(index, value);
}

bool TtwkCheckListBox::GetChecked(int index) const { return (GetItemData(index) & ItemChecked) != 0; }

void TtwkCheckListBox::SetChecked(int index, bool value)
{
    const uint32_t data = GetItemData(index);
    SetItemData(index, value ? data | ItemChecked : data & ~ItemChecked);
}

bool TtwkCheckListBox::GetEnabled(int index) const { return (GetItemData(index) & ItemDisabled) == 0; }

void TtwkCheckListBox::SetEnabled(int index, bool value)
{
    const uint32_t data = GetItemData(index);
    SetItemData(index, value ? data & ~ItemDisabled : data | ItemDisabled);
}

int TtwkCheckListBox::Count() const { return static_cast<int>(SendMessageW(FHandle, LB_GETCOUNT, 0, 0)); }

int TtwkCheckListBox::Selected() const { return static_cast<int>(SendMessageW(FHandle, LB_GETCURSEL, 0, 0)); }

void TtwkCheckListBox::SetSelected(int index) { SendMessageW(FHandle, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

uint32_t TtwkCheckListBox::GetItemData(int index) const
{
    // LB_ERR for an invalid index: every bit set, so the item reads as disabled.
    return static_cast<uint32_t>(SendMessageW(FHandle, LB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void TtwkCheckListBox::SetItemData(int index, uint32_t data)
{
    SendMessageW(FHandle, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data));
}

RECT TtwkCheckListBox::GetItemRect(int index) const
{
    RECT rect = {};
    const int count = Count();
    if (index == 0 || (index > 0 && index < count)) {
        SendMessageW(FHandle, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    } else if (index == count && count > 0) {
        SendMessageW(FHandle, LB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&rect));
        OffsetRect(&rect, 0, rect.bottom - rect.top);
    }
    return rect;
}

void TtwkCheckListBox::ToggleSelected()
{
    const int index = Selected();
    if (!GetEnabled(index))
        return;
    SetChecked(index, !GetChecked(index));
    RECT cell = GetItemRect(index);
    cell.right = cell.left + CheckGlyph().Width + 2;
    InvalidateRect(FHandle, &cell, TRUE);
    UpdateWindow(FHandle);
    if (OnCheckClick)
        OnCheckClick(this);
}

void TtwkCheckListBox::DoClick()
{
    if (OnClick)
        OnClick(this);
}

void TtwkCheckListBox::DrawItem(HDC dc, int index, UINT state, const RECT& item)
{
    COLORREF back = GetBkColor(dc);
    COLORREF fore = GetTextColor(dc);
    if (index >= 0 && (state & ODS_SELECTED)) {
        back = GetSysColor(COLOR_HIGHLIGHT);
        fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
    }
    TBrush brush(CreateSolidBrush(back));
    TPen pen(CreatePen(PS_SOLID, 0, fore));
    const COLORREF oldBack = SetBkColor(dc, back);
    const COLORREF oldFore = SetTextColor(dc, fore);
    {
        TSelectObject selectBrush(dc, brush.Get());
        TSelectObject selectPen(dc, pen.Get());

        RECT cell = item;
        cell.right = cell.left + CheckGlyph().Width + 2;
        RECT text = item;
        text.left = cell.right;

        if (index < 0) {
            FillRect(dc, &text, brush.Get());
        } else {
            const bool enabled = GetEnabled(index);
            DrawCheckBox(dc, cell, enabled, GetChecked(index));
            if (!enabled)
                SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            FillRect(dc, &text, brush.Get());
            const std::wstring caption = GetItemString(index);
            DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_VCENTER);
            if (!enabled)
                SetTextColor(dc, fore);
        }
        if (state & ODS_FOCUS)
            DrawFocusRect(dc, &text);
    }
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldFore);
}

void DrawCheckBox(HDC dc, const RECT& cell, bool enabled, bool checked)
{
    const int w = CheckGlyph().Width;
    const int h = CheckGlyph().Height;
    // Centred vertically by the width as well: the box is square.
    const int x0 = cell.left + (cell.right - cell.left - w) / 2;
    const int y0 = cell.top + (cell.bottom - cell.top - w) / 2;
    const int x1 = x0 + w;
    const int y1 = y0 + h + 4;

    UINT frameState = DFCS_BUTTONCHECK;
    if (checked)
        frameState |= DFCS_CHECKED;
    if (!enabled)
        frameState |= DFCS_INACTIVE;

    {
        TPen shadow(CreatePen(PS_SOLID, 0, GetSysColor(COLOR_BTNSHADOW)));
        TSelectObject selectPen(dc, shadow.Get());
        Rectangle(dc, x0 + 1, y0 + 1, x1 - 1, y1 - 1);
    }

    TRegion saved(CreateRectRgn(0, 0, 0, 0));
    const bool hadClip = GetClipRgn(dc, saved.Get()) == 1;
    TRegion inner(CreateRectRgn(x0 + 2, y0 + 2, x1 - 2, y1 - 2));
    SelectClipRgn(dc, inner.Get());
    RECT box = {x0, y0, x1, y1};
    DrawFrameControl(dc, &box, DFC_BUTTON, frameState);
    SelectClipRgn(dc, hadClip ? saved.Get() : nullptr);
}

// ---- Window procedures --------------------------------------------------------

LRESULT CALLBACK TtwkCheckListBox::ListBoxWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<TtwkCheckListBox*>(GetPropW(window, PropCLBWndProc));
    if (!self)
        return DefWindowProcW(window, msg, wParam, lParam);
    // Toggle before the list box sees the message: its selection already
    // moved on the press.
    switch (msg) {
    case WM_LBUTTONDOWN:
        self->FLClicksCount = 1;
        break;
    case WM_LBUTTONUP:
        if (--self->FLClicksCount == 0)
            self->ToggleSelected();
        break;
    case WM_LBUTTONDBLCLK:
        self->ToggleSelected();
        break;
    case WM_CHAR:
        if (wParam == L' ')
            self->ToggleSelected();
        break;
    default:
        break;
    }
    return CallWindowProcW(self->FOldWndProc, window, msg, wParam, lParam);
}

LRESULT CALLBACK TtwkCheckListBox::ParentWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DRAWITEM) {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlType == ODT_LISTBOX) {
            if (TtwkCheckListBox* clb = CLBArray.FindByHandle(draw->hwndItem)) {
                clb->DrawItem(draw->hDC, static_cast<int>(static_cast<int32_t>(draw->itemID)), draw->itemState,
                              draw->rcItem);
                return 1;
            }
        }
    } else if (msg == WM_COMMAND && HIWORD(wParam) == LBN_SELCHANGE) {
        if (TtwkCheckListBox* clb = CLBArray.FindByHandle(reinterpret_cast<HWND>(lParam))) {
            clb->DoClick();
            return 1;
        }
    }
    const auto old = reinterpret_cast<WNDPROC>(GetPropW(window, PropParentCLBWndProc));
    if (!old)
        return DefWindowProcW(window, msg, wParam, lParam);
    return CallWindowProcW(old, window, msg, wParam, lParam);
}
