#include "Screenshot.h"

ScreenImage CaptureWindowArea(HWND hWnd) {
    ScreenImage image;
    RECT rc = {};
    if (!GetWindowRect(hWnd, &rc)) return image;
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
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
        if (BitBlt(hMem, 0, 0, width, height, hScreen, rc.left, rc.top, SRCCOPY)) {
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
