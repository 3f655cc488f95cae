#pragma once
// The screen resolution by which sizes given at 96 dpi are scaled.
#include <windows.h>

class HighDpiHelper_CL {
public:
    virtual ~HighDpiHelper_CL() = default;

    // A DPI-aware process keeps 96: the system does not stretch its windows.
    void QueryDpi();
    int Scale(int size96) const { return MulDiv(size96, dpiX, 96); }

    int aware = 1;
    int dpiX = 96;
    int dpiY = 96;
};
