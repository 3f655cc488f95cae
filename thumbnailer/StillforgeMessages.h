#pragma once
// Stillforge's own window messages, all in one place. (Reelvault's are in
// core/base/ThreadMessages.h.)
#include <windows.h>

constexpr UINT WM_DECODE_START = 0x8412;   // look at the queue; start the decode thread when idle
constexpr UINT WM_DECODE_CANCEL = 0x8413;  // end the program
