// One RAII owner per kind of Windows handle, so that no member and no local
// holds a raw handle that an early return or an exception could leak.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <atomic>
#include <utility>

namespace vpw {

// What this module created through the owners below and has not freed yet,
// for the kinds whose leaks pile up in a long-running host program.
struct THandleCounts {
    long gdiObjects;
    long icons;
    long menus;
};

namespace handle_counts {
inline std::atomic<long> gdiObjects{0};
inline std::atomic<long> icons{0};
inline std::atomic<long> menus{0};
}  // namespace handle_counts

inline THandleCounts LiveHandleCounts() noexcept {
    return {handle_counts::gdiObjects.load(), handle_counts::icons.load(), handle_counts::menus.load()};
}

// Traits that count their handles name the counter.
template <typename Traits>
concept TCountedTraits = requires { Traits::Counter(); };

// A handle closed by one function; Invalid is the value that means "none".
template <typename H, typename Traits>
class TUniqueHandle {
public:
    TUniqueHandle() noexcept = default;
    explicit TUniqueHandle(H handle) noexcept : handle_(handle) { Acquired(handle); }
    ~TUniqueHandle() { Reset(); }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    TUniqueHandle(TUniqueHandle&& other) noexcept : handle_(other.Release()) { Acquired(handle_); }
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    H Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }
    // The caller owns the handle from here on.
    H Release() noexcept {
        H handle = std::exchange(handle_, Traits::Invalid());
        if constexpr (TCountedTraits<Traits>)
            if (handle != Traits::Invalid()) --Traits::Counter();
        return handle;
    }
    void Reset(H handle = Traits::Invalid()) noexcept {
        Acquired(handle);
        H old = std::exchange(handle_, handle);
        if (old != Traits::Invalid()) {
            Traits::Close(old);
            if constexpr (TCountedTraits<Traits>) --Traits::Counter();
        }
    }
    // For APIs that hand a handle back through a pointer (not for counted
    // kinds: what is written there would go uncounted).
    H* Out() noexcept
        requires(!TCountedTraits<Traits>)
    {
        Reset();
        return &handle_;
    }

private:
    static void Acquired(H handle) noexcept {
        if constexpr (TCountedTraits<Traits>)
            if (handle != Traits::Invalid()) ++Traits::Counter();
    }

    H handle_ = Traits::Invalid();
};

struct TKernelHandleTraits {
    static HANDLE Invalid() noexcept { return nullptr; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
// Kernel objects: events, mutexes, mappings, threads, processes.
using TKernelHandle = TUniqueHandle<HANDLE, TKernelHandleTraits>;

struct TFileHandleTraits {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
// CreateFile answers INVALID_HANDLE_VALUE, not null.
using TFileHandle = TUniqueHandle<HANDLE, TFileHandleTraits>;

struct TRegKeyTraits {
    static HKEY Invalid() noexcept { return nullptr; }
    static void Close(HKEY h) noexcept { RegCloseKey(h); }
};
using TRegKey = TUniqueHandle<HKEY, TRegKeyTraits>;

struct TModuleTraits {
    static HMODULE Invalid() noexcept { return nullptr; }
    static void Close(HMODULE h) noexcept { FreeLibrary(h); }
};
// A module reference taken with LoadLibrary or GetModuleHandleEx.
using TModule = TUniqueHandle<HMODULE, TModuleTraits>;

struct THookTraits {
    static HHOOK Invalid() noexcept { return nullptr; }
    static void Close(HHOOK h) noexcept { UnhookWindowsHookEx(h); }
};
// A hook from SetWindowsHookEx.
using THook = TUniqueHandle<HHOOK, THookTraits>;

struct TViewTraits {
    static void* Invalid() noexcept { return nullptr; }
    static void Close(void* view) noexcept { UnmapViewOfFile(view); }
};
using TMappedView = TUniqueHandle<void*, TViewTraits>;

struct TGdiObjectTraits {
    static HGDIOBJ Invalid() noexcept { return nullptr; }
    static void Close(HGDIOBJ h) noexcept { DeleteObject(h); }
    static std::atomic<long>& Counter() noexcept { return handle_counts::gdiObjects; }
};
// Bitmaps, brushes, pens, fonts, regions; never one still selected into a DC.
template <typename H>
class TGdiObject : public TUniqueHandle<HGDIOBJ, TGdiObjectTraits> {
public:
    TGdiObject() noexcept = default;
    explicit TGdiObject(H handle) noexcept : TUniqueHandle<HGDIOBJ, TGdiObjectTraits>(handle) {}
    H Get() const noexcept { return static_cast<H>(TUniqueHandle<HGDIOBJ, TGdiObjectTraits>::Get()); }
};
using TBitmap = TGdiObject<HBITMAP>;
using TBrush = TGdiObject<HBRUSH>;
using TPen = TGdiObject<HPEN>;
using TFont = TGdiObject<HFONT>;
using TRegion = TGdiObject<HRGN>;

struct TIconTraits {
    static HICON Invalid() noexcept { return nullptr; }
    static void Close(HICON h) noexcept { DestroyIcon(h); }
    static std::atomic<long>& Counter() noexcept { return handle_counts::icons; }
};
// An icon this code created or copied (never a shared one from LoadIcon).
using TIcon = TUniqueHandle<HICON, TIconTraits>;

struct TMenuTraits {
    static HMENU Invalid() noexcept { return nullptr; }
    static void Close(HMENU h) noexcept { DestroyMenu(h); }
    static std::atomic<long>& Counter() noexcept { return handle_counts::menus; }
};
using TMenu = TUniqueHandle<HMENU, TMenuTraits>;

struct TWindowTraits {
    static HWND Invalid() noexcept { return nullptr; }
    static void Close(HWND h) noexcept {
        if (IsWindow(h)) DestroyWindow(h);
    }
};
// A window this code created and destroys (on the thread that created it).
using TWindow = TUniqueHandle<HWND, TWindowTraits>;

// A window that may be let go of on any thread: only the thread that made it
// may destroy it, so any other thread asks it to close.
struct TThreadWindowTraits {
    static HWND Invalid() noexcept { return nullptr; }
    static void Close(HWND h) noexcept {
        if (!IsWindow(h)) return;
        if (GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId())
            DestroyWindow(h);
        else
            PostMessageA(h, WM_CLOSE, 0, 0);
    }
};
using TThreadWindow = TUniqueHandle<HWND, TThreadWindowTraits>;

struct TImageListTraits {
    static HIMAGELIST Invalid() noexcept { return nullptr; }
    static void Close(HIMAGELIST h) noexcept { ImageList_Destroy(h); }
};
// An image list of the common controls (the configuration program only).
using TImageList = TUniqueHandle<HIMAGELIST, TImageListTraits>;

struct TMemoryDCTraits {
    static HDC Invalid() noexcept { return nullptr; }
    static void Close(HDC h) noexcept { DeleteDC(h); }
};
// A DC from CreateCompatibleDC.
using TMemoryDC = TUniqueHandle<HDC, TMemoryDCTraits>;

// A DC from GetDC or GetWindowDC, given back to its window.
class TWindowDC {
public:
    TWindowDC() noexcept = default;
    TWindowDC(HWND wnd, HDC dc) noexcept : wnd_(wnd), dc_(dc) {}
    static TWindowDC Client(HWND wnd) noexcept { return wnd ? TWindowDC(wnd, GetDC(wnd)) : TWindowDC(); }
    static TWindowDC Whole(HWND wnd) noexcept { return wnd ? TWindowDC(wnd, GetWindowDC(wnd)) : TWindowDC(); }
    ~TWindowDC() { Reset(); }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    TWindowDC(TWindowDC&& other) noexcept : wnd_(other.wnd_), dc_(std::exchange(other.dc_, nullptr)) {}
    TWindowDC& operator=(TWindowDC&& other) noexcept {
        if (this != &other) {
            Reset();
            wnd_ = other.wnd_;
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    HDC Get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }
    void Reset() noexcept {
        if (HDC dc = std::exchange(dc_, nullptr)) ReleaseDC(wnd_, dc);
    }

private:
    HWND wnd_ = nullptr;
    HDC dc_ = nullptr;
};

// Selects an object into a DC and selects the old one back on every path.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {
        if (old_ == HGDI_ERROR) old_ = nullptr;
    }
    // False when the object could not be selected (a bitmap selected elsewhere).
    bool Ok() const noexcept { return old_ != nullptr; }
    ~TSelectObject() {
        if (old_) SelectObject(dc_, old_);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Saves a DC's state and restores it on every path.
class TSavedDC {
public:
    explicit TSavedDC(HDC dc) noexcept : dc_(dc), saved_(dc ? SaveDC(dc) : 0) {}
    ~TSavedDC() {
        if (saved_) RestoreDC(dc_, saved_);
    }
    TSavedDC(const TSavedDC&) = delete;
    TSavedDC& operator=(const TSavedDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

// COM for this thread; uninitialised only when this object initialised it.
class TComInit {
public:
    explicit TComInit(DWORD model = COINIT_APARTMENTTHREADED) noexcept
        : result_(CoInitializeEx(nullptr, model)) {}
    ~TComInit() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    TComInit(const TComInit&) = delete;
    TComInit& operator=(const TComInit&) = delete;
    bool Ok() const noexcept { return SUCCEEDED(result_); }
    HRESULT Result() const noexcept { return result_; }

private:
    HRESULT result_;
};

}  // namespace vpw
