#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "browser/SearchQueryEncoding.h"

namespace {

constexpr uint32_t kUtf8 = 0x000;
constexpr uint32_t kAnsi = 0x103;
constexpr uint32_t kEucJp = 0x203;

struct QueryCase {
    const wchar_t* text;
    uint32_t flags;
    const wchar_t* encoded;
};

TEST(SearchQueryEncoding, EncodesEachFormAsTheEnginesExpect)
{
    const QueryCase cases[] = {
        {L"abc def", kUtf8, L"abc+def"},
        {L"abc def", kAnsi, L"abc+def"},
        {L"abc def", kEucJp, L"abc+def"},
        {L"x*y-z.q_r~s", kUtf8, L"x*y-z.q_r%7Es"},
        {L"x*y-z.q_r~s", kEucJp, L"x*y-z.q_r%7Es"},
        {L"あ", kUtf8, L"%E3%81%82"},
        {L"あ", kAnsi, L"%82%A0"},
        {L"あ", kEucJp, L"%A4%A2"},
        {L"ｱ", kEucJp, L"%8E%B1"},
        {L"猫 ソ", kAnsi, L"%94L+%83%5C"},
        {L"動画 ｱ", kEucJp, L"%C6%B0%B2%E8+%8E%B1"},
        {L"a/b&c=d?e#f%", kUtf8, L"a%2Fb%26c%3Dd%3Fe%23f%25"},
        {L"", kUtf8, L""},
        {L"", kAnsi, L""},
        {L"", kEucJp, L""},
    };
    for (const QueryCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << std::hex << c.flags << " case " << std::dec << (&c - cases));
        EXPECT_EQ(EncodeSearchQuery(c.text, c.flags), c.encoded);
    }
}

TEST(SearchQueryEncoding, ShiftJisBytesBecomeEucJp)
{
    EXPECT_EQ(ConvertShiftJisToEucJp("\x82\xA0"), "\xA4\xA2");
    EXPECT_EQ(ConvertShiftJisToEucJp("\xB1"), "\x8E\xB1");
    EXPECT_EQ(PercentEncode(ConvertShiftJisToEucJp("\x82\xA0")), L"%A4%A2");
    EXPECT_EQ(PercentEncode("\x8E\xB1"), L"%8E%B1");
    // A trail byte outside the code's range is no character: 0x80 0x80, and the walk goes on.
    EXPECT_EQ(ConvertShiftJisToEucJp(std::string("\x81\x20z", 3)), "\x80\x80z");
}

// Every cell of the JIS X 0208 rows that hold characters, converted from the Shift-JIS that
// Wine's code page 932 gives for the character that its code page 20932 reads there.
TEST(SearchQueryEncoding, AgreesWithCodePage20932OnEveryJisRow)
{
    ASSERT_TRUE(IsValidCodePage(932));
    ASSERT_TRUE(IsValidCodePage(20932));
    int compared = 0;
    int disagreements = 0;
    for (int row = 1; row <= 84; ++row) {
        if (row > 8 && row < 16) continue;
        for (int cell = 1; cell <= 94; ++cell) {
            const char euc[2] = {static_cast<char>(0xA0 + row), static_cast<char>(0xA0 + cell)};
            wchar_t wide[4] = {};
            const int units = MultiByteToWideChar(20932, MB_ERR_INVALID_CHARS, euc, 2, wide, 4);
            if (units != 1) continue;  // an empty cell of the row
            char sjis[4] = {};
            BOOL usedDefault = FALSE;
            const int bytes = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, 1, sjis, 4, nullptr, &usedDefault);
            // The few characters the two tables give different code points (the wave dash,
            // say) have no Shift-JIS form to start from.
            if (bytes != 2 || usedDefault) continue;
            ++compared;
            const std::string converted = ConvertShiftJisToEucJp(std::string(sjis, 2));
            if (converted != std::string(euc, 2)) {
                ++disagreements;
                ADD_FAILURE() << "row " << row << " cell " << cell << ": Shift-JIS " << std::hex
                              << (static_cast<unsigned char>(sjis[0]) << 8 | static_cast<unsigned char>(sjis[1]));
            }
        }
    }
    EXPECT_EQ(disagreements, 0);
    // JIS X 0208 defines 6,879 characters; nearly all have both forms.
    EXPECT_GT(compared, 6800);
}

TEST(SearchQueryEncoding, ALongSearchConvertsWhole)
{
    const std::wstring text(2048, L'あ');
    EXPECT_EQ(ConvertToUtf8(text).size(), 6144u);
    EXPECT_EQ(ConvertToAnsi(text).size(), 4096u);
    EXPECT_EQ(ConvertShiftJisToEucJp(ConvertToAnsi(text)).size(), 4096u);
    std::wstring expected;
    for (int i = 0; i < 2048; ++i) expected += L"%E3%81%82";
    EXPECT_EQ(EncodeSearchQuery(text, kUtf8), expected);
}

TEST(SearchQueryEncoding, ALastLeadByteEndsTheWalk)
{
    // The byte after the input would make a valid pair: the walk must not look at it.
    const std::string buffer("A\x82\xA0", 3);
    EXPECT_EQ(ConvertShiftJisToEucJp(buffer.substr(0, 2)), "A\x80\x80");
    EXPECT_EQ(ConvertShiftJisToEucJp(std::string("\x82", 1)), "\x80\x80");
}

}  // namespace
