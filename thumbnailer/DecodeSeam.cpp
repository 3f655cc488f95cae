#include "thumbnailer/DecodeSeam.h"

#include "thumbnailer/DecodeRequestItem.h"
#include "thumbnailer/MainWindow.h"
#include "thumbnailer/StillforgeGlobals.h"

void ThumbnailDecodeFrames(MainWindow_CL& window, DecodeRequestItem_CL& work, bool skip)
{
    // The frame plan and the grabbers are not part of this program yet: the movie is
    // marked failed and leaves the queue, and Reelvault asks for it again while its strip
    // is missing.
    work.errorFlag = 1;
    WriteLog(DecodeListLog, L"(decode) frame grabbing is not built in this version; no strip for file(%s)",
             work.moviePath.c_str());
}

UINT GetWatchdogPeriodMs() { return 300000; }
