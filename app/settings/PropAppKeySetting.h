#pragma once
// The album's key lock: the chord of digit and letter keys that must be held at start-up for
// the album to open. The settings page of this class comes with the album settings; the
// start-up splash uses its check.
#include <windows.h>

#include <string>

#include "ui/widgets/SubClassDialogBase.h"

class MainWindow_CL;
class SaveData_CL;

class PropAppKeySetting_CL : public SubClassDialogBase_CL {
public:
    // mainWindow is null when the splash builds the object only for the check.
    PropAppKeySetting_CL(MainWindow_CL* mainWindow, SaveData_CL* albumData)
        : mainWindow(mainWindow), albumData(albumData)
    {
    }

    // The digit keys "0".."9" and the letter keys "A".."Z" held now, in that order, one
    // character (the virtual-key code) per key; as this thread's keyboard state sees them.
    static std::wstring GetPressedKeys();
    // 1 when the keys held now are exactly the open album's stored code ("LOCK"/"key" of
    // its ini; none stored: no key may be held), else 0.
    int CheckKeyLock() const;

    MainWindow_CL* mainWindow;
    SaveData_CL* albumData;
};
