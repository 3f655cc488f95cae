#include "app/settings/PropAppKeySetting.h"

#include "core/album/SaveData.h"
#include "core/base/Inifile.h"

std::wstring PropAppKeySetting_CL::GetPressedKeys()
{
    BYTE state[256] = {};
    if (!GetKeyboardState(state)) return std::wstring();
    std::wstring held;
    // "9" and "Z" belong to the chord like every other digit and letter.
    for (UINT key = '0'; key <= '9'; ++key) {
        if (state[key] & 0x80) held.push_back(static_cast<wchar_t>(key));
    }
    for (UINT key = 'A'; key <= 'Z'; ++key) {
        if (state[key] & 0x80) held.push_back(static_cast<wchar_t>(key));
    }
    return held;
}

int PropAppKeySetting_CL::CheckKeyLock() const
{
    if (!albumData) return 0;
    Inifile_CL albumIni;
    albumIni.SetPath(albumData->album_ini.GetPath());
    const std::wstring stored = albumIni.ReadString(L"LOCK", L"key", L"");
    return stored == GetPressedKeys() ? 1 : 0;
}
