// The frame list of the image-selection dialog on generated clips, with a real decode thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/base/ThreadMessages.h"
#include "core/media/GdiplusSession.h"
#include "tests/common/Screenshot.h"
#include "tests/common/TestWindow.h"
#include "tests/views/PictureListTestSupport.h"
#include "ui/views/PictureListViewReelvault.h"

namespace {

constexpr int64_t kHalfSecond = 5000000;
constexpr int kListId = 0x1104;

std::wstring Clip(const wchar_t* name)
{
    std::wstring path = std::wstring(REELVAULT_VIEWS_MOVIE_DIR) + L"/" + name;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// The studio-range luma a cell's frame shows in each clip.
int RisingLuma(int cell)
{
    return 40 + 12 * (cell % 16);
}
int FallingLuma(int cell)
{
    return 220 - 12 * (cell % 16);
}

// The list with what it asks of the decode thread and what it gets back written down.
class WatchedFrameList : public PictureListViewReelvault_CL {
public:
    struct Request {
        int32_t index;
        int32_t atFront;
    };

    void OnFrameDecoded(DecodoRequestItemBase_CL* item, uint32_t id) override
    {
        arrived.push_back(item->userValue);
        PictureListViewReelvault_CL::OnFrameDecoded(item, id);
    }
    LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_DECODE_FRAME && cancelling != 0) ++discarded;
        // The reload shows in the arrivals as -1.
        if (msg == WM_LIST_REFRESH) arrived.push_back(-1);
        return PictureListViewReelvault_CL::HandleMessage(window, msg, wParam, lParam);
    }

    std::vector<int32_t> FrontRequests() const
    {
        std::vector<int32_t> front;
        for (const auto& r : requests)
            if (r.atFront == 1) front.push_back(r.index);
        return front;
    }
    std::vector<int32_t> BackRequests() const
    {
        std::vector<int32_t> back;
        for (const auto& r : requests)
            if (r.atFront != 1) back.push_back(r.index);
        return back;
    }
    bool HasArrived(int32_t index, size_t from = 0) const
    {
        return std::find(arrived.begin() + static_cast<std::ptrdiff_t>(from), arrived.end(), index) != arrived.end();
    }

    std::vector<Request> requests;  // only those the thread took
    std::vector<int32_t> arrived;
    int discarded = 0;

protected:
    uint32_t QueueFrameRequest(int64_t position, int32_t index, int32_t atFront) override
    {
        const uint32_t id = PictureListViewReelvault_CL::QueueFrameRequest(position, index, atFront);
        if (id != DShowMovieFrameDecodeThread_CL::kNoRequest) requests.push_back({index, atFront});
        return id;
    }
};

// Pumps this thread's messages until `done` or the time runs out; false on time-out.
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

// A drop of these files, as the shell hands it over (the receiver frees it with DragFinish).
HGLOBAL MakeDrop(const std::vector<std::wstring>& files)
{
    size_t chars = 1;
    for (const auto& f : files) chars += f.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    if (!memory) return nullptr;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(drop + 1);
    for (const auto& f : files) {
        std::copy(f.begin(), f.end(), names);
        names += f.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

// The image-selection dialog's part: it owns the decode thread and the list, sets the list up
// as the dialog does (picture 256 x 144, cell 260 x 148, a grid, half a second a cell) and
// hears what the list tells its parent.
class FrameListTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(gdiplus_.IsStarted());
        // The list's cursor follows the mouse. The display is shared with the other test
        // programs, whose windows come and go under the pointer and make the system send
        // mouse moves to whatever lies beneath it: the pointer waits in the screen's far
        // corner, away from this window.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        recorder_ = std::make_unique<NotifyRecorder>(host_.Get(), kWidth, kHeight);
        list_ = std::make_unique<WatchedFrameList>();
        ASSERT_NE(list_->Create(recorder_->Get(), kListId, kWidth, kHeight), nullptr);
        list_->pictureWidth = 256;
        list_->pictureHeight = 144;
        list_->cellWidth = 260;
        list_->cellHeight = 148;
        list_->layoutMode = 2;
        list_->interval = kHalfSecond;
        list_->dropForwarding = 0;
        list_->decoder.SetThread(&thread_);
        list_->decoder.SetWindow(list_->hwnd);
    }

    void TearDown() override
    {
        if (list_ && list_->hwnd) DestroyWindow(list_->hwnd);
        list_.reset();
        thread_.Stop();
        PumpMessages();
        CoUninitialize();
    }

    void StartThread()
    {
        ASSERT_EQ(thread_.Start(), 0);
    }

    // The list's load: the cancel's answer, the reload and the first paint.
    void Load(const std::wstring& path)
    {
        list_->LoadMovie(path);
        ASSERT_TRUE(PumpUntil([&] { return list_->moviePath.empty() && list_->cancelling == 0; }, 30000));
        UpdateWindow(list_->hwnd);
    }

    std::vector<int32_t> VisibleCells() const
    {
        std::vector<int32_t> cells;
        for (const auto& c : list_->GetVisibleCells())
            if (c.index < list_->GetItemCount()) cells.push_back(static_cast<int32_t>(c.index));
        return cells;
    }

    bool AllArrived(const std::vector<int32_t>& cells, size_t from = 0) const
    {
        for (int32_t c : cells)
            if (!list_->HasArrived(c, from)) return false;
        return true;
    }

    // The cell's cached frame shows the expected brightness under a white band at its top.
    void ExpectFrame(int32_t cell, int expectedLuma)
    {
        SCOPED_TRACE(testing::Message() << "cell " << cell);
        auto* frame = dynamic_cast<Gdiplus::Bitmap*>(list_->frameCache.Find(nullptr, cell * kHalfSecond));
        ASSERT_NE(frame, nullptr);
        ASSERT_EQ(frame->GetWidth(), 256u);
        ASSERT_EQ(frame->GetHeight(), 144u);
        Gdiplus::Color band, body, bottom;
        frame->GetPixel(128, 6, &band);
        frame->GetPixel(128, 80, &body);
        frame->GetPixel(128, 140, &bottom);
        EXPECT_NEAR(16 + body.GetG() * 219 / 255, expectedLuma, 5);
        EXPECT_GT(band.GetG(), 220) << "the white band belongs at the top";
        EXPECT_NEAR(bottom.GetG(), body.GetG(), 8);
    }

    // Four columns and four rows (the last cut), all on the test display.
    static constexpr int kWidth = 1060;
    static constexpr int kHeight = 500;

    GdiplusSession gdiplus_;
    TestHostWindow host_{kWidth, kHeight};
    std::unique_ptr<NotifyRecorder> recorder_;
    DShowMovieFrameDecodeThread_CL thread_;
    std::unique_ptr<WatchedFrameList> list_;
};

TEST(FrameListCells, CountIsTheDurationOverTheIntervalRoundedUp)
{
    const struct {
        int64_t duration, interval;
        uint32_t cells;
    } cases[] = {
        {600000000, kHalfSecond, 120},          // one minute exactly
        {600000001, kHalfSecond, 121},          // one 100-ns unit more
        {599999999, kHalfSecond, 120},
        {6000000000, kHalfSecond, 1200},        // ten minutes
        {1, kHalfSecond, 1},
        {0, kHalfSecond, 0},
        {-5, kHalfSecond, 0},                   // a broken file: no cells, not billions
        {INT64_MIN, kHalfSecond, 0},
        {600000000, 0, 0},
        {INT64_MAX, kHalfSecond, PictureListViewReelvault_CL::kMaxCells},
        {INT64_MAX, INT64_MAX - 1, 2},          // rounding up does not overflow
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureListViewReelvault_CL::CellCount(c.duration, c.interval), c.cells)
            << c.duration << " / " << c.interval;
}

TEST(FrameListCells, TimeStampIsTheCellsWholeSeconds)
{
    const struct {
        int64_t cell;
        const wchar_t* stamp;
    } cases[] = {
        {0, L"00:00:00"}, {1, L"00:00:00"}, {2, L"00:00:01"}, {119, L"00:00:59"},
        {7261, L"01:00:30"},  // 3630.5 s
        {7199, L"00:59:59"}, {172800, L"24:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureListViewReelvault_CL::FormatTimeStamp(c.cell * kHalfSecond), c.stamp) << c.cell;
}

TEST_F(FrameListTest, TimeStampBoxIsDrawnOverTheCell)
{
    // No movie: cells without frames show the stamp on the list's white background.
    list_->SetItemCount(8000);
    list_->RecalcLayout();
    list_->EnsureVisible(7261);
    list_->cursorIndex = -1;
    InvalidateRect(list_->hwnd, nullptr, FALSE);
    UpdateWindow(list_->hwnd);
    RECT cell;
    ASSERT_TRUE(list_->GetItemRect(7261, &cell));
    Gdiplus::Bitmap* buffer = list_->GetBackBuffer();
    ASSERT_NE(buffer, nullptr);
    const auto at = [&](int x, int y) {
        Gdiplus::Color c;
        buffer->GetPixel(cell.left + 2 + x, cell.top + 2 + y, &c);
        return c;
    };
    // Half of 0x505050 over white: the box's corner, clear of the digits.
    EXPECT_TRUE(Near(at(1, 1), RGB(0xA7, 0xA7, 0xA7), 6));
    EXPECT_TRUE(Near(at(150, 100), RGB(255, 255, 255), 0)) << "nothing else in a cell without its frame";
    int white = 0;
    int box = 0;
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 50; ++x) {
            const Gdiplus::Color c = at(x, y);
            white += Near(c, RGB(255, 255, 255), 20);
            box += Near(c, RGB(0xA7, 0xA7, 0xA7), 6);
        }
    }
    EXPECT_GT(white, 40) << "the digits";
    EXPECT_GT(box, 150) << "the box around them";
}

TEST_F(FrameListTest, OneMinuteClipFillsTheVisibleCellsEveryFourthFirst)
{
    // The thread starts only once the first paint has asked, so that the order of the results
    // is the queue's alone.
    Load(Clip(L"frames-60s.avi"));
    ASSERT_EQ(list_->GetItemCount(), 120u);
    ASSERT_EQ(list_->columns, 4u);
    std::vector<int32_t> all(120);
    for (int32_t i = 0; i < 120; ++i) all[i] = i;
    EXPECT_EQ(list_->BackRequests(), all);
    const std::vector<int32_t> visible = VisibleCells();
    ASSERT_EQ(visible.size(), 16u);
    EXPECT_EQ(list_->cursorIndex, 0);

    StartThread();
    // Nothing kicks a thread started after the requests were queued; one more request does.
    ASSERT_NE(list_->decoder.RequestFrame(119 * kHalfSecond, 119, 0), DShowMovieFrameDecodeThread_CL::kNoRequest);
    ASSERT_TRUE(PumpUntil([&] { return AllArrived(visible); }, 120000)) << list_->arrived.size() << " frames";

    // The arrivals begin with the reload, then every fourth cell, then the next remainders.
    std::vector<int32_t> expected = {-1};
    for (int remainder = 0; remainder < 4; ++remainder)
        for (int32_t i = remainder; i < 16; i += 4) expected.push_back(i);
    EXPECT_EQ(std::vector<int32_t>(list_->arrived.begin(), list_->arrived.begin() + 17), expected);
    for (int32_t cell : visible) ExpectFrame(cell, RisingLuma(cell));

    // On the screen: the frame at the cell's corner, the stamp over it.
    InvalidateRect(list_->hwnd, nullptr, FALSE);
    UpdateWindow(list_->hwnd);
    RECT cell;
    ASSERT_TRUE(list_->GetItemRect(6, &cell));
    Gdiplus::Color pixel;
    list_->GetBackBuffer()->GetPixel(cell.left + 2 + 128, cell.top + 2 + 80, &pixel);
    EXPECT_NEAR(16 + pixel.GetG() * 219 / 255, RisingLuma(6), 5);
    EXPECT_FALSE(SaveWindowScreenshot(list_->hwnd, L"views", L"frame_list").empty());
}

TEST_F(FrameListTest, TenMinuteClipAsksForTheFirst800AndLaterCellsWhenShown)
{
    // Never started: the requests are counted, not awaited.
    Load(Clip(L"frames-10min.avi"));
    ASSERT_EQ(list_->GetItemCount(), 1200u);
    const std::vector<int32_t> back = list_->BackRequests();
    ASSERT_EQ(back.size(), 800u);
    EXPECT_EQ(back.front(), 0);
    EXPECT_EQ(back.back(), 799);

    list_->requests.clear();
    // Page by page to the end, painted only there.
    for (int page = 0; page < 100; ++page) SendMessageW(list_->hwnd, WM_VSCROLL, SB_PAGEDOWN, 0);
    UpdateWindow(list_->hwnd);
    const std::vector<int32_t> visible = VisibleCells();
    ASSERT_FALSE(visible.empty());
    EXPECT_EQ(visible.back(), 1199);
    std::vector<int32_t> front = list_->FrontRequests();
    std::sort(front.begin(), front.end());
    EXPECT_EQ(front, visible);
    EXPECT_TRUE(list_->BackRequests().empty());

    // A file that does not open: an empty list, and the path is let go.
    list_->requests.clear();
    Load(Clip(L"no-such-clip.avi"));
    EXPECT_EQ(list_->GetItemCount(), 0u);
    EXPECT_TRUE(list_->moviePath.empty());
    EXPECT_TRUE(list_->requests.empty());
    EXPECT_EQ(list_->cursorIndex, -1);
}

TEST_F(FrameListTest, ShowIndexPutsTheCursorOnItsCellInView)
{
    const struct {
        int32_t show;
        int32_t cursor;
        int vertical;  // scroll position
    } cases[] = {
        {50, 50, 12 * 148},               // row 12 at the top
        {118, 118, 30 * 148 - 500},   // the last rows end at the bottom
        {5000, 119, 30 * 148 - 500},  // past the end: the last cell
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.show);
        list_->LoadMovie(Clip(L"frames-60s.avi"));
        list_->showIndex = c.show;
        ASSERT_TRUE(PumpUntil([&] { return list_->moviePath.empty(); }, 30000));
        EXPECT_EQ(list_->cursorIndex, c.cursor);
        EXPECT_EQ(list_->showIndex, 0);
        EXPECT_NEAR(GetScrollPos(list_->hwnd, SB_VERT), c.vertical, 2);
        const std::vector<int32_t> visible = VisibleCells();
        EXPECT_NE(std::find(visible.begin(), visible.end(), c.cursor), visible.end());
    }
}

TEST_F(FrameListTest, MouseMovesAskForEachMissingFrameOnce)
{
    // Never started: the frames stay missing however often the list paints.
    Load(Clip(L"frames-60s.avi"));
    const std::vector<int32_t> visible = VisibleCells();
    for (int i = 0; i < 200; ++i) {
        const int x = 10 + (i * 37) % (kWidth - 40);
        const int y = 10 + (i * 53) % (kHeight - 40);
        SendMessageW(list_->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        UpdateWindow(list_->hwnd);
    }
    std::map<int32_t, int> asked;
    for (int32_t index : list_->FrontRequests()) ++asked[index];
    ASSERT_EQ(asked.size(), visible.size());
    for (int32_t cell : visible) EXPECT_EQ(asked[cell], 1) << "cell " << cell;

    // The thread drops what was asked when told to stop; the next paint asks again.
    list_->requests.clear();
    list_->RequestReload(0);
    PumpMessages();
    InvalidateRect(list_->hwnd, nullptr, FALSE);
    UpdateWindow(list_->hwnd);
    std::vector<int32_t> again = list_->FrontRequests();
    std::sort(again.begin(), again.end());
    EXPECT_EQ(again, visible);
}

TEST_F(FrameListTest, NewMovieWhileFramesArePendingThrowsTheOldResultsAway)
{
    StartThread();
    Load(Clip(L"frames-60s.avi"));
    ASSERT_TRUE(PumpUntil([&] { return list_->arrived.size() >= 3; }, 60000));
    // Wait, without handling it, for a result of the first movie to be queued for the list.
    MSG waiting;
    const DWORD start = GetTickCount();
    while (!PeekMessageW(&waiting, list_->hwnd, WM_DECODE_FRAME, WM_DECODE_FRAME, PM_NOREMOVE)) {
        ASSERT_LT(GetTickCount() - start, 30000u) << "no result of the first movie came";
        Sleep(5);
    }
    const size_t reloadAt = list_->arrived.size();
    list_->requests.clear();
    Load(Clip(L"frames-10min.avi"));
    ASSERT_EQ(list_->GetItemCount(), 1200u);
    EXPECT_GE(list_->discarded, 1);
    ASSERT_GT(list_->arrived.size(), reloadAt);
    EXPECT_EQ(list_->arrived[reloadAt], -1) << "nothing of the first movie after it was replaced";
    EXPECT_EQ(list_->BackRequests().size(), 800u);

    const std::vector<int32_t> visible = VisibleCells();
    ASSERT_TRUE(PumpUntil([&] { return AllArrived(visible, reloadAt); }, 120000)) << list_->arrived.size();
    for (int32_t cell : visible) ExpectFrame(cell, FallingLuma(cell));
}

TEST_F(FrameListTest, DropsGoToTheParentOrLoadTheFirstFile)
{
    list_->dropForwarding = 1;
    recorder_->others.clear();
    HGLOBAL forwarded = MakeDrop({Clip(L"frames-60s.avi")});
    ASSERT_NE(forwarded, nullptr);
    SendMessageW(list_->hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(forwarded), 0);
    ASSERT_EQ(recorder_->others.size(), 1u);
    EXPECT_EQ(recorder_->others[0].msg, static_cast<UINT>(WM_DROPFILES));
    EXPECT_EQ(recorder_->others[0].wParam, reinterpret_cast<WPARAM>(forwarded));
    GlobalFree(forwarded);
    PumpMessages();
    EXPECT_EQ(list_->GetItemCount(), 0u);

    list_->dropForwarding = 0;
    recorder_->others.clear();
    // The list takes the drop (and frees it).
    SendMessageW(list_->hwnd, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop({Clip(L"frames-60s.avi"), Clip(L"frames-10min.avi"), L"C:\\x.avi"})),
                 0);
    ASSERT_TRUE(PumpUntil([&] { return list_->GetItemCount() != 0; }, 30000));
    EXPECT_EQ(list_->GetItemCount(), 120u);
    EXPECT_TRUE(list_->moviePath.empty());
    EXPECT_EQ(list_->BackRequests().size(), 120u);
    EXPECT_TRUE(recorder_->others.empty());

    // A name longer than the shell's usual buffer is taken whole, not cut to another file.
    const std::wstring longName = L"C:\\" + std::wstring(600, L'x') + L".avi";
    SendMessageW(list_->hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({longName})), 0);
    EXPECT_EQ(list_->moviePath, longName);
    ASSERT_TRUE(PumpUntil([&] { return list_->moviePath.empty(); }, 30000));
    EXPECT_EQ(list_->GetItemCount(), 0u);
}

TEST_F(FrameListTest, WithoutADecodeThreadTheListStillLoadsAndStops)
{
    // Nobody would answer the cancel: the list answers it itself, or the owner waiting for the
    // stop would wait for ever.
    list_->decoder.SetThread(nullptr);
    Load(Clip(L"frames-60s.avi"));
    EXPECT_EQ(list_->GetItemCount(), 120u);
    EXPECT_TRUE(list_->requests.empty());
    recorder_->others.clear();
    list_->RequestReload(1);
    ASSERT_TRUE(PumpUntil([&] { return !recorder_->others.empty(); }, 10000));
    EXPECT_EQ(recorder_->others[0].msg, WM_LIST_RELOAD);
}

TEST_F(FrameListTest, StopReachesTheParentOnceTheThreadHasLetGo)
{
    StartThread();
    Load(Clip(L"frames-60s.avi"));
    recorder_->others.clear();
    list_->RequestReload(1);
    ASSERT_TRUE(PumpUntil([&] { return !recorder_->others.empty(); }, 30000));
    ASSERT_EQ(recorder_->others.size(), 1u);
    EXPECT_EQ(recorder_->others[0].msg, WM_LIST_RELOAD);
    EXPECT_EQ(recorder_->others[0].wParam, reinterpret_cast<WPARAM>(list_->hwnd));
    EXPECT_EQ(recorder_->others[0].lParam, 1);
    EXPECT_EQ(list_->pendingReloadValue, 0);
    EXPECT_EQ(list_->GetItemCount(), 120u) << "a stop keeps what is shown";
}

}  // namespace
