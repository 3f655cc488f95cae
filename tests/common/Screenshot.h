#pragma once
// PNG captures of test windows for people to look at, under the build folder:
// <test program folder>\screenshots\<area>\<name>.png.
#include <windows.h>

#include <string>

// Captures the window as it is on screen when it is visible, else as it paints itself
// (PrintWindow). Returns the path written, or empty on failure.
std::wstring SaveWindowScreenshot(HWND window, const std::wstring& area, const std::wstring& name);

// A 32-bit top-down DIB section of that size; its pixels come back through `bits`. Null on
// failure.
HBITMAP CreateTopDownDib(HDC dc, int width, int height, void** bits);

// Where a screenshot of that area and name goes (its folder made); empty on failure.
std::wstring ScreenshotPath(const std::wstring& area, const std::wstring& name);

// Writes a bitmap as PNG; false on failure.
bool SaveBitmapAsPng(HBITMAP bitmap, const std::wstring& path);
