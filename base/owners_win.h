// The program's owners of Windows resources, one move-only type per release
// function, all built on UniqueResource:
//   GdiObject<H>     DeleteObject        UniqueDc      DeleteDC
//   WindowDc         ReleaseDC           PaintDc       BeginPaint/EndPaint
//   UniqueHandle     CloseHandle (null)  UniqueFile    CloseHandle (invalid)
//   UniqueFind       FindClose           UniqueMenu    DestroyMenu
//   UniqueIcon       DestroyIcon         UniqueLibrary FreeLibrary
//   UniqueRegKey     RegCloseKey         UniqueDrop    DragFinish
//   LocalMemory      LocalFree           GlobalMemory  GlobalFree
//   CoTaskMem<T>     CoTaskMemFree       ComPtr<T>     IUnknown::Release
//   UniqueMapView    UnmapViewOfFile
// and SelectGuard, which selects an object into a context and the previous
// one back when it goes. A raw release call anywhere else is a defect.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <utility>

#include "base/unique_resource.h"

// The release function is called as it is; what it returns is of no use
// to an owner going away.
namespace owner_traits {
template <typename H, auto Release>
struct NullEmpty {
    using Type = H;
    static constexpr Type empty() noexcept { return nullptr; }
    static void release(Type h) noexcept { Release(h); }
};
template <auto Release>
struct InvalidEmpty {
    using Type = HANDLE;
    static Type empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void release(Type h) noexcept { Release(h); }
};
template <typename T>
inline void coTaskMemFree(T* p) noexcept {
    CoTaskMemFree(const_cast<void*>(static_cast<const void*>(p)));
}
template <typename T>
inline void comRelease(T* p) noexcept {
    p->Release();
}
}  // namespace owner_traits

template <typename H>
using GdiObject = UniqueResource<owner_traits::NullEmpty<H, DeleteObject>>;
using UniqueBitmap = GdiObject<HBITMAP>;
using UniqueFont = GdiObject<HFONT>;
using UniqueBrush = GdiObject<HBRUSH>;
using UniquePen = GdiObject<HPEN>;
using UniqueRegion = GdiObject<HRGN>;

// A memory device context from CreateCompatibleDC.
using UniqueDc = UniqueResource<owner_traits::NullEmpty<HDC, DeleteDC>>;
using MemoryDc = UniqueDc;

// Handles whose failure value is null (mappings, processes, events) and
// those whose failure value is INVALID_HANDLE_VALUE (files, find handles).
using UniqueHandle = UniqueResource<owner_traits::NullEmpty<HANDLE, CloseHandle>>;
using UniqueFile = UniqueResource<owner_traits::InvalidEmpty<CloseHandle>>;
using UniqueFind = UniqueResource<owner_traits::InvalidEmpty<FindClose>>;

using UniqueMenu = UniqueResource<owner_traits::NullEmpty<HMENU, DestroyMenu>>;
using UniqueIcon = UniqueResource<owner_traits::NullEmpty<HICON, DestroyIcon>>;
using UniqueLibrary = UniqueResource<owner_traits::NullEmpty<HMODULE, FreeLibrary>>;
using UniqueRegKey = UniqueResource<owner_traits::NullEmpty<HKEY, RegCloseKey>>;
using UniqueDrop = UniqueResource<owner_traits::NullEmpty<HDROP, DragFinish>>;
using LocalMemory = UniqueResource<owner_traits::NullEmpty<HLOCAL, LocalFree>>;
using GlobalMemory = UniqueResource<owner_traits::NullEmpty<HGLOBAL, GlobalFree>>;
using UniqueMapView = UniqueResource<owner_traits::NullEmpty<const void*, UnmapViewOfFile>>;

// Memory the shell or COM hands out with CoTaskMemAlloc (paths of known
// folders, item identifier lists).
template <typename T>
using CoTaskMem = UniqueResource<owner_traits::NullEmpty<T*, owner_traits::coTaskMemFree<T>>>;

// A COM interface pointer holding one reference.
template <typename T>
using ComPtr = UniqueResource<owner_traits::NullEmpty<T*, owner_traits::comRelease<T>>>;

// Asks `from` for interface `T`; an empty pointer when it has none.
template <typename T, typename From>
ComPtr<T> queryInterface(From* from) noexcept {
    ComPtr<T> to;
    if (from) from->QueryInterface(__uuidof(T), reinterpret_cast<void**>(to.put()));
    return to;
}

// A window's (or the screen's, for a null window) context from GetDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(WindowDc&& o) noexcept : window_(o.window_), dc_(std::exchange(o.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&&) = delete;
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// BeginPaint in the constructor, EndPaint in the destructor.
class PaintDc {
public:
    explicit PaintDc(HWND window) noexcept : window_(window) { dc_ = BeginPaint(window, &ps_); }
    ~PaintDc() { EndPaint(window_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC get() const noexcept { return dc_; }
    const RECT& dirty() const noexcept { return ps_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

// Selects `object` into `dc` and the previous object back on destruction.
// A null object selects nothing.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectGuard() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

    bool selected() const noexcept { return previous_ && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};
