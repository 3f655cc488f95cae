#include "thumbnailer/DecodeSeam.h"

#include "thumbnailer/GrabberMovieDecode.h"

void ThumbnailDecodeFrames(DecodeHost_IF& host, HANDLE cancelEvent, DecodeRequestItem_CL& work, bool skip)
{
    GrabberMovieDecode_CL decode(host, work, cancelEvent);
    decode.Run(skip);
}

UINT GetWatchdogPeriodMs() { return 300000; }
