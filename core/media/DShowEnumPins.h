#pragma once
// IEnumPins over a fixed list of pins, for filters of the program's own.
#include <windows.h>
#include <strmif.h>
#include <wrl/client.h>

#include <vector>

class DShowEnumPins_CL final : public IEnumPins {
public:
    // Holds a reference on every pin (and so on their filter) while it lives.
    static HRESULT Create(const std::vector<IPin*>& pins, IEnumPins** out);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumPins** out) override;

private:
    explicit DShowEnumPins_CL(const std::vector<IPin*>& pins);
    ~DShowEnumPins_CL() = default;

    LONG refCount = 1;
    std::vector<Microsoft::WRL::ComPtr<IPin>> pins;
    size_t position = 0;
};
