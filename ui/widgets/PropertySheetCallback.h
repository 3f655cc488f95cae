#pragma once
// The property-sheet callback that centres a sheet over its parent when it is shown.
#include <windows.h>

// For PROPSHEETHEADERW.pfnCallback with PSH_USECALLBACK; subclasses the sheet at
// PSCB_INITIALIZED. Returns 0.
int CALLBACK PropertySheetCallback(HWND sheet, UINT msg, LPARAM lParam);
LRESULT CALLBACK PropertySheetSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
