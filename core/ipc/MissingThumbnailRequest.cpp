// ItemMovieDataList_CL's decode requests to the thumbnail maker.
#include <shlwapi.h>

#include "core/album/ItemMovieDataList.h"
#include "core/base/ByteWriter.h"
#include "core/base/Log.h"
#include "core/ipc/Kiln_RequestDecodeRequest.h"
#include "core/ipc/PipeClient.h"
#include "core/ipc/StillforgeRequest.h"

namespace {

constexpr size_t kMoviesPerRequest = 200;
constexpr uint32_t kRequestImageType = 1;  // JPEG
constexpr uint32_t kRequestFrameWidth = 256;
constexpr uint32_t kRequestFrameHeight = 144;

}  // namespace

void ItemMovieDataList_CL::RequestMissingThumbnails()
{
    Kiln_RequestDecodeRequest_CL request;
    // Only the first message of a run makes the maker drop the work it had queued.
    request.replaceFlag = 1;
    request.imageType = kRequestImageType;
    request.frameWidth = kRequestFrameWidth;
    request.frameHeight = kRequestFrameHeight;
    const std::wstring pipe = GetThumbnailMakerPipeName();
    // The request header: kind, replace flag, type, width, height and the item count.
    constexpr size_t kHeaderBytes = 24;
    size_t messageBytes = kHeaderBytes;

    auto send = [&]() {
        if (request.items.empty()) return;
        // A lost message is made good by the next run: the strips are still missing.
        if (FAILED(PipeClient_CL::SendOnce(pipe, request)))
            WriteLog(AppLog, L"decode request of %u movies not delivered to %s",
                     static_cast<unsigned>(request.items.size()), pipe.c_str());
        request.items.clear();
        request.replaceFlag = 0;
        messageBytes = kHeaderBytes;
    };

    for (const ItemMovieData_CL& record : records) {
        const std::wstring strip = record.GetThumbnailPath();
        if (record.run_decode == 0 && PathFileExistsW(strip.c_str())) continue;
        Kiln_RequestDecodeRequest_CL::DecodeItem_CL item;
        item.decodeKey = record.decode_key;
        item.moviePath = record.link_name;
        item.outputPath = strip;
        for (const auto& frame : record.favorites_frames) item.positions.push_back(frame.fav);

        // The pipe takes one frame of limited size: very long paths end a message early,
        // so that no movie is left in a message that can never be delivered.
        ByteWriter_CL encoded;
        item.Save(encoded);
        if (kHeaderBytes + encoded.GetSize() > kMaxPipePayload) {
            WriteLog(AppLog, L"decode request of one movie too large for the pipe: %s", record.link_name.c_str());
            continue;
        }
        if (messageBytes + encoded.GetSize() > kMaxPipePayload) send();
        request.items.push_back(std::move(item));
        messageBytes += encoded.GetSize();
        if (request.items.size() >= kMoviesPerRequest) send();
    }
    send();
}
