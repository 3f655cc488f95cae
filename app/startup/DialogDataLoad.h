#pragma once
// The start-up splash: a picture with a progress bar over the main window. It waits for the
// album's key lock, has the data-load thread load the album and tells the main window when
// everything is in memory.
#include <windows.h>

#include "core/album/DataLoadProgress.h"
#include "ui/widgets/ControlFactory.h"
#include "ui/widgets/SubClassDialogBase.h"

class MainWindow_CL;
class SaveData_CL;

class DialogDataLoad_CL : public SubClassDialogBase_CL {
public:
    static constexpr int kOuterWidth = 490;
    static constexpr int kPictureHeight = 320;
    static constexpr int kBarWidth = 460;
    static constexpr BYTE kOpacity = 220;
    static constexpr UINT kKeyCheckMs = 100;
    // Failed key checks before the first album is opened instead.
    static constexpr int kKeyCheckLimit = 30;

    DialogDataLoad_CL(MainWindow_CL* owner, SaveData_CL* albumData);
    ~DialogDataLoad_CL() override;

    // The modeless splash over the owner's window; null when it could not be made.
    HWND CreateModeless(HWND ownerWindow);

    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    MainWindow_CL* owner;
    SaveData_CL* albumData;
    ControlFactory_CL controls;
    HWND progressBar = nullptr;
    int unlocked = 0;
    int ticks = 0;
    // What the loaders report; published through g_dataLoadProgress while the splash is open.
    DataLoadProgress_CL progress;

private:
    void OnInitDialog(HWND hwnd);
    void OnKeyCheck(HWND hwnd);
    void OnPaint(HWND hwnd);
    void PostLoad();
};

// The open splash, null when there is none.
extern DialogDataLoad_CL* g_loadSplash;
