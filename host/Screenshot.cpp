#include "Screenshot.h"

#include <functional>

namespace {

// A 24-bit top-down DIB of the given size, drawn by draw into a memory DC, as RGB rows.
ScreenImage DrawIntoImage(int width, int height, const std::function<bool(HDC)>& draw) {
    ScreenImage image;
    if (width <= 0 || height <= 0) return image;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height; // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC hScreen = GetDC(nullptr);
    HDC hMem = CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = CreateDIBSection(hScreen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (hBitmap && bits) {
        HGDIOBJ old = SelectObject(hMem, hBitmap);
        if (draw(hMem)) {
            GdiFlush();
            const int stride = (width * 3 + 3) & ~3;
            image.width = width;
            image.height = height;
            image.rgb.resize(static_cast<size_t>(width) * height * 3);
            for (int y = 0; y < height; ++y) {
                const uint8_t* src = static_cast<const uint8_t*>(bits) + static_cast<size_t>(stride) * y;
                uint8_t* dst = image.rgb.data() + static_cast<size_t>(width) * 3 * y;
                for (int x = 0; x < width; ++x) { // BGR to RGB
                    dst[3 * x] = src[3 * x + 2];
                    dst[3 * x + 1] = src[3 * x + 1];
                    dst[3 * x + 2] = src[3 * x];
                }
            }
        }
        SelectObject(hMem, old);
    }
    if (hBitmap) DeleteObject(hBitmap);
    DeleteDC(hMem);
    ReleaseDC(nullptr, hScreen);
    return image;
}

} // namespace

ScreenImage CaptureWindowArea(HWND hWnd) {
    RECT rc = {};
    if (!GetWindowRect(hWnd, &rc)) return ScreenImage();
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    return DrawIntoImage(width, height, [&](HDC hMem) {
        HDC hScreen = GetDC(nullptr);
        const bool bDone = BitBlt(hMem, 0, 0, width, height, hScreen, rc.left, rc.top, SRCCOPY) != FALSE;
        ReleaseDC(nullptr, hScreen);
        return bDone;
    });
}

ScreenImage CaptureClientArea(HWND hWnd) {
    RECT rc = {};
    if (!GetClientRect(hWnd, &rc)) return ScreenImage();
    POINT origin = {0, 0};
    ClientToScreen(hWnd, &origin);
    return DrawIntoImage(rc.right, rc.bottom, [&](HDC hMem) {
        HDC hScreen = GetDC(nullptr);
        const bool bDone =
            BitBlt(hMem, 0, 0, rc.right, rc.bottom, hScreen, origin.x, origin.y, SRCCOPY) != FALSE;
        ReleaseDC(nullptr, hScreen);
        return bDone;
    });
}

ScreenImage PrintClientArea(HWND hWnd) {
    RECT rc = {};
    if (!GetClientRect(hWnd, &rc)) return ScreenImage();
    return DrawIntoImage(rc.right, rc.bottom, [&](HDC hMem) {
        SendMessageW(hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hMem), PRF_CLIENT);
        return true;
    });
}
