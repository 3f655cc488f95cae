#include "core/media/DShowEnumPins.h"

#include <new>

DShowEnumPins_CL::DShowEnumPins_CL(const std::vector<IPin*>& list) : pins(list.begin(), list.end()) {}

HRESULT DShowEnumPins_CL::Create(const std::vector<IPin*>& pins, IEnumPins** out)
{
    if (!out) return E_POINTER;
    *out = new (std::nothrow) DShowEnumPins_CL(pins);
    return *out ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP DShowEnumPins_CL::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumPins) {
        *out = static_cast<IEnumPins*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) DShowEnumPins_CL::AddRef() { return InterlockedIncrement(&refCount); }

STDMETHODIMP_(ULONG) DShowEnumPins_CL::Release()
{
    ULONG count = InterlockedDecrement(&refCount);
    if (count == 0) delete this;
    return count;
}

STDMETHODIMP DShowEnumPins_CL::Next(ULONG count, IPin** out, ULONG* fetched)
{
    if (!out) return E_POINTER;
    if (count > 1 && !fetched) return E_INVALIDARG;
    ULONG given = 0;
    while (given < count && position < pins.size()) {
        out[given] = pins[position].Get();
        out[given]->AddRef();
        ++given;
        ++position;
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

STDMETHODIMP DShowEnumPins_CL::Skip(ULONG count)
{
    if (count > pins.size() - position) {
        position = pins.size();
        return S_FALSE;
    }
    position += count;
    return S_OK;
}

STDMETHODIMP DShowEnumPins_CL::Reset()
{
    position = 0;
    return S_OK;
}

STDMETHODIMP DShowEnumPins_CL::Clone(IEnumPins** out)
{
    if (!out) return E_POINTER;
    std::vector<IPin*> raw;
    for (const auto& pin : pins) raw.push_back(pin.Get());
    auto* copy = new (std::nothrow) DShowEnumPins_CL(raw);
    if (!copy) {
        *out = nullptr;
        return E_OUTOFMEMORY;
    }
    copy->position = position;
    *out = copy;
    return S_OK;
}
