#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "core/album/ItemMovieView.h"
#include "core/album/SaveData.h"
#include "core/base/Inifile.h"
#include "tests/common/Screenshot.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestWindow.h"
#include "ui/views/MovieIncSearch.h"
#include "ui/views/ViewHost.h"

namespace {

// Rebuilds the list as the main window does (every movie, the filter with the bar's
// search state, the sort) and counts the rebuilds.
class CountingHost : public ViewHost_IF {
public:
    explicit CountingHost(SaveData_CL* data) : data_(data) {}

    void RefreshMovieList() override
    {
        ++refreshes;
        ItemMovieView_CL all;
        data_->movie_list.SelectAll(all);
        all.Filter(data_->disp_setting.search_text, shown, g_movieSearchRegex, data_->program_ini);
        shown.Sort(*data_);
    }

    std::vector<std::wstring> ShownNames() const
    {
        std::vector<std::wstring> names;
        for (int32_t index : shown.indices) names.push_back((*shown.records)[index].content_name);
        return names;
    }

    int refreshes = 0;
    ItemMovieView_CL shown;

private:
    SaveData_CL* data_;
};

// Dispatches without TranslateMessage: the tests post the characters themselves.
void DispatchPosted()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

class MovieIncSearchTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_movieSearchMode = 0;
        g_movieSearchRegex = 0;
        CreateUnicodeIniFile(folder_ / L"album.ini");
        ini_.SetPath(folder_ / L"album.ini");
        data_ = std::make_unique<SaveData_CL>();
        AddMovie(L"夏の海", L"旅行 海", L"浜辺で撮った");
        AddMovie(L"xmas party", L"家族", L"note about xmas");
        AddMovie(L"abc movie", L"a b", L"");
        host_ = std::make_unique<CountingHost>(data_.get());
    }

    void TearDown() override
    {
        bar_.reset();
        g_movieSearchMode = 0;
        g_movieSearchRegex = 0;
    }

    void AddMovie(const std::wstring& name, const std::wstring& tags, const std::wstring& note)
    {
        ItemMovieData_CL movie;
        movie.content_name = name;
        movie.tag_text = tags;
        movie.note = note;
        data_->movie_list.records.push_back(movie);
    }

    // The bar on a panel of the test window, laid out at that width.
    MovieIncSearch_CL& MakeBar(int width = 640)
    {
        panel_ = std::make_unique<TestHostWindow>(width, 120);
        bar_ = std::make_unique<MovieIncSearch_CL>(host_.get(), data_.get());
        bar_->SetIni(&ini_);
        EXPECT_NE(bar_->Create(panel_->Get()), nullptr);
        SendMessageW(bar_->window, WM_SIZE, 0, MAKELPARAM(width, 40));
        PumpMessages();
        return *bar_;
    }

    HWND Edit() const { return bar_->SearchBox()->GetEditControl(); }

    // What a key press brings the edit: key down, the character, key up.
    void TypeText(const std::wstring& text)
    {
        for (wchar_t c : text) {
            const WPARAM vk = static_cast<WPARAM>(VkKeyScanW(c) & 0xFF);
            PostMessageW(Edit(), WM_KEYDOWN, vk, 1);
            PostMessageW(Edit(), WM_CHAR, c, 1);
            PostMessageW(Edit(), WM_KEYUP, vk, 0xC0000001);
            DispatchPosted();
        }
    }

    void PressKey(WPARAM vk, wchar_t character = 0)
    {
        PostMessageW(Edit(), WM_KEYDOWN, vk, 1);
        if (character) PostMessageW(Edit(), WM_CHAR, character, 1);
        PostMessageW(Edit(), WM_KEYUP, vk, 0xC0000001);
        DispatchPosted();
    }

    std::wstring EditText() const
    {
        wchar_t text[256] = {};
        GetWindowTextW(Edit(), text, 256);
        return text;
    }

    void ClickRegexBox()
    {
        SendMessageW(bar_->RegexBox()->hwnd, BM_CLICK, 0, 0);
        PumpMessages();
    }

    // The user picks item `index` from a box's drop-down list.
    void Choose(ComboBox_CL* box, int index)
    {
        SendMessageW(box->hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(bar_->window, WM_COMMAND, MAKEWPARAM(box->id, CBN_SELENDOK),
                     reinterpret_cast<LPARAM>(box->hwnd));
    }

    void StoreHistory(int count, const std::vector<std::wstring>& entries)
    {
        ini_.WriteInt(count, L"INCSEARCH", L"item_count");
        for (size_t i = 0; i < entries.size(); ++i) {
            wchar_t key[16];
            swprintf(key, 16, L"item%04d", static_cast<int>(i));
            ini_.WriteString(L"INCSEARCH", key, entries[i]);
        }
    }

    std::vector<std::wstring> ListTexts() const
    {
        std::vector<std::wstring> texts;
        const int count = static_cast<int>(SendMessageW(bar_->SearchBox()->hwnd, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            COMBOBOXEXITEMW item = {};
            item.mask = CBEIF_TEXT;
            item.iItem = i;
            item.pszText = text;
            item.cchTextMax = 256;
            SendMessageW(bar_->SearchBox()->hwnd, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            texts.push_back(text);
        }
        return texts;
    }

    TempFolder folder_;
    Inifile_CL ini_;
    std::unique_ptr<SaveData_CL> data_;
    std::unique_ptr<CountingHost> host_;
    std::unique_ptr<TestHostWindow> panel_;
    std::unique_ptr<MovieIncSearch_CL> bar_;
};

TEST_F(MovieIncSearchTest, EachKeyReleaseSearchesArrowsDoNotAndEnterStoresTheText)
{
    MakeBar();
    TypeText(L"abc");
    EXPECT_EQ(EditText(), L"abc");
    EXPECT_EQ(host_->refreshes, 3);
    EXPECT_EQ(data_->disp_setting.search_text, L"abc");
    EXPECT_EQ(host_->ShownNames(), std::vector<std::wstring>{L"abc movie"});

    for (WPARAM arrow : {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN}) PressKey(arrow);
    EXPECT_EQ(host_->refreshes, 3);

    // Enter stores the search; its key release finds nothing changed.
    PressKey(VK_RETURN, L'\r');
    EXPECT_EQ(host_->refreshes, 3);
    EXPECT_EQ(EditText(), L"abc");
    ASSERT_FALSE(bar_->History().empty());
    EXPECT_EQ(bar_->History()[0], L"0|abc");
    EXPECT_EQ(ini_.ReadString(L"INCSEARCH", L"item0000", L""), L"0|abc");
    EXPECT_EQ(ini_.ReadInt(L"INCSEARCH", L"item_count", 0), 1u);

    // The same search again changes nothing and rebuilds nothing.
    bar_->RunSearch(0);
    bar_->RunSearch(0);
    EXPECT_EQ(host_->refreshes, 3);

    // A click on the regex box rebuilds at once, and Enter then stores the checked state.
    ClickRegexBox();
    EXPECT_EQ(host_->refreshes, 4);
    EXPECT_EQ(g_movieSearchRegex.load(), 1);
    EXPECT_EQ(ini_.ReadInt(L"INCSEARCH", L"regex_search", 0), 1u);
    PressKey(VK_RETURN, L'\r');
    EXPECT_EQ(bar_->History(), std::vector<std::wstring>{L"1|abc"});
}

TEST_F(MovieIncSearchTest, HistoryKeepsOneCopyOfATextAndAtMostFifty)
{
    struct Case {
        const char* what;
        std::vector<std::wstring> before;
        int regex;
        std::wstring added;
        std::vector<std::wstring> after;
    };
    std::vector<std::wstring> fifty;
    for (int i = 0; i < 50; ++i) fifty.push_back(L"0|t" + std::to_wstring(i));
    std::vector<std::wstring> fiftyAfter = {L"0|new"};
    fiftyAfter.insert(fiftyAfter.end(), fifty.begin(), fifty.begin() + 49);
    std::vector<std::wstring> fiftyMoved = {L"0|t10"};
    for (int i = 0; i < 50; ++i)
        if (i != 10) fiftyMoved.push_back(L"0|t" + std::to_wstring(i));

    const Case cases[] = {
        {"into an empty history", {}, 0, L"abc", {L"0|abc"}},
        {"a copy with the other regex digit goes", {L"0|x", L"1|abc", L"0|y"}, 0, L"abc", {L"0|abc", L"0|x", L"0|y"}},
        {"checked box stores 1", {L"0|abc"}, 1, L"abc", {L"1|abc"}},
        {"only the exact text is a copy", {L"0|abcd", L"0|ABC"}, 0, L"abc", {L"0|abc", L"0|abcd", L"0|ABC"}},
        {"fifty stay fifty", fifty, 0, L"new", fiftyAfter},
        {"a copy inside a full history moves first", fifty, 0, L"t10", fiftyMoved},
    };
    MakeBar();
    for (const Case& c : cases) {
        StoreHistory(static_cast<int>(c.before.size()), c.before);
        bar_->LoadHistory();
        bar_->RegexBox()->SetCheck(c.regex != 0);
        bar_->AddHistory(c.added);
        EXPECT_EQ(bar_->History(), c.after) << c.what;
        std::vector<std::wstring> texts;
        for (const std::wstring& entry : c.after) texts.push_back(entry.substr(2));
        EXPECT_EQ(ListTexts(), texts) << c.what;
        EXPECT_EQ(ini_.ReadInt(L"INCSEARCH", L"item_count", 0), c.after.size()) << c.what;
    }
}

TEST_F(MovieIncSearchTest, LoadHistoryReadsAtMostFiftyAndSkipsEmptyEntries)
{
    std::vector<std::wstring> sixty;
    for (int i = 0; i < 60; ++i) sixty.push_back(L"0|s" + std::to_wstring(i));
    struct Case {
        const char* what;
        int count;
        std::vector<std::wstring> stored;  // item0000 upwards; an empty one is not written
        size_t loaded;
    };
    const Case cases[] = {
        {"count 3 with item0001 missing", 3, {L"0|a", L"", L"1|c"}, 2},
        {"a damaged count reads fifty", 1000000, sixty, 50},
        {"short and empty texts are skipped", 5, {L"0", L"0|", L"1|x", L"|", L"0|y"}, 2},
        {"a negative count reads none", -4, {L"0|a"}, 0},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        CreateUnicodeIniFile(folder / L"album.ini");
        Inifile_CL ini(folder / L"album.ini");
        ini.WriteInt(c.count, L"INCSEARCH", L"item_count");
        for (size_t i = 0; i < c.stored.size(); ++i) {
            if (c.stored[i].empty()) continue;
            wchar_t key[16];
            swprintf(key, 16, L"item%04d", static_cast<int>(i));
            ini.WriteString(L"INCSEARCH", key, c.stored[i]);
        }
        // Without a window, as the history page uses it.
        MovieIncSearch_CL bar(nullptr, data_.get());
        bar.SetIni(&ini);
        bar.LoadHistory();
        EXPECT_EQ(bar.History().size(), c.loaded) << c.what;
    }
}

TEST_F(MovieIncSearchTest, HistoryRoundTripWithoutAWindow)
{
    StoreHistory(3, {L"0|first", L"1|a.*b", L"0|三番目"});
    MovieIncSearch_CL reader(nullptr, data_.get());
    reader.SetIni(&ini_);
    reader.LoadHistory();
    ASSERT_EQ(reader.History().size(), 3u);

    TempFolder other;
    CreateUnicodeIniFile(other / L"album.ini");
    Inifile_CL copy(other / L"album.ini");
    reader.SetIni(&copy);
    reader.SaveHistory();

    MovieIncSearch_CL again(nullptr, data_.get());
    again.SetIni(&copy);
    again.LoadHistory();
    EXPECT_EQ(again.History(), reader.History());
    EXPECT_EQ(copy.ReadInt(L"INCSEARCH", L"item_count", 0), 3u);
}

TEST_F(MovieIncSearchTest, ChoosingAStoredRegexSearchChecksTheBoxAndSearches)
{
    StoreHistory(2, {L"0|abc", L"1|x.*y"});
    MakeBar();
    Choose(bar_->SearchBox(), 1);
    EXPECT_EQ(SendMessageW(bar_->RegexBox()->hwnd, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(EditText(), L"x.*y");
    EXPECT_EQ(bar_->History(), (std::vector<std::wstring>{L"1|x.*y", L"0|abc"}));
    EXPECT_EQ(host_->refreshes, 1);
    EXPECT_EQ(g_movieSearchRegex.load(), 1);
    EXPECT_EQ(host_->ShownNames(), std::vector<std::wstring>{L"xmas party"});
}

TEST_F(MovieIncSearchTest, OnlyATagSearchWithoutRegexAddsItsFirstTagToTheTagHistory)
{
    struct Case {
        const char* what;
        int mode;
        bool regex;
        bool byKey;  // typed instead of chosen from the history
        bool added;
    };
    const Case cases[] = {
        {"tag mode, chosen", 1, false, false, true},
        {"name mode", 0, false, false, false},
        {"note mode", 2, false, false, false},
        {"tag mode with regex", 1, true, false, false},
        {"tag mode, key release", 1, false, true, false},
    };
    for (const Case& c : cases) {
        data_->album_data.tag_history.clear();
        data_->disp_setting.search_text.clear();
        ini_.WriteInt(c.regex ? 1 : 0, L"INCSEARCH", L"regex_search");
        StoreHistory(1, {c.regex ? L"1|a b" : L"0|a b"});
        MakeBar();
        SendMessageW(bar_->ModeBox()->hwnd, CB_SETCURSEL, static_cast<WPARAM>(c.mode), 0);
        if (c.byKey)
            TypeText(L"a b");
        else
            Choose(bar_->SearchBox(), 0);
        EXPECT_EQ(data_->disp_setting.search_text, L"a b") << c.what;
        EXPECT_EQ(data_->album_data.tag_history,
                  c.added ? std::vector<std::wstring>{L"a"} : std::vector<std::wstring>{})
            << c.what;
    }
}

TEST_F(MovieIncSearchTest, ChoosingNoteFiltersOnTheNoteAndStoresTheMode)
{
    MakeBar();
    SetWindowTextW(Edit(), L"xmas");
    Choose(bar_->ModeBox(), 2);
    EXPECT_EQ(g_movieSearchMode.load(), 2);
    EXPECT_EQ(data_->disp_setting.search_mode, 2);
    EXPECT_EQ(ini_.ReadInt(L"INCSEARCH", L"search_mode", 0), 2u);
    EXPECT_EQ(host_->ShownNames(), std::vector<std::wstring>{L"xmas party"});

    SetWindowTextW(Edit(), L"浜辺");
    bar_->RunSearch(1);
    EXPECT_EQ(host_->ShownNames(), std::vector<std::wstring>{L"夏の海"});

    // A new bar starts in the stored mode.
    bar_.reset();
    g_movieSearchMode = 0;
    MakeBar();
    EXPECT_EQ(bar_->ModeBox()->GetCurSel(), 2);
    EXPECT_EQ(g_movieSearchMode.load(), 2);
}

TEST_F(MovieIncSearchTest, AnUnfinishedPatternTypedKeyByKeyEndsWithAnEmptyList)
{
    ini_.WriteInt(1, L"INCSEARCH", L"regex_search");
    MakeBar();
    TypeText(L"x.*(");
    EXPECT_EQ(host_->refreshes, 4);
    EXPECT_TRUE(host_->ShownNames().empty());
}

TEST_F(MovieIncSearchTest, LayoutFollowsTheWidthAndBothButtonsHaveTooltips)
{
    HDC screen = GetDC(nullptr);
    RECT letter = {};
    DrawTextW(screen, L"\xFF37", 1, &letter, DT_CALCRECT);
    ReleaseDC(nullptr, screen);
    const int unit = letter.right - letter.left;
    ASSERT_GT(unit, 0);

    for (int width : {640, 1000}) {
        MakeBar(width);
        TBBUTTON first = {};
        SendMessageW(bar_->window, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&first));
        EXPECT_TRUE(first.fsStyle & BTNS_SEP) << width;
        EXPECT_EQ(first.iBitmap, width - 7 * unit) << width;

        const RECT mode = bar_->ModeBox()->GetRectInParent();
        EXPECT_EQ(mode.left, 0) << width;
        EXPECT_EQ(mode.right - mode.left, 56) << width;
        const RECT search = bar_->SearchBox()->GetRectInParent();
        EXPECT_EQ(search.left, 60) << width;
        EXPECT_EQ(search.right - search.left, width - 7 * unit - 70) << width;
        const RECT regex = bar_->RegexBox()->GetRectInParent();
        EXPECT_EQ(regex.left, width - 4 * unit - unit / 2) << width;
        EXPECT_EQ(regex.top, 4) << width;

        EXPECT_EQ(SendMessageW(bar_->toolTips.window, TTM_GETTOOLCOUNT, 0, 0), 2) << width;
        for (int command : {kIncSearchClearCommand, kIncSearchTagCommand}) {
            TTTOOLINFOW tool = {};
            tool.cbSize = sizeof(tool);
            tool.hwnd = bar_->window;
            tool.uId = static_cast<UINT_PTR>(command);
            EXPECT_TRUE(SendMessageW(bar_->toolTips.window, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)))
                << width << " command " << command;
        }
    }
}

TEST_F(MovieIncSearchTest, ScreenshotWithTheHistoryOpen)
{
    StoreHistory(4, {L"0|夏の海", L"1|x.*y", L"0|家族 旅行", L"0|note"});
    ini_.WriteInt(1, L"INCSEARCH", L"search_mode");
    MakeBar(720);
    SetWindowTextW(Edit(), L"夏");
    SendMessageW(bar_->SearchBox()->hwnd, CB_SHOWDROPDOWN, TRUE, 0);
    RedrawWindow(TestHostWindow::TopLevel(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages();
    EXPECT_FALSE(SaveWindowScreenshot(TestHostWindow::TopLevel(), L"views", L"search_bar_history").empty());
    SendMessageW(bar_->SearchBox()->hwnd, CB_SHOWDROPDOWN, FALSE, 0);
}

}  // namespace
