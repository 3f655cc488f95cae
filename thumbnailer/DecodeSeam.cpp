#include "thumbnailer/DecodeSeam.h"

#include "thumbnailer/GrabberMovieDecode.h"
#include "thumbnailer/MainWindow.h"

void ThumbnailDecodeFrames(MainWindow_CL& window, DecodeRequestItem_CL& work, bool skip)
{
    GrabberMovieDecode_CL decode(window, work, window.GetCancelEvent());
    decode.Run(skip);
}

UINT GetWatchdogPeriodMs() { return 300000; }
