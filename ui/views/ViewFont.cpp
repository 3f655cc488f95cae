#include "ui/views/ViewFont.h"

#include "core/base/Log.h"

std::unique_ptr<Gdiplus::Font> CreateViewFont(const wchar_t* family, float points, INT style)
{
    const wchar_t* const families[] = {family, L"ＭＳ ゴシック", L"IPAGothic"};
    for (const wchar_t* name : families) {
        if (!name || !*name) continue;
        auto font = std::make_unique<Gdiplus::Font>(name, points, style, Gdiplus::UnitPoint);
        if (font->GetLastStatus() == Gdiplus::Ok && font->IsAvailable()) return font;
    }
    WriteLog(AppLog, L"view font: no family of \"%s\" could be made", family ? family : L"");
    return nullptr;
}
