#include "thumbnailer/ThumbnailDecode.h"

#include "thumbnailer/DecodeSeam.h"
#include "thumbnailer/MainWindow.h"
#include "thumbnailer/StillforgeGlobals.h"

int ThumbnailDecode(MainWindow_CL& window)
{
    WriteLog(SequenceLog, L"ThumbnailDecode_START");
    DecodeRequestItem_CL work;
    if (!window.GetQueue().GetHead(work)) return -1;
    WriteLog(SequenceLog, L"ThumbnailDecode_001(残り%d file)", static_cast<int>(work.request_count));
    // Until the marker goes back to 0, a death of the process is blamed on this movie.
    WriteThumbnailSetting(L"run_decode", 1);

    // The previous instance died on this movie: it is not opened again.
    const int exception = ReadThumbnailSetting(L"exception", 0);
    WriteLog(KilnLog, L"[LOG_LINE] (ini) exception=%d file(%s)", exception, work.moviePath.c_str());
    bool skip = false;
    if (exception != 0) {
        WriteThumbnailSetting(L"exception", 0);
        skip = true;
        WriteLog(ErrorListLog, L"%s", work.moviePath.c_str());
    }

    ThumbnailDecodeFrames(window, work, skip);

    // A cancelled movie stays at the head, so that the next instance decodes it again.
    if (!window.IsCancelling()) {
        window.GetQueue().RemoveHead(work);
        WriteLog(SequenceLog, L"ThumbnailDecode_SAVE_START2");
        window.GetQueue().Save(GetQueueFilePath());
        WriteLog(SequenceLog, L"ThumbnailDecode_SAVE_END2");
    }
    WriteThumbnailSetting(L"run_decode", 0);
    WriteLog(SequenceLog, L"ThumbnailDecode_END");
    return 0;
}
