#pragma once
// The rule of one running Reelvault: a second start brings the first one's window forward,
// and two duplicate starts close to each other close a first instance the user cannot reach.
#include <windows.h>

#include <cstdint>

class Inifile_CL;

constexpr wchar_t kSingleInstanceMutexName[] = L"Reelvault-SingleInstance-8F3C2A71";
// Two duplicate starts at most this many seconds apart close the first instance.
constexpr int64_t kDuplicateStartWindowSeconds = 30;

// True when a duplicate start at `now` follows the previous one within the window, or the
// previous one lies in the future (the clock was turned back).
bool IsRepeatedDuplicateStart(int64_t now, int64_t lastDuplicateTime);

// Raises the first instance's window to the front without keeping it topmost; with
// closeIt also asks it to close. Nothing here waits on the window's thread, which may hang.
void BringFirstInstanceForward(HWND found, bool closeIt);

// The second instance's part once the mutex told it that another copy runs: finds the first
// one's window, raises it, closes it on a repeated duplicate start (forgetting the saved
// window rectangle) and records the time. lastDuplicateTime is the value read at start-up.
void HandleDuplicateStart(const Inifile_CL& programIni, int64_t now, int64_t lastDuplicateTime);
