#pragma once
// Progress of an album load, shown on the data-load dialog's progress bar.
#include <windows.h>

#include <atomic>

// The dialog owns one and publishes it through g_dataLoadProgress while it is open; with
// no dialog (an album opened from the menu) the loaders report nothing.
struct DataLoadProgress_CL {
    int total = 0;
    int done = 0;
    int lastPercent = 0;
    HWND progressBar = nullptr;

    // done = 0 and a new total; the bar goes back to 0 when it showed anything else.
    void Reset(int newTotal);
    void AddTotal(int count);
    void StepDone();

private:
    void SendPercent();
};

extern std::atomic<DataLoadProgress_CL*> g_dataLoadProgress;
