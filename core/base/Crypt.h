#pragma once
// RC4 enciphering with a key derived from a pass phrase (SHA-1), through CryptoAPI.
#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// One Crypt_CL serves one operation: derive the key, then encipher or decipher.
class Crypt_CL {
public:
    Crypt_CL() = default;
    virtual ~Crypt_CL() { Release(); }
    Crypt_CL(const Crypt_CL&) = delete;
    Crypt_CL& operator=(const Crypt_CL&) = delete;

    // The key is SHA-1 over the first 16 bytes of the phrase's UTF-16LE text (a shorter
    // phrase is padded with zero bytes), cut to 128 bits. 0 on success; -1 no provider,
    // -2 no hash, -3 hashing failed, -4 no key.
    int DeriveKey(const std::wstring& passPhrase, const wchar_t* containerName);

    // RC4 keeps the length. Both give an empty result without a key or on failure.
    Bytes Encrypt(const Bytes& plain) const;
    Bytes Decrypt(const Bytes& cipher) const;

private:
    void Release();

    HCRYPTPROV provider_ = 0;
    HCRYPTHASH hash_ = 0;
    HCRYPTKEY key_ = 0;
};

// Two lower-case hexadecimal digits per byte, high nibble first.
std::wstring BytesToHex(const Bytes& bytes);
// Pairs of hexadecimal digits (either case), up to the last whole valid pair: a lone
// last digit or a pair with any other character ends the bytes.
Bytes HexToBytes(const std::wstring& text);

Bytes WideToBytes(const std::wstring& text);
// An odd last byte is dropped.
std::wstring BytesToWide(const Bytes& bytes);
