#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <cstdio>
#include <string>

#include "tests/grid/GridTestSupport.h"
#include "ui/views/MovieListWindow.h"

namespace {

// The local time of t through the system's own conversion, not the C run-time's.
std::wstring LocalText(int64_t t)
{
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>(t + 11644473600LL) * 10000000ULL;
    FILETIME fileTime = {ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utc = {}, local = {};
    FileTimeToSystemTime(&fileTime, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    wchar_t text[32];
    swprintf(text, 32, L"%04u/%02u/%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
             local.wMinute, local.wSecond);
    return text;
}

const std::wstring kDashes = L"----/--/-- --:--:--";

TEST(GridText, FormatDateTime)
{
    struct Row {
        int64_t seconds;
        std::wstring full;
    };
    const Row rows[] = {
        {-1, kDashes},
        {0, LocalText(0)},
        {1700000000, LocalText(1700000000)},
        {1600000000, LocalText(1600000000)},
        // Values read from an ini that the run-time cannot convert: before 1970, after 3000.
        {-5, kDashes},
        {INT64_MIN, kDashes},
        {32535216000LL, kDashes},
        {INT64_MAX, kDashes},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MovieListWindow_CL::FormatDateTime(row.seconds, 0), row.full) << row.seconds;
        EXPECT_EQ(MovieListWindow_CL::FormatDateTime(row.seconds, 1), row.full.substr(0, 10)) << row.seconds;
    }
}

TEST(GridText, InfoLabelByTab)
{
    ItemMovieData_CL movie;
    movie.play_date_time = 1700000000;
    movie.file_time = 1600000000;
    movie.add_date = -1;
    movie.play_count = 42;
    movie.star_count = 3;
    movie.file_size = 1234567;
    movie.last_play_frame = 37230000000LL;
    constexpr Gdiplus::ARGB white = 0xFFFFFFFF, yellow = 0xFFFFFF00;
    struct Row {
        int tab;
        int dateOnly;
        int64_t size;
        std::wstring text;
        Gdiplus::ARGB colour;
    };
    const Row rows[] = {
        {0, 0, 1234567, L"", white},
        {1, 0, 1234567, L"★★★", yellow},
        {2, 0, 1234567, LocalText(1700000000), white},
        {2, 1, 1234567, LocalText(1700000000).substr(0, 10), white},
        {3, 1, 1234567, LocalText(1600000000).substr(0, 10), white},
        {4, 0, 1234567, kDashes, white},
        {4, 1, 1234567, L"----/--/--", white},
        {5, 0, 1234567, L"   42回", white},
        {6, 0, 1234567, L"★★★", yellow},
        {7, 0, 1234567, L"     1.2MB", white},
        // Past 32 bits: whole megabytes and the tenth both stay right.
        {7, 0, 5000000000LL, L"  5000.0MB", white},
        {8, 0, 1234567, L"01:02:03", white},
        {9, 0, 1234567, L"", white},
    };
    for (const Row& row : rows) {
        movie.file_size = row.size;
        Gdiplus::ARGB colour = 0;
        EXPECT_EQ(MovieListWindow_CL::BuildInfoLabel(movie, row.tab, row.dateOnly, &colour), row.text) << row.tab;
        EXPECT_EQ(colour, row.colour) << row.tab;
    }
}

class GridTipTest : public GridTest {};

TEST_F(GridTipTest, TooltipLinesAndClampedStars)
{
    ItemMovieData_CL& movie = AddMovie(L"Night Train", false);
    movie.link_name = folder_ / L"night.train.MKV";
    movie.play_count = 12;
    movie.file_size = 999999;
    movie.last_play_frame = 37230000000LL;
    movie.play_date_time = -1;
    movie.add_date = 1700000000;
    movie.file_time = -1;
    movie.note = L"first line";
    movie.star_count = 0;
    ShowAll();

    std::wstring tip;
    grid_->GetItemTip(&tip, 0);
    EXPECT_EQ(tip, L"Night Train\r\n" + movie.link_name +
                       L"\r\n拡張子 : .MKV\r\n再生回数 : 12回\r\nファイルサイズ : 0.9MB\r\n収録時間 : 01:02:03"
                       L"\r\n★マーク : \r\nファイル再生日時 : " +
                       kDashes + L"\r\nファイル登録日時 : " + LocalText(1700000000) +
                       L"\r\nファイル更新日時 : " + kDashes + L"\r\nノート : first line");

    movie.star_count = 7;
    grid_->GetItemTip(&tip, 0);
    EXPECT_NE(tip.find(L"\r\n★マーク : ★★★★★\r\n"), std::wstring::npos) << "seven stars show as five";
    grid_->GetItemTip(&tip, 1);
    EXPECT_EQ(tip, L"");

    // The listener's texts put the clamp back into the record.
    const std::wstring detail = grid_->gridListener.GetItemDetail(0);
    EXPECT_EQ(movie.star_count, 5u);
    EXPECT_EQ(detail, L"Night Train\r\n\r\n☆［★★★★★］　再生回数(   12回 )　ファイルサイズ(      0.9MB )　");
}

TEST_F(GridTipTest, LongTextsPassWhole)
{
    // Names, tags and notes longer than any text buffer.
    ItemMovieData_CL& movie = AddMovie(std::wstring(9000, L'名'), false);
    movie.note = std::wstring(20000, L'n');
    movie.tags = {std::wstring(5000, L't')};
    album_.disp_setting.selected_sort_tab = 2;
    ShowAll();
    EXPECT_EQ(std::wstring(grid_->gridListener.GetItemLabel(0)), movie.content_name);
    EXPECT_EQ(std::wstring(grid_->gridListener.GetItemDetail(0)).substr(0, 9000), movie.content_name);
    std::wstring tip;
    grid_->GetItemTip(&tip, 0);
    EXPECT_EQ(tip.substr(tip.size() - 20000), movie.note);
    grid_->interactionFlag = 1;
    grid_->focusIndex = 0;
    Paint();
    EXPECT_EQ(host_.status, L"Cat/Sub/" + movie.content_name);
}

}  // namespace
