#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/album/MovieRegistration.h"
#include "core/album/SaveData.h"
#include "core/base/PathName.h"
#include "core/ipc/StillforgeRequest.h"
#include "core/base/Log.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/common/TempFolder.h"

namespace {

using albumtest::DocumentsSandbox;

// Records what the registration asks of the main window.
class RecordingHost : public RegistrationHost_IF {
public:
    void AddRegisteredRow(const std::wstring& path, const std::wstring& text) override { Row(path, text); }
    void AddRejectedRow(const std::wstring& path, const std::wstring& text) override { Row(path, text); }
    void ClearListenerBitmaps() override { Call(L"clear"); }
    void SelectCategoryTab(int category, int) override { Call(L"tab " + std::to_wstring(category)); }
    void SelectSortTab(int tab) override { Call(L"sort " + std::to_wstring(tab)); }
    void RebuildCategoryTabs() override { Call(L"tabs"); }
    void RefreshMovieList() override { Call(L"refresh"); }
    void RequestMissingThumbnails() override
    {
        Call(L"thumbnails");
        if (movies) movies->RequestMissingThumbnails();
    }
    // Set when the requests should really go out, as the main window sends them.
    ItemMovieDataList_CL* movies = nullptr;

    std::vector<std::pair<std::wstring, std::wstring>> rows;
    std::vector<std::wstring> calls;
    std::vector<DWORD> callThreads;

private:
    void Row(const std::wstring& path, const std::wstring& text)
    {
        CriticalSection_CL::Lock_CL guard(lock_);
        rows.emplace_back(path, text);
    }
    void Call(const std::wstring& what)
    {
        calls.push_back(what);
        callThreads.push_back(GetCurrentThreadId());
    }
    CriticalSection_CL lock_;
};

// An HDROP as the shell hands it over: DROPFILES, then wide names, then one more NUL.
HDROP MakeDrop(const std::vector<std::wstring>& names)
{
    size_t units = 1;
    for (const auto& name : names) units += name.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(header + 1);
    for (const auto& name : names) {
        std::copy(name.begin(), name.end(), text);
        text += name.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

class RegistrationTest : public testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryW(sandbox_.dataFolder().c_str(), nullptr);
        savedLog_ = AppLog;
        AppLog.path = files_ / L"log.txt";
        data_.program_ini.SetPath(sandbox_.dataFolder() + L"\\Reelvault.ini");
        data_.program_ini.WriteInt(1, L"ALBUM_INFO", L"no_complete_beep");
        data_.LoadAlbumInfo();
        data_.LoadAlbum();
    }
    void TearDown() override { AppLog = savedLog_; }

    std::wstring Touch(const std::wstring& relative)
    {
        std::wstring path = files_ / relative;
        WriteFileBytes(path, {'m', 'o', 'v'});
        return path;
    }
    // Registers the drop on a worker while this thread pumps messages, as the main window does.
    void DropOnWorker(const std::vector<std::wstring>& names, const std::function<void()>& whilePumping = nullptr)
    {
        HDROP drop = MakeDrop(names);
        std::atomic<bool> done{false};
        std::thread worker([&] {
            registration_.RegisterDroppedFiles(drop, nullptr);
            done = true;
        });
        while (!done) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            if (whilePumping) whilePumping();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        worker.join();
        GlobalFree(drop);
    }
    std::vector<std::wstring> Names() const
    {
        std::vector<std::wstring> names;
        for (const auto& r : data_.movie_list.records) names.push_back(r.content_name);
        std::sort(names.begin(), names.end());
        return names;
    }

    DocumentsSandbox sandbox_;
    TempFolder files_;
    Logger savedLog_;
    SaveData_CL data_;
    RecordingHost host_;
    MovieRegistration_CL registration_{data_, host_};
};

TEST_F(RegistrationTest, DroppedFolderGivesTheRows)
{
    CreateDirectoryW((files_ / L"drop").c_str(), nullptr);
    CreateDirectoryW((files_ / L"drop\\sub").c_str(), nullptr);
    std::wstring a = Touch(L"drop\\a.mpg");
    std::wstring b = Touch(L"drop\\b.txt");
    std::wstring d = Touch(L"drop\\sub\\d.flv");
    data_.disp_setting.category_tab = 2;  // the playlists tab

    DropOnWorker({files_ / L"drop"});
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"a", L"d"}));
    std::vector<std::pair<std::wstring, std::wstring>> rows = host_.rows;
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::pair<std::wstring, std::wstring>>{
                        {a, L"登録完了"}, {b, L"未対応の拡張子"}, {d, L"登録完了"}}));
    // Movies of a drop on the playlists tab have no category; the list changes happened
    // on this thread.
    for (const auto& r : data_.movie_list.records) {
        EXPECT_EQ(r.category, L"");
        EXPECT_EQ(r.run_decode, 1u);
        EXPECT_EQ(r.file_unchecked, 0u);
        EXPECT_EQ(r.file_size, 3);
        EXPECT_NE(r.decode_key, 0u);
    }
    EXPECT_EQ(host_.calls, (std::vector<std::wstring>{L"clear", L"tab 1", L"sort 4", L"tabs", L"refresh", L"thumbnails"}));
    for (DWORD thread : host_.callThreads) EXPECT_EQ(thread, GetCurrentThreadId());
    EXPECT_NE(GetFileAttributesW((data_.album_folder + L"\\LastAlbumInfo.dat").c_str()), INVALID_FILE_ATTRIBUTES);

    host_.rows.clear();
    DropOnWorker({a});
    EXPECT_EQ(host_.rows, (std::vector<std::pair<std::wstring, std::wstring>>{{a, L"既に登録済み"}}));
    EXPECT_EQ(data_.movie_list.records.size(), 2u);
}

TEST_F(RegistrationTest, DropJoinsTheShownSubCategory)
{
    std::wstring a = Touch(L"a.mpg");
    ItemCategoryData_CL shown;
    shown.category = L"映画";
    shown.sub_category = L"洋画";
    data_.category_list.records.push_back(shown);
    data_.category_list.records.push_back(shown);
    data_.category_list.records.back().sub_category = L"邦画";
    data_.disp_setting.sub_category_view.records = &data_.category_list.records;
    data_.disp_setting.sub_category_view.indices = {0, 1};
    data_.disp_setting.selected_sub_category = 1;
    data_.disp_setting.category_tab = 4;
    DropOnWorker({a});
    ASSERT_EQ(data_.movie_list.records.size(), 1u);
    EXPECT_EQ(data_.movie_list.records[0].category, L"映画");
    EXPECT_EQ(data_.movie_list.records[0].sub_category, L"邦画");
    EXPECT_EQ(std::count(host_.calls.begin(), host_.calls.end(), L"tab 1"), 0);
}

TEST_F(RegistrationTest, FileNumbersFillGapsInTheHashFolder)
{
    data_.ext_info.AddItem({L".avi", L"", L"ユーザー追加", L"", 1, 1});
    EXPECT_EQ(LinkNameHash(L"D:\\m.avi"), 277245u);
    EXPECT_EQ(registration_.RegisterMovieFile(L"D:\\m.avi", L"", L""), 1);
    const std::wstring folder = data_.album_folder + L"\\contents\\045\\";
    EXPECT_EQ(data_.movie_list.records.back().ini_name, folder + L"contents045-00000.ini");

    // Fill 00001 and 00002 by hand, then open a gap at 00001.
    for (const wchar_t* name : {L"contents045-00001.ini", L"contents045-00002.ini"})
        WriteFileBytes(folder + name, {0xFF, 0xFE});
    DeleteFileW((folder + L"contents045-00001.ini").c_str());
    // "D:\m.avi" and "D:\\m.avi" hash alike only by chance; find another path of folder 45.
    std::wstring other;
    for (int i = 0; other.empty(); ++i) {
        std::wstring candidate = L"E:\\clip" + std::to_wstring(i) + L".avi";
        if (LinkNameHash(candidate) % 100 == 45) other = candidate;
    }
    EXPECT_EQ(registration_.RegisterMovieFile(other, L"", L""), 1);
    EXPECT_EQ(data_.movie_list.records.back().ini_name, folder + L"contents045-00001.ini");

    // A path differing only in case is another movie; an unknown type is no movie at all.
    EXPECT_EQ(registration_.RegisterMovieFile(L"D:\\M.avi", L"", L""), 1);
    EXPECT_EQ(registration_.RegisterMovieFile(L"D:\\m.xyz", L"", L""), 0);
}

TEST_F(RegistrationTest, WatchedFoldersWithAndWithoutSubFolders)
{
    CreateDirectoryW((files_ / L"watch").c_str(), nullptr);
    CreateDirectoryW((files_ / L"watch\\deeper").c_str(), nullptr);
    Touch(L"watch\\top.mpg");
    Touch(L"watch\\notes.txt");
    Touch(L"watch\\deeper\\inner.mpg");
    ItemCategoryData_CL watched;
    watched.category = L"映画";
    watched.sub_category = L"新作";
    watched.find_folder = files_ / L"watch";
    watched.check_sub_folder = 0;
    data_.category_list.records.push_back(watched);

    registration_.ScanFindFolders();
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"top"});
    EXPECT_EQ(data_.movie_list.records[0].sub_category, L"新作");
    // Only the registered movie gets a row; a scan says nothing of other file types.
    EXPECT_EQ(host_.rows, (std::vector<std::pair<std::wstring, std::wstring>>{{files_ / L"watch\\top.mpg", L"登録完了"}}));

    data_.category_list.records.back().check_sub_folder = 1;
    registration_.ScanFindFolders();
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"inner", L"top"}));
}

TEST_F(RegistrationTest, DropWhileTheWindowThreadReadsTheList)
{
    CreateDirectoryW((files_ / L"many").c_str(), nullptr);
    std::vector<std::wstring> paths;
    for (int i = 0; i < 150; ++i) paths.push_back(Touch(L"many\\movie" + std::to_wstring(i) + L".mpg"));

    size_t reads = 0;
    DropOnWorker({files_ / L"many"}, [&] {
        // What a paint does: walk the whole list and touch its strings.
        for (const auto& r : data_.movie_list.records) reads += r.content_name.size() + r.link_name.size();
    });
    EXPECT_GT(reads, 0u);
    ASSERT_EQ(data_.movie_list.records.size(), 150u);
    std::set<std::wstring> links;
    std::set<std::wstring> inis;
    std::set<uint32_t> keys;
    for (const auto& r : data_.movie_list.records) {
        links.insert(r.link_name);
        inis.insert(r.ini_name);
        keys.insert(r.decode_key);
    }
    EXPECT_EQ(links.size(), 150u);
    EXPECT_EQ(inis.size(), 150u);
    EXPECT_EQ(keys.size(), 150u);
}

TEST_F(RegistrationTest, NewMoviesReachTheThumbnailMaker)
{
    TempFolder makerData;
    const std::wstring title = L"RegistrationTest-" + std::to_wstring(GetCurrentProcessId());
    SetThumbnailMakerParams(title, makerData.Path(), PathName_CL::GetModuleFolder() + L"\\..\\thumbnailer");
    ASSERT_TRUE(StartThumbnailMaker());
    host_.movies = &data_.movie_list;

    std::wstring a = Touch(L"first.mpg");
    std::wstring b = Touch(L"second.flv");
    DropOnWorker({a, b});

    // The maker logs every movie it takes from the pipe.
    std::wstring log;
    for (int i = 0; i < 200; ++i) {
        log = ReadUtf16File(makerData / L"kiln_dec_list.txt");
        if (log.find(L"受付(" + a + L")") != std::wstring::npos && log.find(L"受付(" + b + L")") != std::wstring::npos)
            break;
        Sleep(50);
    }
    StopThumbnailMaker();
    EXPECT_NE(log.find(L"受付(" + a + L")"), std::wstring::npos);
    EXPECT_NE(log.find(L"受付(" + b + L")"), std::wstring::npos);
}

}  // namespace
