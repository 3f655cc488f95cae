#pragma once
// One run of the decode thread: the head of the queue from taking it to removing it.
#include <windows.h>

class DecodeHost_IF;
class DecodeRequestList_CL;

// 0 when a movie was handled, -1 when the queue was empty. `cancelEvent` (the window's)
// ends a grab that waits.
int ThumbnailDecode(DecodeRequestList_CL& queue, DecodeHost_IF& host, HANDLE cancelEvent);
