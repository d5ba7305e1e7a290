// Captures a window's area of the screen (what is actually shown, child windows included).
#pragma once

#include <windows.h>
#include <cstdint>
#include <vector>

struct ScreenImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // top-down rows, 3 bytes per pixel
};

// BitBlt of the window's screen rectangle into a 24-bit DIB. Empty on failure.
ScreenImage CaptureWindowArea(HWND hWnd);
// The window's client area of the screen (without its frame and scroll bars).
ScreenImage CaptureClientArea(HWND hWnd);
// The client area as the window paints it when asked through WM_PRINTCLIENT, off the screen.
ScreenImage PrintClientArea(HWND hWnd);
