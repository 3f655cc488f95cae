// ItemMovieDataList_CL's decode requests to the thumbnail maker.
#include <shlwapi.h>

#include "core/album/ItemMovieDataList.h"
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

    for (size_t i = 0; i < records.size(); ++i) {
        const ItemMovieData_CL& record = records[i];
        const std::wstring strip = record.GetThumbnailPath();
        if (record.run_decode != 0 || !PathFileExistsW(strip.c_str())) {
            Kiln_RequestDecodeRequest_CL::DecodeItem_CL item;
            item.decodeKey = record.decode_key;
            item.moviePath = record.link_name;
            item.outputPath = strip;
            for (const auto& frame : record.favorites_frames) item.positions.push_back(frame.fav);
            request.items.push_back(std::move(item));
        }
        const bool last = i + 1 == records.size();
        if (request.items.size() >= kMoviesPerRequest || (last && !request.items.empty())) {
            // A lost message is made good by the next run: the strips are still missing.
            if (FAILED(PipeClient_CL::SendOnce(pipe, request)))
                WriteLog(AppLog, L"decode request of %u movies not delivered to %s",
                         static_cast<unsigned>(request.items.size()), pipe.c_str());
            request.items.clear();
            request.replaceFlag = 0;
        }
    }
}
