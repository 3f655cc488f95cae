// The albums the demo-album maker leaves, read back through the core's own readers: the
// process tests and tools/run.sh stand on them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/album/ItemCategoryDataList.h"
#include "core/base/Inifile.h"
#include "core/base/PathName.h"
#include "tests/appproc/support/AppProcSupport.h"

namespace {

using namespace appproc;

class DemoAlbumTest : public testing::Test {
protected:
    AppSandbox sandbox_;
};

TEST_F(DemoAlbumTest, DemoSortsTheClipsIntoCategoriesWithTagsAndStars)
{
    ASSERT_EQ(sandbox_.MakeDemoAlbum(), 0);
    ItemMovieDataList_CL movies;
    sandbox_.LoadFromFiles(movies);
    // The watched folder's clip is left to the program's own scan.
    ASSERT_EQ(movies.records.size(), 6u);
    std::map<std::wstring, const ItemMovieData_CL*> byName;
    for (const auto& movie : movies.records) byName[PathName_CL::GetFileName(movie.link_name)] = &movie;
    ASSERT_EQ(byName.count(L"01-夕暮れの海.mp4"), 1u);
    ASSERT_EQ(byName.count(L"07-broken.mp4"), 1u);
    EXPECT_EQ(byName.count(L"06-river.mp4"), 0u);

    const ItemMovieData_CL& sea = *byName[L"01-夕暮れの海.mp4"];
    EXPECT_EQ(sea.category, L"映画");
    EXPECT_EQ(sea.sub_category, L"風景");
    EXPECT_EQ(sea.tags, (std::vector<std::wstring>{L"夕暮れ", L"海"}));
    EXPECT_GT(sea.file_size, 0);
    int starred = 0;
    for (const auto& movie : movies.records) {
        EXPECT_EQ(GetFileAttributesW(movie.GetThumbnailPath().c_str()), INVALID_FILE_ATTRIBUTES)
            << "the program asks for every strip";
        EXPECT_FALSE(movie.tags.empty());
        starred += movie.star_count > 0;
    }
    EXPECT_GE(starred, 4);

    ItemCategoryDataList_CL categories;
    categories.Load(sandbox_.albumFolder());
    std::map<std::wstring, const ItemCategoryData_CL*> bySub;
    for (const auto& record : categories.records) bySub[record.sub_category] = &record;
    ASSERT_EQ(bySub.size(), 5u);
    ASSERT_EQ(bySub.count(L"監視フォルダ"), 1u);
    EXPECT_EQ(bySub[L"監視フォルダ"]->find_folder, DemoWatchedFolder());
    ASSERT_EQ(bySub.count(L"おすすめ"), 1u);
    EXPECT_EQ(bySub[L"おすすめ"]->category, L"プレイリスト");
    EXPECT_EQ(bySub[L"おすすめ"]->playlist.size(), 3u);
    ASSERT_EQ(bySub.count(L"サンプルサイト"), 1u);
    EXPECT_EQ(bySub[L"サンプルサイト"]->url_link, L"https://example.com/");
    for (const auto& record : categories.records) {
        EXPECT_NE(GetFileAttributesW(record.image_link.c_str()), INVALID_FILE_ATTRIBUTES) << "no picture";
    }

    Inifile_CL albumIni;
    albumIni.SetPath(sandbox_.albumFolder() + L"\\AlbumInfo.ini");
    categories.LoadTopCategoryList(albumIni);
    EXPECT_EQ(categories.top_categories.back().name, L"映画");
    EXPECT_GE(albumIni.ReadInt(L"TAG_HISTORY", L"count", 0), 5u);
}

TEST_F(DemoAlbumTest, ManyMoviesWithStripsInALockedAlbum)
{
    ASSERT_EQ(sandbox_.MakeMovies(25, L"--strips --album 2 --lock 5A"), 0);
    ItemMovieDataList_CL movies;
    sandbox_.LoadFromFiles(movies, 2);
    ASSERT_EQ(movies.records.size(), 25u);
    for (const auto& movie : movies.records) {
        EXPECT_NE(GetFileAttributesW(movie.GetThumbnailPath().c_str()), INVALID_FILE_ATTRIBUTES);
    }
    ItemMovieDataList_CL firstAlbum;
    sandbox_.LoadFromFiles(firstAlbum, 0);
    EXPECT_TRUE(firstAlbum.records.empty());
    EXPECT_FALSE(sandbox_.LoadFromCache(movies, 2)) << "no cache unless asked for";
    EXPECT_EQ(sandbox_.ProgramIni().Value(L"ALBUM_INFO", L"last_index"), L"2");
    EXPECT_EQ(albumtest::ParseUtf16Ini(sandbox_.albumFolder(2) + L"\\AlbumInfo.ini").Value(L"LOCK", L"key"), L"5A");
}

TEST_F(DemoAlbumTest, CacheOnRequest)
{
    ASSERT_EQ(sandbox_.MakeMovies(10, L"--cache"), 0);
    ItemMovieDataList_CL cached;
    ASSERT_TRUE(sandbox_.LoadFromCache(cached));
    EXPECT_EQ(cached.records.size(), 10u);
}

}  // namespace
