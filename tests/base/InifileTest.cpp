#include <gtest/gtest.h>

#include <windows.h>

#include "core/base/Inifile.h"
#include "tests/common/TempFolder.h"

namespace {

bool Contains(const std::vector<uint8_t>& haystack, const std::vector<uint8_t>& needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

TEST(Inifile, SetPathCreatesAUnicodeFileThatKeepsJapanese)
{
    TempFolder folder;
    Inifile_CL ini;
    ini.SetPath(folder / L"new.ini");
    EXPECT_EQ(ReadFileBytes(ini.GetPath()), (std::vector<uint8_t>{0xFF, 0xFE}));

    const std::wstring title = L"となりの動画 ～特別編～";
    ini.WriteString(L"CONTENTS", L"title", title);
    EXPECT_EQ(ini.ReadString(L"CONTENTS", L"title", L""), title);
    std::vector<uint8_t> bytes = ReadFileBytes(ini.GetPath());
    EXPECT_TRUE(Contains(bytes, Utf16Bytes(L"title=" + title)));
}

TEST(Inifile, SetPathLeavesAnAnsiFileAlone)
{
    TempFolder folder;
    const std::vector<uint8_t> ansi = {'[', 's', ']', '\r', '\n', 'k', '=', 'v', '\r', '\n'};
    ASSERT_TRUE(WriteFileBytes(folder / L"old.ini", ansi));
    Inifile_CL ini;
    ini.SetPath(folder / L"old.ini");
    EXPECT_EQ(ReadFileBytes(folder / L"old.ini"), ansi);
    EXPECT_EQ(ini.ReadString(L"s", L"k", L""), L"v");
}

TEST(Inifile, Hex64ValueForms)
{
    TempFolder folder;
    Inifile_CL ini;
    ini.SetPath(folder / L"hex.ini");

    ini.WriteHex64(-1, L"S", L"minus");
    EXPECT_EQ(ini.ReadString(L"S", L"minus", L""), L"ffffffff:ffffffff");
    EXPECT_EQ(ini.ReadHex64(0, L"S", L"minus"), -1);
    ini.WriteHex64(0x100000002LL, L"S", L"pair");
    EXPECT_EQ(ini.ReadString(L"S", L"pair", L""), L"00000001:00000002");

    struct Case {
        const wchar_t* stored;
        int64_t expected;
    };
    const Case cases[] = {
        {L"00000001:00000002", 0x100000002LL},
        {L"0000000a:", 0xA00000000LL},
        // Shorter than nine characters: no low part, and nothing read past the end.
        {L"0000000a", 0xA00000000LL},
        {L"1", 0x100000000LL},
        {L"zz:zz", 0},
        {L"00000000:0000000g", 0},
        {L"ABCDEF12:3456789a", static_cast<int64_t>(0xABCDEF123456789AULL)},
    };
    for (const auto& c : cases) {
        ini.WriteString(L"S", L"v", c.stored);
        EXPECT_EQ(ini.ReadHex64(-7, L"S", L"v"), c.expected) << "stored value index " << (&c - cases);
    }
    EXPECT_EQ(ini.ReadHex64(-7, L"S", L"missing"), -7);
}

TEST(Inifile, IntegersKeepTheirSign)
{
    TempFolder folder;
    Inifile_CL ini;
    ini.SetPath(folder / L"int.ini");
    ini.WriteInt(-5, L"S", L"n");
    EXPECT_EQ(ini.ReadString(L"S", L"n", L""), L"-5");
    EXPECT_EQ(static_cast<int>(ini.ReadInt(L"S", L"n", 0)), -5);
    EXPECT_EQ(ini.ReadInt(L"S", L"missing", 12), 12u);
    ini.DeleteKey(L"S", L"n");
    EXPECT_EQ(ini.ReadString(L"S", L"n", L"gone"), L"gone");
}

TEST(Inifile, EmptyPathGivesDefaultsAndWritesNothing)
{
    Inifile_CL ini;
    const wchar_t* section = L"ReelvaultEmptyPathTest";
    ini.WriteString(section, L"k", L"v");
    ini.WriteInt(3, section, L"n");
    ini.WriteHex64(3, section, L"h");
    RECT r = {1, 2, 3, 4};
    ini.WriteStruct(section, L"r", &r, sizeof(r));
    // The profile functions would take an empty file name as win.ini.
    wchar_t buffer[64] = {};
    GetProfileStringW(section, L"k", L"absent", buffer, 64);
    EXPECT_STREQ(buffer, L"absent");

    EXPECT_EQ(ini.ReadString(section, L"k", L"d"), L"d");
    EXPECT_EQ(ini.ReadInt(section, L"n", 9), 9u);
    EXPECT_EQ(ini.ReadHex64(9, section, L"h"), 9);
    RECT fallback = {5, 6, 7, 8};
    RECT got = ini.ReadWindowRect(section, L"r", fallback);
    EXPECT_TRUE(EqualRect(&got, &fallback));
}

class WindowRectTest : public testing::Test {
protected:
    void SetUp() override
    {
        ini_.SetPath(folder_ / L"window.ini");
        MultiScreen_CL screens;
        screens.Enumerate();
        ASSERT_FALSE(screens.monitors.empty());
        work_ = screens.monitors.front().info.rcWork;
    }

    RECT RoundTrip(RECT saved)
    {
        ini_.WriteStruct(L"WINDOW", L"rect", &saved, sizeof(saved));
        return ini_.ReadWindowRect(L"WINDOW", L"rect", kDefault);
    }

    static constexpr RECT kDefault = {10, 20, 810, 620};
    TempFolder folder_;
    Inifile_CL ini_;
    RECT work_ = {};
};

TEST_F(WindowRectTest, KeepsARectangleWhoseCornerIsOnAScreen)
{
    struct Case {
        RECT saved;
        bool kept;
    };
    const Case cases[] = {
        {{work_.left + 100, work_.top + 100, work_.left + 900, work_.top + 700}, true},
        // Runs off the right edge: returned unchanged, not clipped.
        {{work_.right - 10, work_.top + 5, work_.right + 1000, work_.top + 500}, true},
        {{work_.left, work_.top, work_.left + 1, work_.top + 1}, true},
        // The right edge itself belongs to no monitor.
        {{work_.right, work_.top + 5, work_.right + 800, work_.top + 600}, false},
        {{work_.left + 5, work_.bottom, work_.left + 800, work_.bottom + 600}, false},
        // A monitor that was unplugged.
        {{5000, 4000, 5800, 4600}, false},
        {{-3000, 100, -2200, 700}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        RECT got = RoundTrip(c.saved);
        EXPECT_TRUE(EqualRect(&got, c.kept ? &c.saved : &kDefault));
    }
}

TEST_F(WindowRectTest, MissingOrDamagedValueGivesTheDefault)
{
    RECT got = ini_.ReadWindowRect(L"WINDOW", L"rect", kDefault);
    EXPECT_TRUE(EqualRect(&got, &kDefault));

    RECT saved = {100, 100, 200, 200};
    ini_.WriteStruct(L"WINDOW", L"rect", &saved, sizeof(saved));
    std::wstring stored = ini_.ReadString(L"WINDOW", L"rect", L"");
    ASSERT_EQ(stored.size(), 34u);  // 16 bytes as hex and a checksum byte
    stored[33] = stored[33] == L'0' ? L'1' : L'0';
    ini_.WriteString(L"WINDOW", L"rect", stored);
    got = ini_.ReadWindowRect(L"WINDOW", L"rect", kDefault);
    EXPECT_TRUE(EqualRect(&got, &kDefault));
}

TEST(MultiScreen, FindsThePrimaryMonitor)
{
    MultiScreen_CL screens;
    screens.Enumerate();
    ASSERT_FALSE(screens.monitors.empty());
    EXPECT_EQ(screens.primary.info.dwFlags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
    EXPECT_EQ(screens.primary.info.rcMonitor.right - screens.primary.info.rcMonitor.left,
              GetSystemMetrics(SM_CXSCREEN));
    // A second enumeration starts afresh.
    size_t count = screens.monitors.size();
    screens.Enumerate();
    EXPECT_EQ(screens.monitors.size(), count);
}

}  // namespace
