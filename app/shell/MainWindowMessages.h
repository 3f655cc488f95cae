#pragma once
// The main window's and the start-up splash's own messages and timers.
#include <windows.h>

#include "core/album/PlaydeckSync.h"
#include "core/base/ThreadMessages.h"

// A view (or the frame list) reports that it stopped; lParam the value of its stop request.
// The views call it WM_LIST_RELOAD: one message.
constexpr UINT WM_VIEW_STATE = WM_LIST_RELOAD;
// Posted to itself at the end of WM_CREATE: open the start-up splash.
constexpr UINT WM_START_DATA_LOAD = 0x512;
// From the splash: the album is loaded.
constexpr UINT WM_DATA_LOAD_END = 0x514;
// Sent by the decode-answer handling: one movie's strip changed (lParam its decode key).
constexpr UINT WM_THUMBNAIL_CHANGED = 0x601;
// The splash to itself after WM_INITDIALOG, and the data-load thread to the splash.
constexpr UINT WM_LOAD_SPLASH_START = 0x1634;
constexpr UINT WM_LOAD_SPLASH_DONE = 0x1635;

// The close watchdog: the main window's only timer.
constexpr UINT_PTR kCloseWatchdogTimer = 0x12345555;
// The splash's key check, every 100 ms.
constexpr UINT_PTR kSplashKeyTimer = 0x123;

// The category list view and the movie grid, as their stop requests name them.
constexpr int kCategoryViewReloadValue = 1;
constexpr int kMovieGridReloadValue = 2;

// The record the sibling player sends with WM_COPYDATA (tag 'RVLT').
constexpr DWORD kPlaydeckItemUpdateBytes = kPlaydeckItemUpdateSize;
