#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "core/base/RegexSearch.h"

namespace {

TEST(RegexSearch, RequiredLiteralsAreReadConservatively)
{
    struct Case {
        const wchar_t* pattern;
        std::vector<std::wstring> literals;
    };
    const Case cases[] = {
        {L"abc", {L"abc"}},
        {L"第1[0-9]話.*1080p", {L"第1", L"話", L"1080p"}},
        {L"(旅行|trip) .*海", {L" ", L"海"}},
        {L"温泉.{0,8}京都", {L"温泉", L"京都"}},
        {L"ab+c", {L"a", L"c"}},
        {L"ab*?c", {L"a", L"c"}},
        {L"a?", {}},
        {L"a|b", {}},
        {L"x(a|b)|y", {}},
        {L"\\.mp4$", {L".mp4"}},
        {L"^\\[夏\\]", {L"[夏]"}},
        {L"a\\d+b", {L"a"}},
        {L"[)|(]x", {L"x"}},
        {L"[]a", {L"a"}},
        {L"x.*(", {}},  // unbalanced: nothing is claimed
        {L"(?:ab)+cd", {L"cd"}},
        {L"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RequiredLiterals(c.pattern), c.literals) << testing::PrintToString(std::wstring(c.pattern));
}

// Skipping the texts that lack a required literal never changes a result.
TEST(RegexSearch, GivesTheEngineResultForEveryText)
{
    const std::vector<std::wstring> patterns = {
        L"abc", L"第1[0-9]話.*1080p", L"(旅行|trip) .*海", L"温泉.{0,8}京都", L"ab+c", L"a?", L"x(a|b)|y",
        L"\\.mp4$", L"^\\[夏\\]", L"a\\d+b", L"[)|(]x", L"(?:ab)+cd", L"x.*(", L"(a)\\1", L"a{2}b", L"\\bend",
    };
    const std::vector<std::wstring> texts = {
        L"", L"abc", L"xabcx", L"ab", L"abbbc", L"ac", L"[夏] 第12話 旅行 海 1080p.mp4", L"第1話 1080p",
        L"trip to 海", L"旅行 の 海", L"温泉と京都", L"温泉から遠い遠い遠い遠い京都", L"xa", L"y", L"movie.mp4",
        L"movie.mp4 ", L"a12b", L"ab", L"(x", L"|x", L"ababcd", L"aa", L"aab", L"the end", L"weekend",
    };
    std::vector<const std::wstring*> pointers;
    for (const std::wstring& text : texts) pointers.push_back(&text);
    for (const std::wstring& pattern : patterns) {
        const std::vector<char> found = RegexSearch(pattern, pointers);
        ASSERT_EQ(found.size(), texts.size());
        bool valid = true;
        std::wregex expression;
        try {
            expression.assign(pattern, std::regex::ECMAScript);
        } catch (const std::exception&) {
            valid = false;
        }
        for (size_t i = 0; i < texts.size(); ++i) {
            const char expected = valid && std::regex_search(texts[i], expression) ? 1 : 0;
            EXPECT_EQ(found[i], expected) << testing::PrintToString(pattern) << " on "
                                          << testing::PrintToString(texts[i]);
        }
    }
}

}  // namespace
