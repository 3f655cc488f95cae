#pragma once
// What the release program and the test program of Stillforge do differently. The release
// definitions are in DecodeSeam.cpp; the test program links scripted ones in their place.
#include <windows.h>

class DecodeHost_IF;
class DecodeRequestItem_CL;

// The frames of one movie: plan the positions, grab, draw and write the strip, and answer
// the starter after every frame. `work` is the decode thread's copy of the head; `skip`
// means the previous instance died on this movie, so that every frame takes the error
// image. A grab ended by `cancelEvent` calls host.SetCancelling().
void ThumbnailDecodeFrames(DecodeHost_IF& host, HANDLE cancelEvent, DecodeRequestItem_CL& work, bool skip);

// How long one movie may take before the watchdog restarts the program.
UINT GetWatchdogPeriodMs();
