#pragma once
// How the movie grid writes a movie's numbers: stars, megabytes, durations. Built as
// strings of any length, never into fixed buffers.
#include <cstdint>
#include <string>

// The ratings a record may hold; a larger stored value is shown as five stars.
constexpr uint32_t kMaxStars = 5;

// One "★" per star, at most five.
std::wstring StarText(uint32_t stars);
// Five characters: one "★" per star, then full-width spaces.
std::wstring PaddedStarText(uint32_t stars);
// The number right-aligned in width characters (wider numbers are not cut).
std::wstring PadNumber(int64_t value, int width);
// Decimal megabytes with one truncated decimal, the whole part padded to width: "1.2".
std::wstring FormatMegabytes(int64_t bytes, int width);
// A length in 100-ns units as "hh:mm:ss" (hours not bounded); a negative length is 0.
std::wstring FormatDuration(int64_t length);
// The text with each "\r\n" as a single "\n", for GDI+ to draw: "\n" alone breaks the line
// everywhere, while some GDI+ builds draw the "\r" as a missing glyph.
std::wstring LineBreaksForDrawing(const std::wstring& text);
