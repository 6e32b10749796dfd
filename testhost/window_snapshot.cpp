#include "testhost/window_snapshot.h"

#include "base/unique_resource.h"

#include <vector>

namespace {

class ScreenDc {
public:
    ScreenDc() : dc_(::GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) {
            ::ReleaseDC(nullptr, dc_);
        }
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

using UniqueMemoryDc = UniqueResource<NullHandleTraits<HDC, ::DeleteDC>>;

} // namespace

bool SaveWindowSnapshot(HWND window, const std::string& path) {
    RECT bounds;
    if (!::GetWindowRect(window, &bounds)) {
        return false;
    }
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    ScreenDc screen;
    UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!memory || !bitmap) {
        return false;
    }
    HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
    ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), bounds.left, bounds.top, SRCCOPY);
    ::SelectObject(memory.get(), previous);

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
    if (!::GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(),
                     reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS)) {
        return false;
    }
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());

    UniqueFile out(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
        return false;
    }
    DWORD written = 0;
    bool ok =
        ::WriteFile(out.get(), &file, sizeof file, &written, nullptr) && written == sizeof file;
    ok = ok && ::WriteFile(out.get(), &header, sizeof header, &written, nullptr) &&
         written == sizeof header;
    ok = ok &&
         ::WriteFile(out.get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written,
                     nullptr) &&
         written == pixels.size();
    return ok;
}
