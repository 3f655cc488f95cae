#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "core/base/ByteReader.h"
#include "core/ipc/Kiln_RequestDecodePriorityRequest.h"
#include "core/ipc/PipeServer.h"
#include "core/ipc/StillforgeRequest.h"
#include "tests/common/RecordingPipeServer.h"
#include "tests/grid/GridTestSupport.h"

namespace {

using MakerPipe = RecordingPipeServer;

// kind, key count, keys: read by hand.
std::vector<uint32_t> PriorityKeys(const std::vector<uint8_t>& message)
{
    const auto u32 = [&](size_t at) {
        return message[at] | message[at + 1] << 8 | message[at + 2] << 16 | static_cast<uint32_t>(message[at + 3]) << 24;
    };
    EXPECT_GE(message.size(), 8u);
    if (message.size() < 8) return {};
    EXPECT_EQ(u32(0), 4u);
    const uint32_t count = u32(4);
    EXPECT_EQ(message.size(), 8 + 4ull * count);
    std::vector<uint32_t> keys;
    for (uint32_t i = 0; i < count && 8 + 4 * (i + 1) <= message.size(); ++i) keys.push_back(u32(8 + 4 * i));
    return keys;
}

class GridRequestTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        const std::wstring title = L"GridTest" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(GetTickCount());
        SetThumbnailMakerParams(title, folder_.Path(), folder_.Path());
        maker_.SetName(GetThumbnailMakerPipeName());
        ASSERT_EQ(maker_.Start(), S_OK);
    }

    MakerPipe maker_;
};

TEST_F(GridRequestTest, VisibleCellsWithoutStripsLastDrawnFirst)
{
    AddMovie(L"a");
    AddMovie(L"b", false);
    AddMovie(L"c");
    AddMovie(L"d", false);
    ShowAll();
    Paint();
    auto messages = maker_.WaitFor(1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(PriorityKeys(messages[0]), (std::vector<uint32_t>{104, 102}));
    EXPECT_EQ(grid_->visibleKeys, (std::vector<uint32_t>{101, 102, 103, 104}));

    // The same request again is not sent; a strip that arrives changes it.
    Paint();
    ASSERT_TRUE(WriteStrip(album_.movie_list.records[3], 256, 10));
    grid_->OnThumbnailChanged(104);
    UpdateWindow(grid_->hwnd);
    messages = maker_.WaitFor(2);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(PriorityKeys(messages[1]), (std::vector<uint32_t>{102}));
}

TEST_F(GridRequestTest, NothingWhenNoStripIsMissingOrARefreshIsPending)
{
    AddMovie(L"a");
    AddMovie(L"b");
    ShowAll();
    Paint();
    EXPECT_TRUE(maker_.WaitFor(1).empty());

    // A list rebuild is on its way: the cells shown are about to change.
    AddMovie(L"c", false);
    std::vector<int32_t>& indices = album_.disp_setting.movie_view.indices;
    indices = {2, 0, 1};
    grid_->gridListener.pendingRecords = album_.disp_setting.movie_view.records;
    grid_->gridListener.pendingIndices = indices;
    grid_->gridListener.AttachItems();
    grid_->gridListener.ClearBitmaps();
    grid_->SetItemCount(3);
    grid_->pendingState = 1;
    Paint();
    EXPECT_EQ(grid_->missingThumbnails.size(), 1u);
    EXPECT_TRUE(maker_.WaitFor(1).empty());
}

TEST_F(GridRequestTest, AThumbnailThatChangedRedrawsOnlyItsCell)
{
    for (int i = 0; i < 8; ++i) AddMovie(L"m" + std::to_wstring(i));
    ShowAll();
    Paint();
    ASSERT_GT(grid_->gridListener.cache.GetCount(), 0);
    const uint32_t visibleLast = grid_->visibleKeys.back();
    ASSERT_LT(visibleLast, 108u) << "the last movies must be off screen";

    ValidateRect(grid_->hwnd, nullptr);
    grid_->OnThumbnailChanged(108);  // not on screen
    RECT dirty = {};
    EXPECT_FALSE(GetUpdateRect(grid_->hwnd, &dirty, FALSE));
    EXPECT_GT(grid_->gridListener.cache.GetCount(), 0);

    grid_->OnThumbnailChanged(102);
    ASSERT_TRUE(GetUpdateRect(grid_->hwnd, &dirty, FALSE));
    const RECT cell = CellRect(1);
    EXPECT_TRUE(EqualRect(&dirty, &cell));
    EXPECT_EQ(grid_->gridListener.cache.GetCount(), 0);
}

TEST_F(GridRequestTest, StripsAreKeptWithinTheByteBudget)
{
    for (int i = 0; i < 6; ++i) AddMovie(L"m" + std::to_wstring(i));
    ShowAll();
    Paint();
    MovieBitmapChcheBase_CL& cache = grid_->gridListener.cache;
    EXPECT_EQ(cache.GetByteBudget(), MovieListWindow_CL::kDefaultStripCacheBytes);
    const int shown = cache.GetCount();
    ASSERT_GE(shown, 3);
    // Kept at the size drawn: ten frames of 256 x 144 at 3 bytes a pixel each.
    EXPECT_EQ(cache.GetBytes(), static_cast<uint64_t>(shown) * 2560 * 144 * 3);

    // A budget of two strips keeps the two drawn last; the cells still draw their strips.
    cache.SetByteBudget(2ull * 2560 * 144 * 3);
    EXPECT_EQ(cache.GetCount(), 2);
    Paint();
    EXPECT_EQ(cache.GetCount(), 2);
    const RECT first = CellRect(0);
    EXPECT_TRUE(Near(Pixel(first.left + 6 + 128, first.top + 80), FrameColour(1)));
    EXPECT_TRUE(maker_.WaitFor(1).empty());

    // At 128 x 72 a strip is kept at that size.
    UseLayout(0, 5);
    Paint();
    EXPECT_GT(cache.GetCount(), 2);
    EXPECT_EQ(cache.GetBytes(), static_cast<uint64_t>(cache.GetCount()) * 1280 * 72 * 3);
}

}  // namespace
