#pragma once
// Registry reads: a recursive walk over a key and one value under HKEY_CLASSES_ROOT.
#include <windows.h>

#include <string>

class FindRegistry_CL {
public:
    virtual ~FindRegistry_CL() = default;

    // Walks `path` under `root` depth first: OnKey, its string values, its subkeys, OnKeyEnd.
    void EnumKeys(HKEY root, const std::wstring& path);
    // Passes the REG_SZ and REG_EXPAND_SZ values of an open key to OnValue.
    void EnumValues(HKEY key, const std::wstring& path);

protected:
    // 1: open and walk this key; anything else skips it (and its OnKeyEnd).
    virtual int OnKey(const std::wstring& path) = 0;
    // The default value comes with an empty name.
    virtual void OnValue(const std::wstring& name, const std::wstring& data) = 0;
    virtual void OnKeyEnd() = 0;
};

// Reads a string value under HKEY_CLASSES_ROOT. 0 and `text` assigned on success;
// E_FAIL with `text` untouched otherwise, also for a value of 130 units or more.
HRESULT ReadClassesRootString(const std::wstring& keyPath, const wchar_t* valueName, std::wstring& text);
