#include "core/media/DShowEnumMediaTypes.h"

#include <new>

#include "core/media/MediaType.h"

DShowEnumMediaTypes_CL::~DShowEnumMediaTypes_CL()
{
    for (auto& type : types) FreeMediaType(type);
}

HRESULT DShowEnumMediaTypes_CL::Fill(const std::vector<const AM_MEDIA_TYPE*>& list)
{
    for (const AM_MEDIA_TYPE* source : list) {
        AM_MEDIA_TYPE copy{};
        HRESULT hr = CopyMediaType(&copy, source);
        if (FAILED(hr)) return hr;
        types.push_back(copy);
    }
    return S_OK;
}

HRESULT DShowEnumMediaTypes_CL::Create(const std::vector<const AM_MEDIA_TYPE*>& list, IEnumMediaTypes** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* enumerator = new (std::nothrow) DShowEnumMediaTypes_CL();
    if (!enumerator) return E_OUTOFMEMORY;
    HRESULT hr = enumerator->Fill(list);
    if (FAILED(hr)) {
        enumerator->Release();
        return hr;
    }
    *out = enumerator;
    return S_OK;
}

STDMETHODIMP DShowEnumMediaTypes_CL::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumMediaTypes) {
        *out = static_cast<IEnumMediaTypes*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) DShowEnumMediaTypes_CL::AddRef() { return InterlockedIncrement(&refCount); }

STDMETHODIMP_(ULONG) DShowEnumMediaTypes_CL::Release()
{
    ULONG count = InterlockedDecrement(&refCount);
    if (count == 0) delete this;
    return count;
}

STDMETHODIMP DShowEnumMediaTypes_CL::Next(ULONG count, AM_MEDIA_TYPE** out, ULONG* fetched)
{
    if (!out) return E_POINTER;
    if (count > 1 && !fetched) return E_INVALIDARG;
    ULONG given = 0;
    while (given < count && position < types.size()) {
        AM_MEDIA_TYPE* copy = CreateMediaType(&types[position]);
        if (!copy) break;
        out[given++] = copy;
        ++position;
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

STDMETHODIMP DShowEnumMediaTypes_CL::Skip(ULONG count)
{
    if (count > types.size() - position) {
        position = types.size();
        return S_FALSE;
    }
    position += count;
    return S_OK;
}

STDMETHODIMP DShowEnumMediaTypes_CL::Reset()
{
    position = 0;
    return S_OK;
}

STDMETHODIMP DShowEnumMediaTypes_CL::Clone(IEnumMediaTypes** out)
{
    if (!out) return E_POINTER;
    std::vector<const AM_MEDIA_TYPE*> list;
    for (const auto& type : types) list.push_back(&type);
    HRESULT hr = Create(list, out);
    if (SUCCEEDED(hr)) static_cast<DShowEnumMediaTypes_CL*>(*out)->position = position;
    return hr;
}
