#pragma once
// The user-interface thread's message loop.
#include <windows.h>

class MainWindow_CL;

// Runs until WM_QUIT and returns its wParam: accelerators first, then wheel messages to the
// view under the pointer.
int RunMessageLoop(MainWindow_CL& mainWindow, HACCEL accelerators);

// Frees the decode answers still queued for the window: the system discards the messages of
// a destroyed window, and with them the only pointers to the answers.
void FreeQueuedResponses(HWND window);
