#include "thumbnailer/MovieDecode.h"

#include <cstdlib>

#include "core/ipc/Kiln_ResponseDecode.h"
#include "core/ipc/PipeClient.h"
#include "thumbnailer/FramePlan.h"
#include "thumbnailer/StillforgeGlobals.h"
#include "thumbnailer/ThumbnailStrip.h"

namespace {

bool IsUsable(Gdiplus::Bitmap* image) { return image && image->GetLastStatus() == Gdiplus::Ok; }

}  // namespace

MovieDecode_CL::MovieDecode_CL(DecodeHost_IF& host, DecodeRequestItem_CL& work)
    : host_(host), work_(work), file_(work.moviePath.c_str())
{
}

bool MovieDecode_CL::IsFrameSideAccepted(uint32_t side)
{
    return side == kFrameSideOfSource || (side >= 1 && side <= static_cast<uint32_t>(ThumbnailStrip_CL::kMaxFrameSide));
}

bool MovieDecode_CL::IsReplyWanted(const std::wstring& replyTitle)
{
    // FindWindowW with an empty title finds any untitled top-level window, which says
    // nothing about whether the starter listens: the pipe's items are always answered.
    if (replyTitle.empty()) return true;
    return FindWindowW(nullptr, replyTitle.c_str()) != nullptr;
}

Kiln_ResponseDecode_CL MovieDecode_CL::MakeResponse(const DecodeRequestItem_CL& work)
{
    Kiln_ResponseDecode_CL response;
    response.request_id = work.request_id;
    response.errorFlag = work.errorFlag;
    response.decode_count = work.decode_count;
    response.request_count = work.request_count;
    response.duration = work.duration;
    response.positions = work.positions;
    return response;
}

void MovieDecode_CL::Run(bool crashed)
{
    const size_t count = work_.positions.size();
    if (count < 1) return;
    if (count > kMaxFrames) {
        RefuseFrameCount();
        return;
    }
    WriteLog(SequenceLog, L"ThumbnailDecode_004");
    WriteLog(SequenceLog, L"ThumbnailDecode_005");
    WriteLog(SequenceLog, L"ThumbnailDecode_006");
    skip_ = crashed;
    if (!crashed) {
        if (!IsFrameSideAccepted(work_.frameWidth) || !IsFrameSideAccepted(work_.frameHeight)) {
            // No strip can be made: the movie is not opened, and fails frame by frame.
            WriteLog(DecodeListLog, L"(decode) frame size %dx%d refused file(%s)", static_cast<int>(work_.frameWidth),
                     static_cast<int>(work_.frameHeight), file_);
            skip_ = true;
            stripTried_ = true;
            work_.errorFlag = 1;
            WriteLog(ErrorListLog, L"%s", file_);
        } else if (OpenMovie(work_.moviePath) != 0) {
            skip_ = true;
            WriteLog(ErrorListLog, L"%s", file_);
        }
    }

    WriteLog(SequenceLog, L"ThumbnailDecode_007");
    const int64_t duration = crashed ? 0 : GetMovieDuration();
    WriteLog(KilnLog, L"[LOG_LINE]  decode-plan duration=%lld initial_last=%lld file(%s)", duration, duration, file_);
    WriteLog(DecodeListLog, L"(decode-plan) duration=%lld initial_last=%lld file(%s)", duration, duration, file_);
    work_.duration = duration;
    PlanPositions();

    WriteLog(SequenceLog, L"ThumbnailDecode_009");
    abortAfterTimeouts_ = ReadThumbnailSetting(L"decode_abort_after_consecutive_frame_timeouts", 3);
    WriteLog(KilnLog, L"[LOG_LINE] (ini) decode_abort_after_consecutive_frame_timeouts=%d file(%s)",
             abortAfterTimeouts_, file_);

    ThumbnailStrip_CL strip(work_.moviePath, static_cast<int>(count));
    for (size_t i = 0; i < count; ++i) DecodeOneFrame(i, strip);

    if (totalTimeouts_ > 0) WriteLog(ErrorListLog, L"(timeout)%s", file_);
    if (!host_.IsCancelling() && (skip_ || work_.errorFlag != 0 || totalTimeouts_ > 0))
        AddToErrorList(work_.moviePath);
}

void MovieDecode_CL::RefuseFrameCount()
{
    WriteLog(DecodeListLog, L"(decode) %u frames refused (at most %u) file(%s)",
             static_cast<unsigned>(work_.positions.size()), static_cast<unsigned>(kMaxFrames), file_);
    WriteLog(ErrorListLog, L"%s", file_);
    work_.errorFlag = 1;
    work_.decode_count = 0;
    if (work_.request_count > 0) --work_.request_count;
    if (host_.IsCancelling()) return;
    AddToErrorList(work_.moviePath);
    Reply();
}

void MovieDecode_CL::PlanPositions()
{
    FramePlan plan = PlanFrames(work_.duration, work_.positions, [] { return rand() % 100; });
    const int count = static_cast<int>(work_.positions.size());
    WriteLog(SequenceLog, L"ThumbnailDecode_008");
    for (int k = 0; k < count; ++k) {
        WriteLog(KilnLog, L"[LOG_LINE]  decode-plan input index=%d frame=%lld file(%s)", k + 1, work_.positions[k],
                 file_);
        WriteLog(DecodeListLog, L"(decode-plan) input index=%d frame=%lld file(%s)", k + 1, work_.positions[k], file_);
    }
    for (const FramePlan::Clamp& clamp : plan.clamps) {
        WriteLog(KilnLog, L"[LOG_LINE]  decode-plan clamp frame %lld->%lld file(%s)", clamp.from, clamp.to, file_);
        WriteLog(DecodeListLog, L"(decode-plan) clamp frame %lld->%lld file(%s)", clamp.from, clamp.to, file_);
    }
    if (plan.adjusted > 0) {
        WriteLog(KilnLog, L"[LOG_LINE]  decode-plan dedupe adjusted=%d min_gap=%lld file(%s)", plan.adjusted,
                 plan.values.minGap, file_);
        WriteLog(DecodeListLog, L"(decode-plan) dedupe adjusted=%d min_gap=%lld file(%s)", plan.adjusted,
                 plan.values.minGap, file_);
    }
    WriteLog(KilnLog, L"[LOG_LINE]  decode-plan file(%s) count=%d first=%lld last=%lld", file_, count,
             plan.positions.front(), plan.positions.back());
    plan_ = std::move(plan.positions);
}

Gdiplus::Bitmap* MovieDecode_CL::GrabPlanned(size_t index)
{
    const int number = static_cast<int>(index) + 1;
    const int count = static_cast<int>(plan_.size());
    const int64_t position = plan_[index];
    work_.positions[index] = position;
    WriteLog(KilnLog, L"[LOG_LINE]  decode-call index=%d/%d frame=%lld file(%s)", number, count, position, file_);
    uint32_t result = kGrabFailed;
    Gdiplus::Bitmap* frame = GrabFrame(position, result);
    WriteLog(KilnLog, L"[LOG_LINE]  decode-return index=%d/%d frame=%lld result=%u has_bitmap=%d file(%s)", number,
             count, position, result, frame ? 1 : 0, file_);
    if (result == kGrabCancelled) {
        skip_ = true;
        host_.SetCancelling();
    } else if (result == kGrabTimeout) {
        ++totalTimeouts_;
        ++consecutiveTimeouts_;
        WriteLog(DecodeListLog, L"(frame decode timeout) consecutive=%d file(%s)", consecutiveTimeouts_, file_);
        if (abortAfterTimeouts_ > 0 && consecutiveTimeouts_ >= abortAfterTimeouts_) {
            WriteLog(DecodeListLog, L"decode_abort_after_consecutive_frame_timeouts(%d) により残りフレームのデコードを中止",
                     abortAfterTimeouts_);
            skip_ = true;
        }
    } else {
        consecutiveTimeouts_ = 0;
    }
    return frame;
}

void MovieDecode_CL::PrepareStrip(ThumbnailStrip_CL& strip, Gdiplus::Bitmap* source)
{
    if (stripTried_) return;
    stripTried_ = true;
    if (work_.frameWidth == kFrameSideOfSource || work_.frameHeight == kFrameSideOfSource) {
        work_.frameWidth = IsUsable(source) ? source->GetWidth() : 0;
        work_.frameHeight = IsUsable(source) ? source->GetHeight() : 0;
    }
    if (strip.Create(static_cast<int>(work_.frameWidth), static_cast<int>(work_.frameHeight))) return;
    // The movie fails, but every frame is still answered so that the starter hears the end.
    WriteLog(DecodeListLog, L"(draw) strip %dx%d x %d not created file(%s)", static_cast<int>(work_.frameWidth),
             static_cast<int>(work_.frameHeight), static_cast<int>(work_.positions.size()), file_);
    work_.errorFlag = 1;
}

void MovieDecode_CL::DecodeOneFrame(size_t index, ThumbnailStrip_CL& strip)
{
    Gdiplus::Bitmap* source = nullptr;
    if (!skip_) source = GrabPlanned(index);
    if (!source) {
        source = host_.GetErrorImage();
        work_.errorFlag = 1;
    }
    PrepareStrip(strip, source);

    const int slot = static_cast<int>(index);
    if (strip.IsCreated()) {
        if (!IsUsable(source) || !strip.DrawFrame(slot, *source)) {
            // Neither the frame nor the error image could be drawn: the slot still must not
            // show a frame, and the frame is still saved and answered.
            work_.errorFlag = 1;
            strip.FillSlot(slot, kNoImageColour);
        }
        SaveStrip(index, strip);
    }

    work_.decode_count = static_cast<uint32_t>(work_.positions.size() - index - 1);
    if (work_.decode_count == 0 && work_.request_count > 0) --work_.request_count;
    if (!host_.IsCancelling()) Reply();
}

void MovieDecode_CL::SaveStrip(size_t index, ThumbnailStrip_CL& strip)
{
    const int number = static_cast<int>(index) + 1;
    const int count = static_cast<int>(work_.positions.size());
    const wchar_t* out = work_.outputPath.c_str();
    WriteLog(SequenceLog, L"ThumbnailDecode_010");
    WriteLog(KilnLog, L"[LOG_LINE]  save-start index=%d/%d type=%d out(%s) file(%s)", number, count,
             static_cast<int>(work_.imageType), out, file_);
    WriteLog(DecodeListLog, L"(save) start index=%d/%d type=%d out(%s) file(%s)", number, count,
             static_cast<int>(work_.imageType), out, file_);
    // The writer takes the strip as it is; the line keeps its place in the logs and names the
    // bitmap that is saved.
    Gdiplus::Bitmap* bitmap = strip.GetBitmap();
    WriteLog(KilnLog, L"[LOG_LINE]  gethbitmap-end index=%d/%d hbitmap=%p file(%s)", number, count, bitmap, file_);
    WriteLog(DecodeListLog, L"(save) gethbitmap-end index=%d/%d hbitmap=%p file(%s)", number, count, bitmap, file_);
    if (bitmap) WriteStrip(work_.imageType, work_.outputPath, *bitmap);
    else work_.errorFlag = 1;
    WriteLog(KilnLog, L"[LOG_LINE]  save-end index=%d/%d out(%s) file(%s)", number, count, out, file_);
    WriteLog(DecodeListLog, L"(save) end index=%d/%d out(%s) file(%s)", number, count, out, file_);
}

void MovieDecode_CL::Reply()
{
    if (!IsReplyWanted(work_.replyTitle)) {
        WriteLog(ErrorListLog, L"送信先ウインドウハンドルが取得できない(%s)", work_.replyTitle.c_str());
        return;
    }
    const Kiln_ResponseDecode_CL response = MakeResponse(work_);
    ByteWriter_CL bytes;
    response.Save(bytes);
    WriteLog(KilnLog, L"[LOG_LINE]  response-send-start request_id=%d decode_count=%d request_count=%d bytes=%d file(%s)",
             static_cast<int>(response.request_id), static_cast<int>(response.decode_count),
             static_cast<int>(response.request_count), static_cast<int>(bytes.GetSize()), file_);
    WriteLog(DecodeListLog, L"(response) send-start request_id=%d decode_count=%d request_count=%d bytes=%d file(%s)",
             static_cast<int>(response.request_id), static_cast<int>(response.decode_count),
             static_cast<int>(response.request_count), static_cast<int>(bytes.GetSize()), file_);
    // A starter that is gone or busy loses this frame's reply; the work goes on.
    if (FAILED(PipeClient_CL::SendOnce(StillforgeName, response)))
        WriteLog(DecodeListLog, L"(response) not delivered request_id=%d file(%s)",
                 static_cast<int>(response.request_id), file_);
    WriteLog(KilnLog, L"[LOG_LINE]  response-send-end request_id=%d file(%s)", static_cast<int>(response.request_id),
             file_);
    WriteLog(DecodeListLog, L"(response) send-end request_id=%d file(%s)", static_cast<int>(response.request_id),
             file_);
}
