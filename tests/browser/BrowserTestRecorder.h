#pragma once
// What the browser's bars and commands send the main window, caught on the window that
// stands in for it: the commands posted to it and the popup menus it is made the owner of
// (each menu's items are read and the menu closed at once).
#include <windows.h>

#include <string>
#include <vector>

struct RecordedCommand {
    UINT id;
    LPARAM lParam;
};

struct RecordedMenuItem {
    UINT id;
    std::wstring text;
};

class MainWindowRecorder {
public:
    explicit MainWindowRecorder(HWND window);
    ~MainWindowRecorder();
    MainWindowRecorder(const MainWindowRecorder&) = delete;
    MainWindowRecorder& operator=(const MainWindowRecorder&) = delete;

    // Dispatches what is waiting, then the commands seen since the last call.
    std::vector<RecordedCommand> TakeCommands();
    std::vector<std::vector<RecordedMenuItem>> menus;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);

    HWND window_;
    std::vector<RecordedCommand> commands_;
};
