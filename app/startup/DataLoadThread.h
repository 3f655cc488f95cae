#pragma once
// The worker that loads the album while the start-up splash is shown: the album, the
// watched folders, then the decode requests of the strips still missing.
#include "core/base/ThreadBase.h"

class DataLoadThread : public ThreadBase_CL {
public:
    DataLoadThread() { SetThreadName(L"DialogDataLoadスレッド"); }
    ~DataLoadThread() override { Stop(); }

protected:
    // Only TM_LOAD_ALBUM (lParam the splash) does work; every message answers 0.
    uint32_t OnThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The program's one data-load thread.
extern DataLoadThread g_dataLoadThread;
