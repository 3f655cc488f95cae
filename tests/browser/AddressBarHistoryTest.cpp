#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "browser/AddressBarReelvault.h"
#include "tests/common/TempFolder.h"

namespace {

std::vector<std::wstring> BoxItems(HWND box)
{
    std::vector<std::wstring> items;
    LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

class AddressBarHistoryTest : public testing::Test {
protected:
    void SetUp() override
    {
        ini_.SetPath(folder_ / L"AlbumInfo.ini");
        for (HWND* box : {&address_, &search_, &engines_}) {
            *box = CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWN, 0, 0, 200, 200, nullptr, nullptr,
                                   nullptr, nullptr);
            ASSERT_NE(*box, nullptr);
        }
        for (int i = 0; i < 10; ++i)
            SendMessageW(engines_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(i).c_str()));
        SendMessageW(address_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"stale"));
    }
    void TearDown() override
    {
        for (HWND box : {address_, search_, engines_}) DestroyWindow(box);
    }

    TempFolder folder_;
    Inifile_CL ini_;
    HWND address_ = nullptr;
    HWND search_ = nullptr;
    HWND engines_ = nullptr;
};

TEST_F(AddressBarHistoryTest, LoadFillsTheBoxesAndSaveWritesTheSameBack)
{
    ini_.WriteInt(3, L"BROWSER", L"address_item_count");
    ini_.WriteString(L"BROWSER", L"address_item0000", L"https://example.com/");
    ini_.WriteString(L"BROWSER", L"address_item0001", L"");  // skipped
    ini_.WriteString(L"BROWSER", L"address_item0002", L"動画サイト");
    ini_.WriteInt(1, L"BROWSER", L"search_item_count");
    ini_.WriteString(L"BROWSER", L"search_item0000", L"猫");
    ini_.WriteInt(4, L"BROWSER", L"search_engine_index");

    AddressBarReelvault_CL bar;
    bar.SetBoxes(address_, search_, engines_, 10);
    bar.Bind(&ini_);
    bar.LoadHistories();
    EXPECT_EQ(BoxItems(address_), (std::vector<std::wstring>{L"https://example.com/", L"動画サイト"}));
    EXPECT_EQ(BoxItems(search_), std::vector<std::wstring>{L"猫"});
    EXPECT_EQ(SendMessageW(engines_, CB_GETCURSEL, 0, 0), 4);

    TempFolder other;
    Inifile_CL copy;
    copy.SetPath(other / L"AlbumInfo.ini");
    bar.Bind(&copy);
    bar.SaveHistories();
    EXPECT_EQ(copy.ReadInt(L"BROWSER", L"address_item_count", 0), 2u);
    EXPECT_EQ(copy.ReadString(L"BROWSER", L"address_item0001", L""), L"動画サイト");
    EXPECT_EQ(copy.ReadString(L"BROWSER", L"search_item0000", L""), L"猫");
    EXPECT_EQ(copy.ReadInt(L"BROWSER", L"search_engine_index", 0), 4u);
}

TEST_F(AddressBarHistoryTest, EngineOutOfRangeSelectsTheFirst)
{
    ini_.WriteInt(12, L"BROWSER", L"search_engine_index");
    AddressBarReelvault_CL bar;
    bar.SetBoxes(address_, search_, engines_, 10);
    bar.Bind(&ini_);
    bar.LoadHistories();
    EXPECT_EQ(bar.GetEngineIndex(), 0);
    EXPECT_EQ(SendMessageW(engines_, CB_GETCURSEL, 0, 0), 0);
}

TEST_F(AddressBarHistoryTest, LoadKeepsTheNewestFiftyWhateverTheStoredCount)
{
    ini_.WriteInt(60, L"BROWSER", L"search_item_count");
    ini_.WriteString(L"BROWSER", L"search_item0000", L"");  // skipped, so entries 1..50 are kept
    for (int i = 1; i < 60; ++i)
        ini_.WriteString(L"BROWSER", (L"search_item" + std::wstring(i < 10 ? L"000" : L"00") + std::to_wstring(i)).c_str(),
                         L"s" + std::to_wstring(i));
    AddressBarReelvault_CL bar;
    bar.SetBoxes(address_, search_, engines_, 10);
    bar.Bind(&ini_);
    bar.LoadHistories();
    ASSERT_EQ(bar.GetSearchHistory().size(), 50u);
    EXPECT_EQ(bar.GetSearchHistory().front(), L"s1");
    EXPECT_EQ(bar.GetSearchHistory().back(), L"s50");
    EXPECT_EQ(BoxItems(search_).size(), 50u);
}

TEST_F(AddressBarHistoryTest, UnboundBarTouchesNothing)
{
    AddressBarReelvault_CL bar;
    bar.SetBoxes(address_, search_, engines_, 10);
    bar.LoadHistories();
    bar.SaveHistories();
    EXPECT_EQ(BoxItems(address_), std::vector<std::wstring>{L"stale"});
    EXPECT_EQ(ReadFileBytes(ini_.GetPath()), (std::vector<uint8_t>{0xFF, 0xFE}));
}

}  // namespace
