#include "thumbnailer/RequestPipeServer.h"

#include "core/ipc/Kiln_RequestDecodePriorityRequest.h"
#include "core/ipc/Kiln_RequestDecodeRequest.h"
#include "core/ipc/Kiln_RequestDeleteRequest.h"
#include "thumbnailer/DecodeRequestList.h"
#include "thumbnailer/DecodeStarter.h"
#include "thumbnailer/StillforgeGlobals.h"

void RequestPipeServer_CL::OnReceive(const uint8_t* payload, uint32_t size)
{
    ByteReader_CL in(payload, size);
    const uint32_t kind = PeekKilnMessageType(in);
    DecodeRequestList_CL& queue = queue_;
    bool changed = false;

    // A message that does not load whole is dropped: its keys or movies cannot be trusted.
    switch (kind) {
    case kKilnDeleteRequest: {
        Kiln_RequestDeleteRequest_CL request;
        if (FAILED(request.Load(in))) break;
        changed = queue.Delete(request.keys) > 0;
        WriteLog(DecodeListLog, L"(pipe) delete keys=%u removed=%d", static_cast<unsigned>(request.keys.size()),
                 changed ? 1 : 0);
        break;
    }
    case kKilnDecodeRequest: {
        Kiln_RequestDecodeRequest_CL request;
        if (FAILED(request.Load(in))) break;
        if (request.replaceFlag != 0) changed = queue.DropAllButHead() > 0;
        // One lock per movie: the decode thread may take the head in between.
        for (const auto& item : request.items) {
            WriteLog(DecodeListLog, L"受付(%s)", item.moviePath.c_str());
            changed = queue.Add(DecodeRequestItem_CL(request, item)) || changed;
        }
        break;
    }
    case kKilnPriorityRequest: {
        Kiln_RequestDecodePriorityRequest_CL request;
        if (FAILED(request.Load(in))) break;
        changed = queue.MoveToTop(request.keys);
        break;
    }
    default:
        return;
    }

    if (!changed) {
        WriteLog(KilnLog, L"[LOG_LINE]  pipe kind=%u bytes=%u: queue unchanged", kind, size);
        return;
    }
    // Written now rather than with the next decode: a restart or a crash before that would
    // otherwise lose what this message brought.
    queue.Save(GetQueueFilePath());
    if (kind == kKilnDecodeRequest && !starter_.IsDecoding()) starter_.PostDecodeStart();
}
