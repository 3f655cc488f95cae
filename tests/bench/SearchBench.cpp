// Measures one keystroke of the incremental search over a large album: from the key
// release in the search box to the filtered and sorted list, for each search mode, plain
// and as a regular expression, with the shares of the filter and of the sort. Prints
// figures; asserts nothing.
//   search_bench.exe [movies, default 100000]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/album/ItemMovieView.h"
#include "core/album/SaveData.h"
#include "tests/common/BenchClock.h"
#include "tests/common/TestWindow.h"
#include "ui/views/MovieIncSearch.h"
#include "ui/views/ViewHost.h"

namespace {

// The main window's rebuild of the list, timed in its two steps.
class TimedHost : public ViewHost_IF {
public:
    explicit TimedHost(SaveData_CL* data) : data_(data) {}

    void RefreshMovieList() override
    {
        const LARGE_INTEGER start = Now();
        ItemMovieView_CL all;
        data_->movie_list.SelectAll(all);
        all.Filter(data_->disp_setting.search_text, shown, g_movieSearchRegex, data_->program_ini);
        const LARGE_INTEGER filtered = Now();
        shown.Sort(*data_);
        const LARGE_INTEGER sorted = Now();
        filterMs += Milliseconds(start, filtered);
        sortMs += Milliseconds(filtered, sorted);
    }

    ItemMovieView_CL shown;
    double filterMs = 0;
    double sortMs = 0;

private:
    SaveData_CL* data_;
};

const wchar_t* const kWords[] = {
    L"夏",     L"海",      L"旅行",   L"家族",    L"花火",   L"運動会", L"誕生日", L"結婚式", L"卒業",  L"入学",
    L"桜",     L"紅葉",    L"雪",     L"温泉",    L"京都",   L"北海道", L"沖縄",   L"東京",   L"大阪",  L"ライブ",
    L"コンサート", L"ドラマ", L"アニメ", L"映画",   L"ニュース", L"料理",  L"猫",     L"犬",     L"公園",  L"動物園",
    L"holiday", L"birthday", L"concert", L"trip",  L"beach",  L"party",  L"game",   L"match",  L"final", L"live",
    L"episode", L"season",  L"special", L"making", L"trailer", L"review", L"tutorial", L"vlog", L"camp",  L"hike",
};
constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

std::wstring Word(std::mt19937& random)
{
    return kWords[random() % kWordCount];
}

void MakeAlbum(SaveData_CL& data, int movies)
{
    std::mt19937 random(20261210);
    data.movie_list.records.reserve(static_cast<size_t>(movies));
    for (int i = 0; i < movies; ++i) {
        ItemMovieData_CL movie;
        wchar_t number[64];
        swprintf(number, 64, L" 第%d話 %04d-%02d-%02d", static_cast<int>(random() % 60) + 1,
                 2000 + static_cast<int>(random() % 26), static_cast<int>(random() % 12) + 1,
                 static_cast<int>(random() % 28) + 1);
        movie.content_name = L"[" + Word(random) + L"] " + Word(random) + L" " + Word(random) + number +
                             (random() % 2 ? L" 1080p" : L" 720p");
        const int tagCount = 2 + static_cast<int>(random() % 6);
        for (int t = 0; t < tagCount; ++t) movie.tags.push_back(Word(random));
        movie.SortTags();
        const int noteWords = static_cast<int>(random() % 30);
        for (int w = 0; w < noteWords; ++w) movie.note += Word(random) + (w % 7 == 6 ? L"。\r\n" : L"、");
        movie.play_count = random() % 100;
        movie.file_size = static_cast<int64_t>(random()) * 1000;
        data.movie_list.records.push_back(std::move(movie));
    }
}

struct Run {
    const wchar_t* label;
    int mode;
    int regex;
    std::wstring query;  // typed key by key; each key release is one measured keystroke
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int movies = argc > 1 ? _wtoi(argv[1]) : 100000;
    InitTestCommonControls();
    SaveData_CL data;
    MakeAlbum(data, movies);
    TimedHost host(&data);
    TestHostWindow panel(900, 60);
    MovieIncSearch_CL bar(&host, &data);
    if (!bar.Create(panel.Get())) {
        fwprintf(stderr, L"the search bar could not be made\n");
        return 1;
    }
    SendMessageW(bar.window, WM_SIZE, 0, MAKELPARAM(900, 40));
    HWND edit = bar.SearchBox()->GetEditControl();

    const Run runs[] = {
        {L"name, plain", 0, 0, L"[夏] 海"},
        {L"name, regex", 0, 1, L"第1[0-9]話.*1080p"},
        {L"tags, plain", 1, 0, L"花火"},
        {L"tags, regex", 1, 1, L"(旅行|trip) .*海"},
        {L"note, plain", 2, 0, L"温泉、京都"},
        {L"note, regex", 2, 1, L"温泉.{0,8}京都"},
    };
    wprintf(L"movies %d\n", movies);
    wprintf(L"%-14ls %8ls %8ls %8ls %8ls %8ls %8ls\n", L"search", L"keys", L"mean ms", L"max ms", L"filter", L"sort",
            L"shown");
    for (const Run& run : runs) {
        SetWindowTextW(edit, L"");
        SendMessageW(bar.ModeBox()->hwnd, CB_SETCURSEL, static_cast<WPARAM>(run.mode), 0);
        bar.RegexBox()->SetCheck(run.regex != 0);
        bar.RunSearch(1);
        host.filterMs = host.sortMs = 0;
        double total = 0;
        double worst = 0;
        std::wstring typed;
        for (wchar_t c : run.query) {
            typed.push_back(c);
            SetWindowTextW(edit, typed.c_str());
            const LARGE_INTEGER start = Now();
            SendMessageW(edit, WM_KEYUP, static_cast<WPARAM>('A'), 0xC0000001);
            const double ms = Milliseconds(start, Now());
            total += ms;
            worst = std::max(worst, ms);
        }
        const double keys = static_cast<double>(run.query.size());
        wprintf(L"%-14ls %8d %8.1f %8.1f %7.0f%% %7.0f%% %8zu\n", run.label, static_cast<int>(keys), total / keys, worst,
                total > 0 ? 100.0 * host.filterMs / total : 0.0, total > 0 ? 100.0 * host.sortMs / total : 0.0,
                host.shown.indices.size());
    }
    return 0;
}
