#pragma once
// IEnumMediaTypes over a fixed list of media types (deep copies), for the program's own pins.
#include <windows.h>
#include <strmif.h>

#include <vector>

class DShowEnumMediaTypes_CL final : public IEnumMediaTypes {
public:
    static HRESULT Create(const std::vector<const AM_MEDIA_TYPE*>& types, IEnumMediaTypes** out);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // Each type handed out is a new CoTaskMem copy that the caller deletes.
    STDMETHODIMP Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumMediaTypes** out) override;

private:
    DShowEnumMediaTypes_CL() = default;
    ~DShowEnumMediaTypes_CL();
    HRESULT Fill(const std::vector<const AM_MEDIA_TYPE*>& list);

    LONG refCount = 1;
    std::vector<AM_MEDIA_TYPE> types;
    size_t position = 0;
};
