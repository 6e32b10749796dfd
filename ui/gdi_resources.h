// Owners for what the windows borrow from the platform: image lists, a
// window's drawing context, an object selected into one, the cursor's clip.
#pragma once

#include "base/unique_resource.h"
#include "base/win32.h"

#include <commctrl.h>

using UniqueImageList = UniqueResource<NullHandleTraits<HIMAGELIST, ::ImageList_Destroy>>;

// A drawing context of a window, given back to that window.
class WindowDC {
public:
    WindowDC(HWND window, DWORD flags) : window_(window), dc_(::GetDCEx(window, nullptr, flags)) {}
    ~WindowDC() {
        if (dc_) {
            ::ReleaseDC(window_, dc_);
        }
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Puts back whatever was selected before.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectedObject() { ::SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The mouse kept inside a rectangle, and free again when this goes.
class CursorClip {
public:
    explicit CursorClip(const RECT& area) { ::ClipCursor(&area); }
    ~CursorClip() { ::ClipCursor(nullptr); }
    CursorClip(const CursorClip&) = delete;
    CursorClip& operator=(const CursorClip&) = delete;
};

// The mouse captured for a window, released when this goes unless the
// window lost it already.
class MouseCapture {
public:
    explicit MouseCapture(HWND window) : window_(window) { ::SetCapture(window); }
    ~MouseCapture() {
        if (::GetCapture() == window_) {
            ::ReleaseCapture();
        }
    }
    MouseCapture(const MouseCapture&) = delete;
    MouseCapture& operator=(const MouseCapture&) = delete;

private:
    HWND window_;
};
