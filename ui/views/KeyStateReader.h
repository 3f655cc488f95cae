#pragma once
// Where the views read the modifier keys. The system's reader asks Windows; a test gives a
// reader of its own, so that key and mouse handling can be driven without touching the
// keyboard state of the desktop session.
#include <windows.h>

class KeyStateReader_CL {
public:
    virtual ~KeyStateReader_CL() = default;
    // The state of the key when the current message was posted (negative: down).
    virtual SHORT KeyState(int virtualKey) const { return GetKeyState(virtualKey); }
    // The state of the key now (high bit: down).
    virtual SHORT AsyncKeyState(int virtualKey) const { return GetAsyncKeyState(virtualKey); }

    bool IsShiftDown() const { return KeyState(VK_SHIFT) < 0; }
    bool IsControlDown() const { return KeyState(VK_LCONTROL) < 0 || KeyState(VK_RCONTROL) < 0; }
    bool IsControlDownNow() const { return (AsyncKeyState(VK_LCONTROL) & 0x8000) || (AsyncKeyState(VK_RCONTROL) & 0x8000); }

    // The reader every view uses unless it is given another.
    static const KeyStateReader_CL& System()
    {
        static const KeyStateReader_CL reader;
        return reader;
    }
};
