#include "core/album/DataLoadProgress.h"

#include <commctrl.h>

std::atomic<DataLoadProgress_CL*> g_dataLoadProgress{nullptr};

void DataLoadProgress_CL::Reset(int newTotal)
{
    done = 0;
    total = newTotal;
    if (lastPercent == 0) return;
    lastPercent = 0;
    if (progressBar) SendMessageW(progressBar, PBM_SETPOS, 0, 0);
}

void DataLoadProgress_CL::AddTotal(int count)
{
    total += count;
    SendPercent();
}

void DataLoadProgress_CL::StepDone()
{
    ++done;
    SendPercent();
}

void DataLoadProgress_CL::SendPercent()
{
    // An empty album has nothing to divide by; its bar stays where it is.
    if (total <= 0) return;
    int percent = static_cast<int>(static_cast<long long>(done) * 100 / total);
    if (percent == lastPercent) return;
    lastPercent = percent;
    if (progressBar) SendMessageW(progressBar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}
