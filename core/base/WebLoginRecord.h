#pragma once
// One stored web login: user name and password enciphered in the program ini.
#include <string>

#include "core/base/Inifile.h"

// The key container the cipher opens; nothing is stored in it.
extern const wchar_t* const LoginKeyContainer;
// The phrase from which the user name's key comes (only its first 8 characters count).
extern const wchar_t* const LoginUserPassPhrase;

class WebLoginRecord {
public:
    // `owner` is the program ini the record lives in; its section is the service name.
    WebLoginRecord(const wchar_t* section, const Inifile_CL* owner) : section(section), owner(owner) {}

    void Save() const;
    void Load();

    std::wstring EncryptUser() const;
    std::wstring EncryptPass() const;
    void DecryptUser(const std::wstring& hex);
    // Keyed by the current `user`: load the user name first.
    void DecryptPass(const std::wstring& hex);

    std::wstring section;
    int enable = 0;
    int keep_login = 0;
    int auto_submit = 0;
    std::wstring user;
    std::wstring pass;
    const Inifile_CL* owner;
};
