#include "core/base/FindRegistry.h"

#include "core/base/UniqueHandle.h"

void FindRegistry_CL::EnumKeys(HKEY root, const std::wstring& path)
{
    if (OnKey(path) != 1) return;
    {
        UniqueRegKey key;
        if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS) {
            EnumValues(key.get(), path);
            for (DWORD index = 0;; ++index) {
                wchar_t name[260];
                DWORD nameLength = 260;
                if (RegEnumKeyExW(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
                    ERROR_SUCCESS)
                    break;
                EnumKeys(root, path.empty() ? std::wstring(name) : path + L"\\" + name);
            }
        }
    }
    OnKeyEnd();
}

void FindRegistry_CL::EnumValues(HKEY key, const std::wstring& path)
{
    for (DWORD index = 0;; ++index) {
        wchar_t name[260];
        DWORD nameLength = 260;
        // One unit more than the 520 bytes the system may fill, so the text always ends.
        wchar_t data[261] = {};
        DWORD dataSize = 520;
        DWORD type = 0;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
            ERROR_SUCCESS)
            break;
        if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
        OnValue(name, data);
    }
}

HRESULT ReadClassesRootString(const std::wstring& keyPath, const wchar_t* valueName, std::wstring& text)
{
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return E_FAIL;
    wchar_t data[131] = {};
    DWORD dataSize = 260;
    if (RegQueryValueExW(key.get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &dataSize) !=
        ERROR_SUCCESS)
        return E_FAIL;
    text = data;
    return 0;
}
