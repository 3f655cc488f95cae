#pragma once
// A media sample as a streaming thread hands it to a grabber callback: a buffer, the length
// of its data, and maybe a media type attached to announce a change. Lives on the stack;
// its reference count is not kept.
#include <windows.h>
#include <dshow.h>

#include <utility>
#include <vector>

#include "core/media/MediaType.h"

class FakeMediaSample : public IMediaSample {
public:
    // Takes ownership of `attached` (a type made with CreateMediaType).
    explicit FakeMediaSample(std::vector<BYTE> data, AM_MEDIA_TYPE* attached = nullptr)
        : bytes(std::move(data)), length(static_cast<long>(bytes.size())), attached(attached)
    {
    }
    virtual ~FakeMediaSample() { DeleteMediaType(attached); }
    FakeMediaSample(const FakeMediaSample&) = delete;
    FakeMediaSample& operator=(const FakeMediaSample&) = delete;

    STDMETHODIMP QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetPointer(BYTE** out) override
    {
        *out = bytes.data();
        return S_OK;
    }
    STDMETHODIMP_(long) GetSize() override { return static_cast<long>(bytes.size()); }
    STDMETHODIMP GetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return VFW_E_SAMPLE_TIME_NOT_SET; }
    STDMETHODIMP SetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return S_OK; }
    STDMETHODIMP IsSyncPoint() override { return S_OK; }
    STDMETHODIMP SetSyncPoint(BOOL) override { return S_OK; }
    STDMETHODIMP IsPreroll() override { return S_FALSE; }
    STDMETHODIMP SetPreroll(BOOL) override { return S_OK; }
    STDMETHODIMP_(long) GetActualDataLength() override { return length; }
    STDMETHODIMP SetActualDataLength(long value) override
    {
        length = value;
        return S_OK;
    }
    // The caller frees the copy, as with a real sample.
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE** out) override
    {
        *out = attached ? CreateMediaType(attached) : nullptr;
        return attached ? S_OK : S_FALSE;
    }
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDiscontinuity() override { return S_FALSE; }
    STDMETHODIMP SetDiscontinuity(BOOL) override { return S_OK; }
    STDMETHODIMP GetMediaTime(LONGLONG*, LONGLONG*) override { return VFW_E_MEDIA_TIME_NOT_SET; }
    STDMETHODIMP SetMediaTime(LONGLONG*, LONGLONG*) override { return S_OK; }

    std::vector<BYTE> bytes;
    long length;
    AM_MEDIA_TYPE* attached;
};
