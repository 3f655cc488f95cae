#pragma once
// Message numbers shared by the worker threads and the windows they report to.
#include <windows.h>

// Every worker fetches only this range from its queue.
constexpr UINT TM_FIRST = 0x4C8;
constexpr UINT TM_LAST = 0x14C8;

constexpr UINT TM_KICK = 0x4C9;           // work is available
constexpr UINT TM_QUIT = 0x4CA;           // end the loop; ends a progress dialog, wParam = result
constexpr UINT TM_RUN = 0x4CB;            // a decode request was queued; starts a dialog's worker
constexpr UINT WM_DECODE_FRAME = 0x4CC;   // to a picture-list window: a decoded frame is ready
constexpr UINT TM_DECODE_CANCEL = 0x4CD;  // drop the queued requests of one requester
constexpr UINT WM_LIST_REFRESH = 0x4CE;   // to a picture-list window: re-read its items (wParam -1)
constexpr UINT TM_LOAD_ALBUM = 0x1234;    // to the data-load thread

// To a movie view's parent: the view stopped and asks for its data to be reloaded
// (wParam the view window, lParam the view's reload value); also a view's "stopped" report.
constexpr UINT WM_LIST_RELOAD = 0x46F;
