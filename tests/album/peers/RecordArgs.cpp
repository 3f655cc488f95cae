// Stands in for an outside player: writes its own command line, UTF-16LE, to the file
// "<program>.args.txt" beside itself, then ends.
#include <windows.h>

#include <string>

int wmain()
{
    wchar_t self[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    std::wstring out = std::wstring(self) + L".args.txt";
    std::wstring line = GetCommandLineW();
    // Written under a temporary name and moved, so a reader never sees half a line.
    std::wstring temporary = out + L".tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BYTE mark[] = {0xFF, 0xFE};
    WriteFile(file, mark, 2, &written, nullptr);
    WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(temporary.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
