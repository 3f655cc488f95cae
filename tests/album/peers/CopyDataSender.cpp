// Stands in for the sibling player's item update: sends one WM_COPYDATA to a window.
//   copydata_sender.exe <window, hex> <size> <movie path> [noterminator]
// The record is `size` bytes: 8 unread bytes, then the path as UTF-16LE and its 0 unit
// (or, with "noterminator", the path's units repeated over the whole field). The exit
// code is what the window answered.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) return 100;
    HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(wcstoull(argv[1], nullptr, 16)));
    size_t size = static_cast<size_t>(_wtoi(argv[2]));
    std::wstring path = argv[3];
    bool noTerminator = argc > 4 && std::wstring(argv[4]) == L"noterminator";

    std::vector<BYTE> record(size, 0);
    for (size_t i = 8; i + 1 < size; i += 2) {
        size_t unit = (i - 8) / 2;
        wchar_t c = noTerminator ? path[unit % path.size()] : (unit < path.size() ? path[unit] : L'\0');
        record[i] = static_cast<BYTE>(c & 0xFF);
        record[i + 1] = static_cast<BYTE>(c >> 8);
    }
    COPYDATASTRUCT data = {};
    data.dwData = 0x52564C54;
    data.cbData = static_cast<DWORD>(size);
    data.lpData = record.data();
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_BLOCK, 20000, &answer))
        return 101;
    return static_cast<int>(answer);
}
