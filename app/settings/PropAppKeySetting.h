#pragma once
// The album's key lock: the chord of digit and letter keys that must be held at start-up for
// the album to open. The page "キーロック設定" of the album settings records the chord for
// the open album; the start-up splash runs the check.
#include <windows.h>

#include <string>

#include "ui/widgets/ControlFactory.h"
#include "ui/widgets/SubClassDialogBase.h"

class MainWindow_CL;
class SaveData_CL;

class PropAppKeySetting_CL : public SubClassDialogBase_CL {
public:
    // The page's own timer: the held keys are sampled every 100 ms.
    static constexpr UINT_PTR kKeyTimer = 0x123456;
    static constexpr UINT kKeyTimerMs = 100;

    // mainWindow is null when the splash builds the object only for the check.
    PropAppKeySetting_CL(MainWindow_CL* mainWindow, SaveData_CL* albumData)
        : mainWindow(mainWindow), albumData(albumData)
    {
    }
    ~PropAppKeySetting_CL() override = default;

    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The digit keys "0".."9" and the letter keys "A".."Z" held now, in that order, one
    // character (the virtual-key code) per key; as this thread's keyboard state sees them.
    static std::wstring GetPressedKeys();
    // 1 when the keys held now are exactly the open album's stored code ("LOCK"/"key" of
    // its ini; none stored: no key may be held), else 0.
    int CheckKeyLock() const;

    // Builds the page: on the first album only the notice that it cannot be locked.
    void OnInitDialog();
    // The stored code into the lock-code display.
    void ShowLockCode();
    // The keys held at the last sample become the album's code (written at once, not on
    // the sheet's OK), then shown.
    void StoreLockCode();
    // The set button: a static drawn as a raised white button that stores on a click.
    static LRESULT CALLBACK KeyLockButtonProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    MainWindow_CL* mainWindow;
    SaveData_CL* albumData;
    ControlFactory_CL controls;
    ControlBase_CL* lockCodeDisplay = nullptr;
    ControlBase_CL* heldKeysDisplay = nullptr;
    ControlBase_CL* setButton = nullptr;
    // The keys held at the last timer tick.
    std::wstring heldKeys;

private:
    // A large bold static for a chord, five "Ｗ" wide.
    ControlBase_CL* CreateKeyDisplay();
};
