#include "core/album/TagInput.h"

namespace {

bool IsTagSeparator(wchar_t unit)
{
    return unit < 33 || unit == 0x3000 || unit == L'&';
}

}  // namespace

void SplitTagInput(std::vector<std::wstring>& out, int maxTags, const std::wstring& text)
{
    out.clear();
    std::wstring tag;
    auto flush = [&]() {
        if (!tag.empty() && static_cast<int>(out.size()) < maxTags) out.push_back(tag);
        tag.clear();
    };
    for (wchar_t unit : text) {
        if (IsTagSeparator(unit))
            flush();
        else
            tag.push_back(unit);
    }
    flush();
}
