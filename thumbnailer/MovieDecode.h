#pragma once
// The frames of one movie: the frame plan, one grab per planned position, the strip drawn
// and written after every frame, and a reply to the starter after every frame.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <string>

#include "thumbnailer/DecodeRequestItem.h"

class Kiln_ResponseDecode_CL;

// What a decode needs of the program around it.
class DecodeHost_IF {
public:
    virtual bool IsCancelling() const = 0;
    // A grab ended by the cancel event: the program is closing.
    virtual void SetCancelling() = 0;
    // The image every failed slot shows; null when the program has none.
    virtual Gdiplus::Bitmap* GetErrorImage() const = 0;

protected:
    ~DecodeHost_IF() = default;
};

class MovieDecode_CL {
public:
    // Result codes of a grab.
    static constexpr uint32_t kGrabOk = 0;
    static constexpr uint32_t kGrabTimeout = 1;
    static constexpr uint32_t kGrabCancelled = 2;
    static constexpr uint32_t kGrabFailed = 3;

    // A request may ask for 1 .. kMaxFrames frames of 1 .. 4096 pixels a side, or -1 for the
    // side of the first frame grabbed.
    static constexpr size_t kMaxFrames = 64;
    static constexpr uint32_t kFrameSideOfSource = 0xFFFFFFFF;
    // A slot that no image can fill: a plain dark red, so that it is not taken for a frame.
    static constexpr Gdiplus::ARGB kNoImageColour = 0xFF600000;

    // `work` is the decode thread's copy of the head; the run fills its fields as it goes.
    MovieDecode_CL(DecodeHost_IF& host, DecodeRequestItem_CL& work);
    virtual ~MovieDecode_CL() = default;
    MovieDecode_CL(const MovieDecode_CL&) = delete;
    MovieDecode_CL& operator=(const MovieDecode_CL&) = delete;

    // `crashed`: the previous instance died on this movie, so it is not opened again and
    // every frame takes the error image.
    void Run(bool crashed);

    // true when a frame size of a request can make a strip.
    static bool IsFrameSideAccepted(uint32_t side);
    // true when a reply may go out for an item with this reply title: always for an item
    // without one (the pipe's), else while a top-level window has that title.
    static bool IsReplyWanted(const std::wstring& replyTitle);
    // The response for the work as far as it has got.
    static Kiln_ResponseDecode_CL MakeResponse(const DecodeRequestItem_CL& work);

protected:
    // The frame grabber and the image files: the program's own in the release build,
    // scripted ones in the tests.
    virtual HRESULT OpenMovie(const std::wstring& path) = 0;
    // 100-ns units; 0 when unknown.
    virtual int64_t GetMovieDuration() = 0;
    // The frame at `position`, or null with the reason in `result`. The bitmap stays the
    // grabber's until its next call.
    virtual Gdiplus::Bitmap* GrabFrame(int64_t position, uint32_t& result) = 0;
    virtual void WriteStrip(uint32_t imageType, const std::wstring& path, Gdiplus::Bitmap& strip) = 0;
    virtual void AddToErrorList(const std::wstring& path) = 0;

private:
    // A request that the strip could not hold at all: answered once as failed.
    void RefuseFrameCount();
    void PlanPositions();
    void DecodeOneFrame(size_t index, class ThumbnailStrip_CL& strip);
    Gdiplus::Bitmap* GrabPlanned(size_t index);
    void PrepareStrip(ThumbnailStrip_CL& strip, Gdiplus::Bitmap* source);
    void SaveStrip(size_t index, ThumbnailStrip_CL& strip);
    void Reply();

    DecodeHost_IF& host_;
    DecodeRequestItem_CL& work_;
    const wchar_t* file_;
    std::vector<int64_t> plan_;
    bool skip_ = false;
    bool stripTried_ = false;
    int abortAfterTimeouts_ = 3;
    int consecutiveTimeouts_ = 0;
    int totalTimeouts_ = 0;
};
