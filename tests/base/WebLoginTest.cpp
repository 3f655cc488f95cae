#include <gtest/gtest.h>

#include "core/base/Crypt.h"
#include "core/base/WebLoginRecord.h"
#include "tests/common/TempFolder.h"

namespace {

// Expected cipher texts made outside CryptoAPI: key = first 16 bytes of SHA-1 over the
// phrase's first 16 UTF-16LE bytes (zero padded), then plain RC4 over the UTF-16LE text.
TEST(Crypt, MatchesAnIndependentRc4OverSha1)
{
    struct Case {
        const wchar_t* phrase;
        const wchar_t* plain;
        const wchar_t* hex;
    };
    const Case cases[] = {
        {L"Reelvault-Key", L"yamada", L"9a6456b5537ccce255f8b58e"},
        {L"yamada", L"パスワード123", L"ab0a5cf7bf6e975f0872bb3c2bfa5e47"},
        {L"abc", L"xyzw", L"9143244341d47209"},
    };
    for (const auto& c : cases) {
        Crypt_CL crypt;
        ASSERT_EQ(crypt.DeriveKey(c.phrase, LoginKeyContainer), 0);
        EXPECT_EQ(BytesToHex(crypt.Encrypt(WideToBytes(c.plain))), c.hex);
        Crypt_CL other;
        ASSERT_EQ(other.DeriveKey(c.phrase, LoginKeyContainer), 0);
        EXPECT_EQ(BytesToWide(other.Decrypt(HexToBytes(c.hex))), c.plain);
    }
}

TEST(Crypt, OnlyTheFirstEightCharactersMakeTheKey)
{
    Crypt_CL a, b, c;
    ASSERT_EQ(a.DeriveKey(L"abcdefgh-one", LoginKeyContainer), 0);
    ASSERT_EQ(b.DeriveKey(L"abcdefgh-two", LoginKeyContainer), 0);
    ASSERT_EQ(c.DeriveKey(L"abcdefgX-one", LoginKeyContainer), 0);
    Bytes plain = WideToBytes(L"secret");
    EXPECT_EQ(a.Encrypt(plain), b.Encrypt(plain));
    EXPECT_NE(a.Encrypt(plain), c.Encrypt(plain));
}

TEST(Crypt, NoKeyGivesEmptyResults)
{
    Crypt_CL crypt;
    EXPECT_TRUE(crypt.Encrypt(WideToBytes(L"x")).empty());
    EXPECT_TRUE(crypt.Decrypt({1, 2}).empty());
}

TEST(Hex, ConversionsBothWaysAndOddInput)
{
    EXPECT_EQ(BytesToHex({0x00, 0xAB}), L"00ab");
    EXPECT_EQ(HexToBytes(L"00ab"), (Bytes{0x00, 0xAB}));
    EXPECT_EQ(HexToBytes(L"00AB"), (Bytes{0x00, 0xAB}));
    EXPECT_EQ(HexToBytes(L"abc"), (Bytes{0xAB}));  // the lone digit is dropped
    EXPECT_EQ(HexToBytes(L"0a1gff"), (Bytes{0x0A}));
    EXPECT_EQ(HexToBytes(L"zz01"), Bytes{});
    EXPECT_TRUE(HexToBytes(L"").empty());
    EXPECT_EQ(BytesToWide({0x41, 0x00, 0x42}), L"A");
}

class WebLoginTest : public testing::Test {
protected:
    void SetUp() override { ini_.SetPath(folder_ / L"Reelvault.ini"); }
    TempFolder folder_;
    Inifile_CL ini_;
};

TEST_F(WebLoginTest, RoundTripThroughTheIniWithoutClearText)
{
    WebLoginRecord saved(L"NICONICO", &ini_);
    saved.user = L"yamada";
    saved.pass = L"パスワード123";
    saved.enable = 1;
    saved.keep_login = 1;
    saved.auto_submit = 0;
    saved.Save();

    EXPECT_EQ(ini_.ReadString(L"NICONICO", L"user", L""), L"9a6456b5537ccce255f8b58e");
    EXPECT_EQ(ini_.ReadString(L"NICONICO", L"pass", L""), L"ab0a5cf7bf6e975f0872bb3c2bfa5e47");
    EXPECT_EQ(ReadUtf16File(ini_.GetPath()).find(L"yamada"), std::wstring::npos);

    WebLoginRecord loaded(L"NICONICO", &ini_);
    loaded.Load();
    EXPECT_EQ(loaded.user, L"yamada");
    EXPECT_EQ(loaded.pass, L"パスワード123");
    EXPECT_EQ(loaded.enable, 1);
    EXPECT_EQ(loaded.keep_login, 1);
    EXPECT_EQ(loaded.auto_submit, 0);
}

TEST_F(WebLoginTest, FiveServicesRoundTripSideBySide)
{
    const wchar_t* sections[] = {L"GOOGLE", L"NICONICO", L"YAHOO", L"FC2", L"AMEBA"};
    for (int i = 0; i < 5; ++i) {
        WebLoginRecord record(sections[i], &ini_);
        record.user = std::wstring(L"u") + std::to_wstring(i) + L"x";  // three characters
        record.pass = L"pass-" + std::wstring(sections[i]);
        record.enable = i % 2;
        record.keep_login = (i + 1) % 2;
        record.auto_submit = i == 4;
        record.Save();
        EXPECT_EQ(ini_.ReadString(sections[i], L"user", L"").size(), 12u);
    }
    for (int i = 0; i < 5; ++i) {
        WebLoginRecord record(sections[i], &ini_);
        record.Load();
        EXPECT_EQ(record.user, std::wstring(L"u") + std::to_wstring(i) + L"x");
        EXPECT_EQ(record.pass, L"pass-" + std::wstring(sections[i]));
        EXPECT_EQ(record.enable, i % 2);
        EXPECT_EQ(record.keep_login, (i + 1) % 2);
        EXPECT_EQ(record.auto_submit, i == 4 ? 1 : 0);
    }
}

TEST_F(WebLoginTest, EmptyAndMissingValues)
{
    WebLoginRecord empty(L"GOOGLE", &ini_);
    empty.Save();
    EXPECT_EQ(ini_.ReadString(L"GOOGLE", L"user", L"x"), L"");
    EXPECT_EQ(ini_.ReadString(L"GOOGLE", L"pass", L"x"), L"");

    WebLoginRecord missing(L"YAHOO", &ini_);
    missing.enable = missing.keep_login = missing.auto_submit = 5;
    missing.Load();
    EXPECT_EQ(missing.user, L"");
    EXPECT_EQ(missing.pass, L"");
    EXPECT_EQ(missing.enable, 0);
    EXPECT_EQ(missing.keep_login, 0);
    EXPECT_EQ(missing.auto_submit, 0);
}

TEST_F(WebLoginTest, ChangedUserNameNoLongerDeciphersTheOldPassword)
{
    WebLoginRecord record(L"FC2", &ini_);
    record.user = L"first-user";
    record.pass = L"hunter2";
    record.Save();

    // The user name changes in the ini, the password stays as it was enciphered.
    WebLoginRecord renamed(L"FC2", &ini_);
    renamed.user = L"second-user";
    ini_.WriteString(L"FC2", L"user", renamed.EncryptUser());
    renamed.Load();
    EXPECT_EQ(renamed.user, L"second-user");
    EXPECT_NE(renamed.pass, L"hunter2");

    // A short user name keys the password with zero padding, the same both ways.
    record.user = L"ab";
    record.Save();
    WebLoginRecord reloaded(L"FC2", &ini_);
    reloaded.Load();
    EXPECT_EQ(reloaded.pass, L"hunter2");
}

}  // namespace
