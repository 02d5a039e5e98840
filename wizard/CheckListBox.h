// A plain dialog list box turned into a list of flat check boxes. The wrapper
// owns no window: it subclasses the list box and its parent and keeps each
// item's state in the item data (bit 0 checked, bit 2 disabled).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

class TtwkCheckListBox;

// Called with the wrapper that raised the event (null when page code calls
// the handler itself).
using TtwkCheckListBoxNotifyEvent = std::function<void(TtwkCheckListBox* sender)>;

// Window properties of the subclassing.
constexpr const wchar_t* PropCLBWndProc = L"twkCLBWndProc";
constexpr const wchar_t* PropParentCLBWndProc = L"twkParentCLBWndProc";
constexpr const wchar_t* PropParentCLBRefCount = L"twkParentCLBRefCount";

// Size of one image of the system check-box bitmap, measured once.
struct TCheckGlyph {
    int Width;
    int Height;
};
const TCheckGlyph& CheckGlyph();

class TtwkCheckListBox {
public:
    explicit TtwkCheckListBox(HWND listBox);  // Create
    ~TtwkCheckListBox();                      // Destroy
    TtwkCheckListBox(const TtwkCheckListBox&) = delete;
    TtwkCheckListBox& operator=(const TtwkCheckListBox&) = delete;

    HWND Handle() const { return FHandle; }

    void Clear();
    int Add(const std::wstring& value);
    void Insert(int index, const std::wstring& value);
    void Delete(int index);
    std::wstring GetItemString(int index) const;
    void SetItemString(int index, const std::wstring& value);
    bool GetChecked(int index) const;
    void SetChecked(int index, bool value);
    bool GetEnabled(int index) const;
    void SetEnabled(int index, bool value);
    int Count() const;
    int Selected() const;
    void SetSelected(int index);

    TtwkCheckListBoxNotifyEvent OnCheckClick;
    TtwkCheckListBoxNotifyEvent OnClick;

private:
    static LRESULT CALLBACK ListBoxWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ParentWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    uint32_t GetItemData(int index) const;
    void SetItemData(int index, uint32_t data);
    RECT GetItemRect(int index) const;
    void ToggleSelected();
    void DoClick();
    void DrawItem(HDC dc, int index, UINT state, const RECT& item);

    int FLClicksCount = 0;
    HWND FHandle;
    WNDPROC FOldWndProc;
};

// Registry of the live wrappers, so that the one parent procedure finds the
// wrapper of a list box. It never owns the wrappers.
class TtwkCLBArray {
public:
    static constexpr int Capacity = 32;

    void Clear() { FItemsCount = 0; }
    int Count() const { return FItemsCount; }
    // Position of the new entry, or -1 when all slots are taken.
    int Add(TtwkCheckListBox* item);
    void Delete(TtwkCheckListBox* item);
    int IndexOf(const TtwkCheckListBox* item) const;
    TtwkCheckListBox* FindByHandle(HWND handle) const;

private:
    TtwkCheckListBox* FItems[Capacity] = {};
    int FItemsCount = 0;
};

extern TtwkCLBArray CLBArray;

// The flat check box of one item: a one-pixel shadow frame around a standard
// check image whose 3-D border is clipped away.
void DrawCheckBox(HDC dc, const RECT& cell, bool enabled, bool checked);
