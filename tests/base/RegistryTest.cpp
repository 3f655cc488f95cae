#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/base/FindRegistry.h"
#include "core/base/UniqueHandle.h"

namespace {

const wchar_t* const kTestRoot = L"Software\\ReelvaultTest\\Walk";

class RecordingRegistryWalk : public FindRegistry_CL {
public:
    std::wstring skip;  // OnKey answers 0 for this key
    std::vector<std::wstring> events;

protected:
    int OnKey(const std::wstring& path) override
    {
        events.push_back(L"key " + path);
        return path == skip ? 0 : 1;
    }
    void OnValue(const std::wstring& name, const std::wstring& data) override
    {
        events.push_back(L"value " + name + L"=" + data);
    }
    void OnKeyEnd() override { events.push_back(L"end"); }
};

void SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& data,
               DWORD type = REG_SZ)
{
    UniqueRegKey k;
    ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(k.get(), name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

class RegistryWalkTest : public testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
        const std::wstring root = kTestRoot;
        SetString(HKEY_CURRENT_USER, root, nullptr, L"top");
        SetString(HKEY_CURRENT_USER, root + L"\\a", L"path", L"%TEMP%\\x", REG_EXPAND_SZ);
        UniqueRegKey a;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (root + L"\\a").c_str(), 0, KEY_ALL_ACCESS, a.put()),
                  ERROR_SUCCESS);
        DWORD number = 7;
        RegSetValueExW(a.get(), L"number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
        SetString(HKEY_CURRENT_USER, root + L"\\a\\b", L"name", L"value");
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot); }
};

TEST_F(RegistryWalkTest, KeysValuesAndSubtreesInOrder)
{
    RecordingRegistryWalk walk;
    walk.EnumKeys(HKEY_CURRENT_USER, kTestRoot);
    const std::wstring r = kTestRoot;
    std::vector<std::wstring> expected = {
        L"key " + r,        L"value =top",  L"key " + r + L"\\a", L"value path=%TEMP%\\x",
        L"key " + r + L"\\a\\b", L"value name=value", L"end", L"end", L"end",
    };
    // The REG_DWORD value never reaches OnValue.
    EXPECT_EQ(walk.events, expected);
}

TEST_F(RegistryWalkTest, SkippedKeyGetsNoFurtherCalls)
{
    RecordingRegistryWalk walk;
    walk.skip = std::wstring(kTestRoot) + L"\\a";
    walk.EnumKeys(HKEY_CURRENT_USER, kTestRoot);
    const std::wstring r = kTestRoot;
    EXPECT_EQ(walk.events, (std::vector<std::wstring>{L"key " + r, L"value =top", L"key " + r + L"\\a", L"end"}));
}

TEST_F(RegistryWalkTest, MissingKeyStillGetsKeyAndEnd)
{
    RecordingRegistryWalk walk;
    walk.EnumKeys(HKEY_CURRENT_USER, std::wstring(kTestRoot) + L"\\missing");
    ASSERT_EQ(walk.events.size(), 2u);
    EXPECT_EQ(walk.events[1], L"end");
}

TEST_F(RegistryWalkTest, ValueLongerThanTheBufferEndsTheKeysValues)
{
    const std::wstring key = std::wstring(kTestRoot) + L"\\long";
    SetString(HKEY_CURRENT_USER, key, L"1-long", std::wstring(400, L'x'));
    RecordingRegistryWalk walk;
    walk.EnumKeys(HKEY_CURRENT_USER, key);
    for (const auto& e : walk.events) EXPECT_EQ(e.find(L"value"), std::wstring::npos) << "long value passed on";
}

class ClassesRootTest : public testing::Test {
protected:
    // Wine 8 shows HKLM\Software\Classes through HKCR, not HKCU\Software\Classes.
    const wchar_t* key_ = L"Software\\Classes\\ReelvaultTest.Player\\shell\\open\\command";
    void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\ReelvaultTest.Player"); }
};

TEST_F(ClassesRootTest, ReadsAValueAndLeavesTheTextAloneOnFailure)
{
    SetString(HKEY_LOCAL_MACHINE, key_, nullptr, L"\"C:\\Player\\play.exe\" \"%1\"");
    std::wstring text;
    EXPECT_EQ(ReadClassesRootString(L"ReelvaultTest.Player\\shell\\open\\command", nullptr, text), 0);
    EXPECT_EQ(text, L"\"C:\\Player\\play.exe\" \"%1\"");

    struct Case {
        const wchar_t* key;
        const wchar_t* value;
    };
    const Case failures[] = {
        {L"ReelvaultTest.Missing\\shell", nullptr},
        {L"ReelvaultTest.Player\\shell\\open\\command", L"NoSuchValue"},
    };
    for (const auto& c : failures) {
        std::wstring kept = L"kept";
        EXPECT_EQ(ReadClassesRootString(c.key, c.value, kept), E_FAIL);
        EXPECT_EQ(kept, L"kept");
    }

    // 130 units and its terminator no longer fit the reader's 260 bytes.
    SetString(HKEY_LOCAL_MACHINE, key_, L"long", std::wstring(130, L'x'));
    std::wstring kept = L"kept";
    EXPECT_EQ(ReadClassesRootString(L"ReelvaultTest.Player\\shell\\open\\command", L"long", kept), E_FAIL);
    EXPECT_EQ(kept, L"kept");
    SetString(HKEY_LOCAL_MACHINE, key_, L"fits", std::wstring(129, L'y'));
    EXPECT_EQ(ReadClassesRootString(L"ReelvaultTest.Player\\shell\\open\\command", L"fits", kept), 0);
    EXPECT_EQ(kept, std::wstring(129, L'y'));
}

}  // namespace
