#pragma once
// The GDI+ fonts of the picture views. A GDI+ font of a family that is not installed is
// invalid and draws nothing, so every view font goes through one helper that falls back to
// families that are there.
#include <windows.h>
#include <gdiplus.h>

#include <memory>

// The first family of `family`, "ＭＳ ゴシック" and "IPAGothic" that gives a usable font, in
// points; null when none does.
std::unique_ptr<Gdiplus::Font> CreateViewFont(const wchar_t* family, float points, INT style);
