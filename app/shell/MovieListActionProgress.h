#pragma once
// The small modal "処理中" window that stands over the main window while a movie-item
// command is applied movie by movie on its worker thread. There is no cancel: the window
// goes one second after the walk has ended.
#include <cstdint>

#include "ui/widgets/EasyProgress.h"

class MainWindow_CL;

class MovieListActionProgress_CL : public EasyProgress_CL {
public:
    // The pause between the end of the walk and the end of the dialog, so that a short walk
    // is still seen.
    static constexpr DWORD kClosePauseMs = 1000;

    MovieListActionProgress_CL(MainWindow_CL* mainWindow, uint32_t command, int backwards, int all);
    ~MovieListActionProgress_CL() override;

    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    MainWindow_CL* mainWindow;
    uint32_t command;
    int backwards;
    int all;

protected:
    void Run(EasyThreadBase_CL* self, uint32_t jobArg1, uint32_t jobArg2) override;
    void OnEnd(EasyThreadBase_CL* self, uint32_t status) override;
};
