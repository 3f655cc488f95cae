// The album key lock as the start-up splash checks it: the keys held now against the code
// stored in the album ini.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include <commctrl.h>
#include <prsht.h>

#include <memory>

#include "app/settings/PropAppKeySetting.h"
#include "core/album/SaveData.h"
#include "tests/app/AppTestSupport.h"
#include "tests/common/Screenshot.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestWindow.h"

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

// The page "キーロック設定" alone in a modeless sheet.
class KeyLockPageTest : public KeyLockTest {
protected:
    void SetUp() override
    {
        KeyLockTest::SetUp();
        InitTestCommonControls();
    }
    void TearDown() override
    {
        Close();
        KeyLockTest::TearDown();
    }

    void Open(int albumIndex)
    {
        data_.album_data.current_index = albumIndex;
        page_ = std::make_unique<PropAppKeySetting_CL>(nullptr, &data_);
        PROPSHEETPAGEW pageInfo = {};
        pageInfo.dwSize = sizeof(pageInfo);
        pageInfo.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
        pageInfo.hInstance = GetModuleHandleW(nullptr);
        pageInfo.pResource = page_->BuildTemplate();
        pageInfo.pfnDlgProc = &SubClassDialogBase_CL::StaticPageProc;
        pageInfo.pszTitle = L"キーロック設定";
        pageInfo.lParam = reinterpret_cast<LPARAM>(page_.get());
        PROPSHEETHEADERW header = {};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOAPPLYNOW;
        header.hInstance = GetModuleHandleW(nullptr);
        header.pszCaption = L"アルバムの設定";
        header.nPages = 1;
        header.ppsp = &pageInfo;
        sheet_ = reinterpret_cast<HWND>(PropertySheetW(&header));
        ASSERT_TRUE(sheet_);
        ASSERT_TRUE(apptest::PumpUntil([&] { return page_->window != nullptr; }, 5000));
    }
    void Close()
    {
        if (sheet_) DestroyWindow(sheet_);
        sheet_ = nullptr;
        page_.reset();
    }

    // Holds the keys and waits for two ticks of the page's 100-ms sampling.
    void HoldAndSample(const std::wstring& keys)
    {
        HoldKeys(keys);
        apptest::PumpUntil([] { return false; }, 300);
    }
    void ClickSetButton()
    {
        ASSERT_TRUE(page_->setButton && page_->setButton->hwnd);
        SendMessageW(page_->setButton->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(page_->setButton->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    std::wstring StoredCode() const { return data_.album_ini.ReadString(L"LOCK", L"key", L"(none)"); }

    std::unique_ptr<PropAppKeySetting_CL> page_;
    HWND sheet_ = nullptr;
};

BOOL CALLBACK CountChild(HWND window, LPARAM count)
{
    if (IsWindowVisible(window)) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST_F(KeyLockPageTest, TheFirstAlbumOnlySaysItCannotBeLocked)
{
    Open(0);
    int visible = 0;
    EnumChildWindows(page_->window, &CountChild, reinterpret_cast<LPARAM>(&visible));
    EXPECT_EQ(visible, 1);
    ASSERT_EQ(page_->controls.controls.size(), 1u);
    const ControlBase_CL* notice = page_->controls.controls[0];
    EXPECT_EQ(notice->GetText(), L"アルバム１には、キーロックを設定する事はできません。");
    int metrics[8] = {};
    page_->GetPageLayoutMetrics(metrics);
    const RECT rect = notice->GetRectInParent();
    EXPECT_EQ(rect.left, (metrics[4] - (rect.right - rect.left)) / 2);
    EXPECT_EQ(rect.top, (metrics[5] - (rect.bottom - rect.top)) / 2);
    EXPECT_EQ(page_->setButton, nullptr);
}

TEST_F(KeyLockPageTest, TheSetButtonStoresTheHeldChordAtOnce)
{
    Open(1);
    ASSERT_TRUE(page_->lockCodeDisplay && page_->heldKeysDisplay);
    EXPECT_EQ(page_->lockCodeDisplay->GetText(), L"");

    struct Case {
        std::wstring held;
        std::wstring stored;
    };
    const Case cases[] = {{L"5A", L"5A"}, {L"Z9", L"9Z"}, {L"", L""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.held));
        HoldAndSample(c.held);
        EXPECT_EQ(page_->heldKeysDisplay->GetText(), c.stored);
        ClickSetButton();
        EXPECT_EQ(StoredCode(), c.stored) << "written at the click, not at OK";
        EXPECT_EQ(page_->lockCodeDisplay->GetText(), c.stored);
        if (c.held == L"5A") {
            apptest::PumpUntil([] { return false; }, 200);
            SaveWindowScreenshot(sheet_, L"app", L"key-lock-page");
        }
    }

    // A page opened again shows the code stored last.
    HoldAndSample(L"7K");
    ClickSetButton();
    Close();
    HoldKeys(L"");
    Open(1);
    EXPECT_EQ(page_->lockCodeDisplay->GetText(), L"7K");
}

}  // namespace
