#include "core/base/WebLoginRecord.h"

#include "core/base/Crypt.h"

const wchar_t* const LoginKeyContainer = L"ReelvaultWebLogin";
const wchar_t* const LoginUserPassPhrase = L"Reelvault-Key";

namespace {

std::wstring EncryptText(const std::wstring& passPhrase, const std::wstring& plain)
{
    Crypt_CL crypt;
    crypt.DeriveKey(passPhrase, LoginKeyContainer);
    return BytesToHex(crypt.Encrypt(WideToBytes(plain)));
}

std::wstring DecryptText(const std::wstring& passPhrase, const std::wstring& hex)
{
    Crypt_CL crypt;
    crypt.DeriveKey(passPhrase, LoginKeyContainer);
    return BytesToWide(crypt.Decrypt(HexToBytes(hex)));
}

}  // namespace

std::wstring WebLoginRecord::EncryptUser() const
{
    return EncryptText(LoginUserPassPhrase, user);
}

std::wstring WebLoginRecord::EncryptPass() const
{
    return EncryptText(user, pass);
}

void WebLoginRecord::DecryptUser(const std::wstring& hex)
{
    user = DecryptText(LoginUserPassPhrase, hex);
}

void WebLoginRecord::DecryptPass(const std::wstring& hex)
{
    pass = DecryptText(user, hex);
}

void WebLoginRecord::Save() const
{
    if (!owner) return;
    const wchar_t* s = section.c_str();
    owner->WriteString(s, L"user", EncryptUser());
    owner->WriteString(s, L"pass", EncryptPass());
    owner->WriteInt(enable, s, L"enable");
    owner->WriteInt(keep_login, s, L"keep_login");
    owner->WriteInt(auto_submit, s, L"auto_submit");
}

void WebLoginRecord::Load()
{
    if (!owner) return;
    const wchar_t* s = section.c_str();
    DecryptUser(owner->ReadString(s, L"user", L""));
    DecryptPass(owner->ReadString(s, L"pass", L""));
    enable = static_cast<int>(owner->ReadInt(s, L"enable", 0));
    keep_login = static_cast<int>(owner->ReadInt(s, L"keep_login", 0));
    auto_submit = static_cast<int>(owner->ReadInt(s, L"auto_submit", 0));
}
