#pragma once
// Shared pieces of the DirectShow tests: the generated movies, COM set-up, a frame probe.
#include <gtest/gtest.h>

#include <windows.h>
#include <dshow.h>
#include <dvdmedia.h>
#include <qedit.h>
#include <wrl/client.h>

#include <atomic>
#include <string>

#include "core/base/UniqueHandle.h"
#include "core/media/ComAdopt.h"

using Microsoft::WRL::ComPtr;

constexpr LONGLONG kUnitsPerSecond = 10000000;
constexpr LONGLONG kMovieDuration = 5 * kUnitsPerSecond;

// A generated movie's Windows path (the build passes the folder with forward slashes).
inline std::wstring MoviePath(const wchar_t* fileName)
{
    std::wstring path = std::wstring(REELVAULT_MOVIE_DIR) + L"/" + fileName;
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

// Each test runs in a COM apartment of its own, as the program's window thread does.
class ComTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

inline HRESULT RenderMovie(IMediaControl* control, const std::wstring& path)
{
    BSTR name = SysAllocString(path.c_str());
    HRESULT hr = control->RenderFile(name);
    SysFreeString(name);
    return hr;
}

inline ComPtr<IBaseFilter> FindFilter(IGraphBuilder* graph, const wchar_t* name)
{
    ComPtr<IBaseFilter> filter;
    graph->FindFilterByName(name, &filter);
    return filter;
}

// The pin's peer, or null.
inline ComPtr<IPin> PeerOf(IPin* pin)
{
    ComPtr<IPin> peer;
    if (pin) pin->ConnectedTo(&peer);
    return peer;
}

inline ComPtr<IBaseFilter> OwnerOfPin(IPin* pin)
{
    ComPtr<IBaseFilter> owner;
    PIN_INFO info{};
    if (pin && SUCCEEDED(pin->QueryPinInfo(&info))) owner = AdoptCom(info.pFilter);
    return owner;
}

// Counts the frames handed to SampleCB and reads the brightness of the last one.
class FrameProbe : public ISampleGrabberCB {
public:
    FrameProbe() : arrived(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_ISampleGrabberCB) {
            *out = static_cast<ISampleGrabberCB*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP SampleCB(double sampleTime, IMediaSample* sample) override
    {
        if (sampleTime != 0.0) nonZeroTime = true;
        Measure(sample);
        count++;
        SetEvent(arrived.get());
        return S_OK;
    }
    STDMETHODIMP BufferCB(double, BYTE*, long) override
    {
        bufferCalls++;
        return S_OK;
    }

    void Reset()
    {
        count = 0;
        ResetEvent(arrived.get());
    }
    bool WaitFrame(DWORD timeoutMs) { return WaitForSingleObject(arrived.get(), timeoutMs) == WAIT_OBJECT_0; }

    // The layout of the connection, set before the graph streams.
    int width = 0;
    int height = 0;
    bool rgb32 = false;

    std::atomic<int> count{0};
    std::atomic<int> bufferCalls{0};
    std::atomic<bool> nonZeroTime{false};
    // Mean studio-range luma of the top band and of the picture body, in picture rows.
    std::atomic<int> bandLuma{-1};
    std::atomic<int> bodyLuma{-1};

private:
    // Luma of one picture row (0 = top), averaged over the middle of the row.
    int RowLuma(const BYTE* data, int row) const
    {
        long sum = 0;
        int n = 0;
        for (int x = width / 4; x < width * 3 / 4; ++x, ++n) {
            if (rgb32) {
                // Bottom-up BGRX.
                const BYTE* p = data + (static_cast<size_t>(height - 1 - row) * width + x) * 4;
                int full = (p[0] + p[1] + p[2]) / 3;
                sum += 16 + full * 219 / 255;
            } else {
                // Top-down Y0 U Y1 V.
                sum += data[(static_cast<size_t>(row) * width + x) * 2];
            }
        }
        return n ? static_cast<int>(sum / n) : -1;
    }
    int MeanLuma(const BYTE* data, int firstRow, int lastRow) const
    {
        long sum = 0;
        for (int row = firstRow; row <= lastRow; ++row) sum += RowLuma(data, row);
        return static_cast<int>(sum / (lastRow - firstRow + 1));
    }
    void Measure(IMediaSample* sample)
    {
        BYTE* data = nullptr;
        long need = static_cast<long>(width) * height * (rgb32 ? 4 : 2);
        if (width <= 0 || height <= 0 || FAILED(sample->GetPointer(&data)) || !data ||
            sample->GetActualDataLength() < need) {
            bandLuma = bodyLuma = -1;
            return;
        }
        bandLuma = MeanLuma(data, 2, height / 8 - 3);
        bodyLuma = MeanLuma(data, height / 3, height - 5);
    }

    UniqueHandle arrived;
};
