// Move-only owners for every kind of Win32 handle the system touches. Each
// kind knows its own "empty" value and its own release call, so an early
// return is the whole clean-up story.
#pragma once

#include <windows.h>

template <typename Traits>
class TUniqueHandle {
public:
    using THandle = typename Traits::THandle;

    TUniqueHandle() noexcept : FHandle(Traits::Empty()) {}
    explicit TUniqueHandle(THandle handle) noexcept : FHandle(handle) {}
    ~TUniqueHandle() { Reset(); }

    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    TUniqueHandle(TUniqueHandle&& other) noexcept : FHandle(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    THandle Get() const noexcept { return FHandle; }
    bool Valid() const noexcept { return FHandle != Traits::Empty(); }
    explicit operator bool() const noexcept { return Valid(); }

    // For out-parameters: releases what is held and hands out the slot.
    THandle* Put() noexcept
    {
        Reset();
        return &FHandle;
    }

    THandle Release() noexcept
    {
        THandle handle = FHandle;
        FHandle = Traits::Empty();
        return handle;
    }

    // Closes what is held; reports whether the close call succeeded (true
    // when nothing was held).
    bool Reset(THandle handle = Traits::Empty()) noexcept
    {
        bool ok = true;
        if (FHandle != Traits::Empty())
            ok = Traits::Close(FHandle);
        FHandle = handle;
        return ok;
    }

private:
    THandle FHandle;
};

struct TFileHandleTraits {  // CreateFileW: empty is INVALID_HANDLE_VALUE
    using THandle = HANDLE;
    static THandle Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static bool Close(THandle h) noexcept { return CloseHandle(h) != FALSE; }
};
struct TKernelHandleTraits {  // processes, threads, events: empty is NULL
    using THandle = HANDLE;
    static THandle Empty() noexcept { return nullptr; }
    static bool Close(THandle h) noexcept { return CloseHandle(h) != FALSE; }
};
struct TFindHandleTraits {
    using THandle = HANDLE;
    static THandle Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static bool Close(THandle h) noexcept { return FindClose(h) != FALSE; }
};
struct TRegKeyTraits {
    using THandle = HKEY;
    static THandle Empty() noexcept { return nullptr; }
    static bool Close(THandle h) noexcept { return RegCloseKey(h) == ERROR_SUCCESS; }
};
struct TModuleTraits {
    using THandle = HMODULE;
    static THandle Empty() noexcept { return nullptr; }
    static bool Close(THandle h) noexcept { return FreeLibrary(h) != FALSE; }
};
template <typename T>
struct TGdiObjectTraits {  // fonts, brushes, pens, bitmaps, regions
    using THandle = T;
    static THandle Empty() noexcept { return nullptr; }
    static bool Close(THandle h) noexcept { return DeleteObject(h) != FALSE; }
};
struct TIconTraits {
    using THandle = HICON;
    static THandle Empty() noexcept { return nullptr; }
    static bool Close(THandle h) noexcept { return DestroyIcon(h) != FALSE; }
};
struct TLocalMemTraits {  // LocalAlloc blocks
    using THandle = HLOCAL;
    static THandle Empty() noexcept { return nullptr; }
    static bool Close(THandle h) noexcept { return LocalFree(h) == nullptr; }
};

using TFileHandle = TUniqueHandle<TFileHandleTraits>;
using TKernelHandle = TUniqueHandle<TKernelHandleTraits>;
using TFindHandle = TUniqueHandle<TFindHandleTraits>;
using TRegKey = TUniqueHandle<TRegKeyTraits>;
using TModule = TUniqueHandle<TModuleTraits>;
using TFont = TUniqueHandle<TGdiObjectTraits<HFONT>>;
using TBrush = TUniqueHandle<TGdiObjectTraits<HBRUSH>>;
using TPen = TUniqueHandle<TGdiObjectTraits<HPEN>>;
using TBitmap = TUniqueHandle<TGdiObjectTraits<HBITMAP>>;
using TRegion = TUniqueHandle<TGdiObjectTraits<HRGN>>;
using TIcon = TUniqueHandle<TIconTraits>;
using TLocalMem = TUniqueHandle<TLocalMemTraits>;

// Both handles of a started process.
struct TProcessInfo {
    TKernelHandle Process;
    TKernelHandle Thread;
    DWORD ProcessId = 0;

    void Take(const PROCESS_INFORMATION& info) noexcept
    {
        Process.Reset(info.hProcess);
        Thread.Reset(info.hThread);
        ProcessId = info.dwProcessId;
    }
};

// A device context borrowed with GetDC, given back with ReleaseDC.
class TWindowDC {
public:
    explicit TWindowDC(HWND window) noexcept : FWindow(window), FDC(GetDC(window)) {}
    ~TWindowDC()
    {
        if (FDC)
            ReleaseDC(FWindow, FDC);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const noexcept { return FDC; }

private:
    HWND FWindow;
    HDC FDC;
};

// Selects an object into a device context for one scope.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) noexcept : FDC(dc), FOld(SelectObject(dc, object)) {}
    ~TSelectObject()
    {
        if (FOld)
            SelectObject(FDC, FOld);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};
