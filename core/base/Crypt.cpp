#include "core/base/Crypt.h"

void Crypt_CL::Release()
{
    if (key_) CryptDestroyKey(key_);
    if (hash_) CryptDestroyHash(hash_);
    if (provider_) CryptReleaseContext(provider_, 0);
    key_ = 0;
    hash_ = 0;
    provider_ = 0;
}

int Crypt_CL::DeriveKey(const std::wstring& passPhrase, const wchar_t* containerName)
{
    Release();
    if (!CryptAcquireContextW(&provider_, containerName, MS_ENHANCED_PROV_W, PROV_RSA_FULL, 0) &&
        !CryptAcquireContextW(&provider_, containerName, MS_ENHANCED_PROV_W, PROV_RSA_FULL, CRYPT_NEWKEYSET)) {
        provider_ = 0;
        return -1;
    }
    if (!CryptCreateHash(provider_, CALG_SHA1, 0, 0, &hash_)) {
        hash_ = 0;
        Release();
        return -2;
    }
    // Exactly 16 bytes are hashed; a phrase shorter than eight characters would leave the
    // rest of them to whatever lies behind its text.
    BYTE phrase[16] = {};
    Bytes text = WideToBytes(passPhrase);
    std::copy_n(text.begin(), std::min<size_t>(text.size(), sizeof(phrase)), phrase);
    if (!CryptHashData(hash_, phrase, sizeof(phrase), 0)) {
        Release();
        return -3;
    }
    // The upper word of the flags is the key length in bits.
    if (!CryptDeriveKey(provider_, CALG_RC4, hash_, 128 << 16, &key_)) {
        key_ = 0;
        Release();
        return -4;
    }
    return 0;
}

Bytes Crypt_CL::Encrypt(const Bytes& plain) const
{
    if (!key_ || plain.empty()) return {};
    Bytes buffer(plain);
    DWORD length = static_cast<DWORD>(buffer.size());
    if (!CryptEncrypt(key_, 0, TRUE, 0, buffer.data(), &length, static_cast<DWORD>(buffer.size()))) return {};
    buffer.resize(std::min<size_t>(length, buffer.size()));
    return buffer;
}

Bytes Crypt_CL::Decrypt(const Bytes& cipher) const
{
    if (!key_ || cipher.empty()) return {};
    Bytes buffer(cipher);
    DWORD length = static_cast<DWORD>(buffer.size());
    if (!CryptDecrypt(key_, 0, TRUE, 0, buffer.data(), &length)) return {};
    buffer.resize(std::min<size_t>(length, buffer.size()));
    return buffer;
}

std::wstring BytesToHex(const Bytes& bytes)
{
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 0x0F]);
    }
    return text;
}

namespace {

// The digit's value, or -1 for a character that is no hexadecimal digit.
int HexDigitValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

Bytes HexToBytes(const std::wstring& text)
{
    Bytes bytes;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        int high = HexDigitValue(text[i]);
        int low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) break;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

Bytes WideToBytes(const std::wstring& text)
{
    Bytes bytes;
    bytes.reserve(text.size() * 2);
    for (wchar_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>((unit >> 8) & 0xFF));
    }
    return bytes;
}

std::wstring BytesToWide(const Bytes& bytes)
{
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8)));
    return text;
}
