#pragma once
// Reelvault's own message numbers, all in one place so that two can never meet: those of
// the worker threads and those of the windows that threads, the pipe and the filter graphs
// report to. (Stillforge's are in thumbnailer/StillforgeMessages.h.)
#include <windows.h>

// Every worker fetches only this range from its queue.
constexpr UINT TM_FIRST = 0x4C8;
constexpr UINT TM_LAST = 0x14C8;

constexpr UINT TM_KICK = 0x4C9;           // work is available
constexpr UINT TM_QUIT = 0x4CA;           // end the loop; ends a progress dialog, wParam = result
constexpr UINT TM_RUN = 0x4CB;            // a decode request was queued; starts a dialog's worker
constexpr UINT WM_DECODE_FRAME = 0x4CC;   // to a picture-list window: a decoded frame is ready
constexpr UINT TM_DECODE_CANCEL = 0x4CD;  // drop the queued requests of one requester
constexpr UINT TM_LOAD_ALBUM = 0x1234;    // to the data-load thread

// To a picture-list window: re-read its items (wParam -1); to a frame decoder's window once
// its requests were dropped (wParam -1, lParam the decoder).
constexpr UINT WM_LIST_REFRESH = 0x4CE;
// Posted by a frame decoder's filter graph to its window; the window answers with
// DShowMovieFrameDecode_CL::OnGraphNotify.
constexpr UINT WM_GRAPH_NOTIFY = 0x3733;
// To the main window: responses are waiting (wParam kPipeReceivedDecode, lParam = the server).
constexpr UINT WM_PIPE_RECEIVED = WM_APP + 1;
// To the main window: one decode response (lParam = the Kiln_ResponseDecode_CL, now the
// window's).
constexpr UINT WM_DECODE_RESPONSE = 0x513;
// To UiThreadInvoker_CL's window: run a call on the window thread.
constexpr UINT WM_INVOKE = WM_APP + 0x3E0;
// To a movie view's parent: the view stopped and asks for its data to be reloaded
// (wParam the view window, lParam the view's reload value); also a view's "stopped" report.
constexpr UINT WM_LIST_RELOAD = 0x46F;
