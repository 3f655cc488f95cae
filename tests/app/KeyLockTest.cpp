// The album key lock as the start-up splash checks it: the keys held now against the code
// stored in the album ini.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/settings/PropAppKeySetting.h"
#include "core/album/SaveData.h"
#include "tests/common/TempFolder.h"

namespace {

// Holds exactly `keys` in this thread's keyboard state (and Shift when asked).
void HoldKeys(const std::wstring& keys, bool shift = false, bool numpad5 = false)
{
    BYTE state[256] = {};
    for (wchar_t key : keys) state[static_cast<BYTE>(key)] = 0x80;
    if (shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    if (numpad5) state[VK_NUMPAD5] = 0x80;
    ASSERT_TRUE(SetKeyboardState(state));
}

class KeyLockTest : public ::testing::Test {
protected:
    void SetUp() override { data_.album_ini.SetPath(folder_ / L"AlbumInfo.ini"); }
    void TearDown() override { HoldKeys(L""); }

    void StoreCode(const wchar_t* code)
    {
        if (code) data_.album_ini.WriteString(L"LOCK", L"key", code);
    }

    TempFolder folder_;
    SaveData_CL data_;
};

struct KeyLockCase {
    const wchar_t* name;
    const wchar_t* stored;  // null: no key in the ini
    std::wstring held;
    bool shift;
    bool numpad5;
    int expected;
};

TEST_F(KeyLockTest, HeldKeysMustEqualTheStoredCode)
{
    const KeyLockCase cases[] = {
        {L"no lock, nothing held", nullptr, L"", false, false, 1},
        {L"empty lock, nothing held", L"", L"", false, false, 1},
        {L"no lock, a key held by chance", nullptr, L"A", false, false, 0},
        {L"chord held", L"5A", L"5A", false, false, 1},
        {L"part of the chord", L"5A", L"5", false, false, 0},
        {L"chord and one more letter", L"5A", L"5AB", false, false, 0},
        {L"nothing held on a locked album", L"5A", L"", false, false, 0},
        {L"9 and Z belong to chords", L"09Z", L"09Z", false, false, 1},
        {L"9 held beyond the chord", L"5A", L"59A", false, false, 0},
        {L"Shift is no part of a chord", L"5A", L"5A", true, false, 1},
        {L"the keypad's 5 is not the 5 key", L"5A", L"A", false, true, 0},
    };
    for (const KeyLockCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)).c_str());
        data_.album_ini.DeleteKey(L"LOCK", L"key");
        StoreCode(c.stored);
        HoldKeys(c.held, c.shift, c.numpad5);
        PropAppKeySetting_CL check(nullptr, &data_);
        EXPECT_EQ(check.CheckKeyLock(), c.expected);
    }
}

TEST_F(KeyLockTest, PressedKeysComeDigitsFirstInAscendingOrder)
{
    HoldKeys(L"ZA905");
    EXPECT_EQ(PropAppKeySetting_CL::GetPressedKeys(), L"059AZ");
}

}  // namespace
