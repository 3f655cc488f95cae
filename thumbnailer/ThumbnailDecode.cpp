#include "thumbnailer/ThumbnailDecode.h"

#include <objbase.h>

#include "thumbnailer/DecodeSeam.h"
#include "thumbnailer/DecodeRequestList.h"
#include "thumbnailer/MovieDecode.h"
#include "thumbnailer/StillforgeGlobals.h"

int ThumbnailDecode(DecodeRequestList_CL& queue, DecodeHost_IF& host, HANDLE cancelEvent)
{
    WriteLog(SequenceLog, L"ThumbnailDecode_START");
    DecodeRequestItem_CL work;
    if (!queue.GetHead(work)) return -1;
    WriteLog(SequenceLog, L"ThumbnailDecode_001(残り%d file)", static_cast<int>(work.request_count));
    // The marker of a previous death is read before this run arms its own.
    const int exception = ReadThumbnailSetting(kExceptionKey, 0);
    const std::wstring crashedFile = ThumbnailIni.ReadString(kThumbnailSection, kCrashedFileKey, L"");
    // Until the marker goes back to 0, a death of the process is blamed on this movie.
    ThumbnailIni.WriteString(kThumbnailSection, kCrashedFileKey, work.moviePath);
    WriteThumbnailSetting(kRunDecodeKey, 1);

    const HRESULT com = CoInitialize(nullptr);
    WriteLog(SequenceLog, L"ThumbnailDecode_002");
    WriteLog(SequenceLog, L"ThumbnailDecode_003");
    WriteLog(SequenceLog, L"ThumbnailDecode_003-1");
    WriteLog(SequenceLog, L"ThumbnailDecode_003-2");
    WriteLog(SequenceLog, L"ThumbnailDecode_003-3");

    // The previous instance died on this movie: it is not opened again. A marker left by
    // another movie (a restart that never came, then a fresh start with other work) only
    // goes away.
    WriteLog(KilnLog, L"[LOG_LINE] (ini) exception=%d file(%s)", exception, work.moviePath.c_str());
    bool skip = false;
    if (exception != 0) {
        WriteThumbnailSetting(kExceptionKey, 0);
        if (_wcsicmp(crashedFile.c_str(), work.moviePath.c_str()) == 0) {
            skip = true;
            WriteLog(ErrorListLog, L"%s", work.moviePath.c_str());
        } else {
            WriteLog(KilnLog, L"[LOG_LINE] (ini) exception of another movie cleared crashed(%s) file(%s)",
                     crashedFile.c_str(), work.moviePath.c_str());
        }
    }

    ThumbnailDecodeFrames(host, cancelEvent, work, skip);

    // A cancelled movie stays at the head, so that the next instance decodes it again.
    if (!host.IsCancelling()) {
        queue.RemoveHead(work);
        WriteLog(SequenceLog, L"ThumbnailDecode_SAVE_START2");
        queue.Save(GetQueueFilePath());
        WriteLog(SequenceLog, L"ThumbnailDecode_SAVE_END2");
    }
    WriteLog(SequenceLog, L"ThumbnailDecode_004");
    WriteThumbnailSetting(kRunDecodeKey, 0);
    if (SUCCEEDED(com)) CoUninitialize();
    WriteLog(SequenceLog, L"ThumbnailDecode_END");
    return 0;
}
