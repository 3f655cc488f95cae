#include <gtest/gtest.h>

#include <windows.h>

#include "core/album/MovieExtInfo.h"
#include "core/base/UniqueHandle.h"
#include "tests/common/TempFolder.h"

namespace {

// Wine 8 shows HKLM\Software\Classes through HKEY_CLASSES_ROOT, not HKCU's classes.
const wchar_t* const kClasses = L"Software\\Classes\\";

void SetClassValue(const std::wstring& key, const wchar_t* name, const wchar_t* data)
{
    UniqueRegKey k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kClasses + key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              k.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                             static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

class ShellAssociationTest : public testing::Test {
protected:
    const std::vector<std::wstring> keys_ = {L".rvtesta", L".rvtestb", L".rvtestc", L".rvtestd", L".rvteste"};
    void SetUp() override
    {
        TearDown();
        SetClassValue(L".rvtesta", nullptr, L"OtherApp.File");
        SetClassValue(L".rvtesta", L"Content Type", L"video/mp4");
        SetClassValue(L".rvtestb", nullptr, L"OtherApp.File");
        SetClassValue(L".rvtestb", L"Content Type", L"audio/mp4");
        SetClassValue(L".rvtestc", L"Content Type", L"video/x-c");
        SetClassValue(L".rvtestd", nullptr, L"Reelvault");
        SetClassValue(L".rvtestd", L"Content Type", L"Video/X-D");
        SetClassValue(L".rvteste", nullptr, L"Playdock");
        SetClassValue(L".rvteste", L"Content Type", L"video/x-e");
    }
    void TearDown() override
    {
        for (const auto& key : keys_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kClasses + key).c_str());
    }

    static const MovieExtInfoItem* Find(const std::vector<MovieExtInfoItem>& items, const wchar_t* extension)
    {
        for (const auto& item : items)
            if (item.extension == extension) return &item;
        return nullptr;
    }
};

TEST_F(ShellAssociationTest, RowsOnlyForVideoKeysWithAProgram)
{
    std::vector<MovieExtInfoItem> items;
    FindLaunchExt_CL walk(&items);
    walk.EnumKeys(HKEY_CLASSES_ROOT, L"");

    struct Case {
        const wchar_t* extension;
        bool row;
        const wchar_t* contentType;
        const wchar_t* progId;
        int accepted;
    };
    const Case cases[] = {
        {L".rvtesta", true, L"video/mp4", L"OtherApp.File", 0},
        {L".rvtestb", false, L"", L"", 0},  // audio
        {L".rvtestc", false, L"", L"", 0},  // no default value
        {L".rvtestd", true, L"Video/X-D", L"Reelvault", 1},
        {L".rvteste", true, L"video/x-e", L"Reelvault", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        const MovieExtInfoItem* item = Find(items, c.extension);
        ASSERT_EQ(item != nullptr, c.row);
        if (!item) continue;
        EXPECT_EQ(item->contentType, c.contentType);
        EXPECT_EQ(item->progId, c.progId);
        EXPECT_EQ(item->extra, L"");
        EXPECT_EQ(item->accepted, c.accepted);
        EXPECT_EQ(item->userAdded, 0);
    }
}

TEST_F(ShellAssociationTest, LoadAllPutsRegistryRowsBeforeBuiltInAndUserRows)
{
    TempFolder folder;
    Inifile_CL ini;
    ini.SetPath(folder / L"Reelvault.ini");
    ini.WriteInt(1, L"USER_EXT_INFO", L"count");
    ini.WriteString(L"USER_EXT_INFO", L"ext_item0000", L"1.rvuser");

    MovieExtInfo_CL table;
    table.AddItem({L".stale", L"", L"", L"", 0, 0});
    table.LoadAll(ini);
    EXPECT_FALSE(table.Contains(L"x.stale"));
    ASSERT_FALSE(table.items.empty());
    auto indexOf = [&](const wchar_t* extension) {
        for (size_t i = 0; i < table.items.size(); ++i)
            if (table.items[i].extension == extension) return static_cast<int>(i);
        return -1;
    };
    ASSERT_GE(indexOf(L".rvtesta"), 0);
    ASSERT_GE(indexOf(L".ogm"), 0);
    ASSERT_GE(indexOf(L".rvuser"), 0);
    EXPECT_LT(indexOf(L".rvtesta"), indexOf(L".ogm"));
    EXPECT_LT(indexOf(L".ogm"), indexOf(L".rvuser"));
}

TEST(MovieExtInfo, BuiltInRowsAreRewrittenAndSkippedWhenPresent)
{
    TempFolder folder;
    Inifile_CL ini;
    ini.SetPath(folder / L"Reelvault.ini");
    ini.WriteString(L"SYSTEM_EXT_INFO", L"ext_item0002", L".edited|text/plain");
    ini.WriteInt(0, L"SYSTEM_EXT_INFO", L".ogm");

    MovieExtInfo_CL table;
    table.AddItem({L".flv", L"video/x-flv", L"FlvFile", L"", 0, 0});  // as if the registry gave it
    table.LoadSystemExtensions(ini);

    EXPECT_EQ(ini.ReadInt(L"SYSTEM_EXT_INFO", L"count", 0), 9u);
    EXPECT_EQ(ini.ReadString(L"SYSTEM_EXT_INFO", L"ext_item0002", L""), L".flv|video/x-flv");
    EXPECT_EQ(ini.ReadString(L"SYSTEM_EXT_INFO", L"ext_item0007", L""), L".iso|iso");

    ASSERT_EQ(table.items.size(), 9u);  // .flv once, from the registry row
    EXPECT_EQ(table.items[0].progId, L"FlvFile");
    const wchar_t* expected[] = {L".flv", L".rm", L".rmvb", L".ogg", L".webm", L".mod", L".mpg", L".iso", L".ogm"};
    for (size_t i = 0; i < 9; ++i) EXPECT_EQ(table.items[i].extension, expected[i]);
    EXPECT_EQ(table.items[1].contentType, L"application/vnd.rn-realmedia");
    EXPECT_EQ(table.items[1].accepted, 1);
    EXPECT_EQ(table.items[8].accepted, 0);  // .ogm switched off by the user
}

TEST(MovieExtInfo, UserRowsCarryTheirFlag)
{
    TempFolder folder;
    Inifile_CL ini;
    ini.SetPath(folder / L"Reelvault.ini");
    ini.WriteInt(4, L"USER_EXT_INFO", L"count");
    ini.WriteString(L"USER_EXT_INFO", L"ext_item0000", L"1.mkv");
    ini.WriteString(L"USER_EXT_INFO", L"ext_item0001", L"0.ts");
    ini.WriteString(L"USER_EXT_INFO", L"ext_item0002", L"");
    // ext_item0003 is missing: nothing is added for it

    MovieExtInfo_CL table;
    table.LoadUserExtList(ini);
    ASSERT_EQ(table.items.size(), 2u);
    EXPECT_EQ(table.items[0].extension, L".mkv");
    EXPECT_EQ(table.items[0].accepted, 1);
    EXPECT_EQ(table.items[0].progId, L"ユーザー追加");
    EXPECT_EQ(table.items[0].userAdded, 1);
    EXPECT_EQ(table.items[1].extension, L".ts");
    EXPECT_EQ(table.items[1].accepted, 0);
}

TEST(MovieExtInfo, ContainsIgnoresCaseAndTicks)
{
    MovieExtInfo_CL table;
    table.AddItem({L".mpg", L"video/mpeg", L"", L"", 0, 0});
    EXPECT_EQ(table.Contains(L"D:\\movies\\CLIP.MPG"), 1);
    EXPECT_EQ(table.Contains(L"D:\\movies\\clip.mp4"), 0);
    EXPECT_EQ(table.Contains(L"D:\\movies\\noextension"), 0);
    EXPECT_EQ(table.Contains(L""), 0);
}

}  // namespace
