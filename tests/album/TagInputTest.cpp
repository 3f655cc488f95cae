#include <gtest/gtest.h>

#include "core/album/TagInput.h"

namespace {

TEST(SplitTagInput, SplitsAtBlanksControlsIdeographicSpaceAndAmpersand)
{
    struct Case {
        const wchar_t* text;
        int maxTags;
        std::vector<std::wstring> tags;
    };
    const Case cases[] = {
        {L"", 20, {}},
        {L"a b", 20, {L"a", L"b"}},
        {L"  a\t\tb\r\n", 20, {L"a", L"b"}},
        {L"ドラマ\x3000アニメ&2024", 20, {L"ドラマ", L"アニメ", L"2024"}},
        {L"&&\x3000 \x1F", 20, {}},
        // "!" (33) and U+3001 are parts of a tag, not separators.
        {L"a!b\x3001" L"c", 20, {L"a!b\x3001" L"c"}},
        {L"a b c d", 2, {L"a", L"b"}},
        {L"a b", 0, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> out = {L"stale"};
        SplitTagInput(out, c.maxTags, c.text);
        EXPECT_EQ(out, c.tags) << "text: " << testing::PrintToString(std::wstring(c.text));
    }
}

}  // namespace
