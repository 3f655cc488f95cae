#include "ui/views/MovieFieldText.h"

#include <algorithm>

std::wstring StarText(uint32_t stars)
{
    return std::wstring(std::min(stars, kMaxStars), L'★');
}

std::wstring PaddedStarText(uint32_t stars)
{
    const uint32_t n = std::min(stars, kMaxStars);
    return std::wstring(n, L'★') + std::wstring(kMaxStars - n, L'\x3000');
}

std::wstring PadNumber(int64_t value, int width)
{
    std::wstring text = std::to_wstring(value);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), L' ');
    return text;
}

std::wstring FormatMegabytes(int64_t bytes, int width)
{
    const int64_t whole = bytes / 1000000;
    int64_t tenth = (bytes % 1000000) / 100000;
    if (tenth < 0) tenth = -tenth;
    return PadNumber(whole, width) + L"." + std::to_wstring(tenth);
}

std::wstring FormatDuration(int64_t length)
{
    const int64_t s = length > 0 ? length / 10000000 : 0;
    const auto two = [](int64_t v) {
        std::wstring text = std::to_wstring(v);
        return text.size() < 2 ? L"0" + text : text;
    };
    return two(s / 3600) + L":" + two((s / 60) % 60) + L":" + two(s % 60);
}

std::wstring LineBreaksForDrawing(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        out += text[i];
    }
    return out;
}
