#pragma once
// The one input pin of DShowSampleRenderer. It lives inside the filter and counts its
// references on the filter; the streaming calls go on to the filter.
#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

class DShowSampleRenderer;

class DShowSampleRendererInputPin_CL final : public IPin, public IMemInputPin {
public:
    explicit DShowSampleRendererInputPin_CL(DShowSampleRenderer* owner);
    ~DShowSampleRendererInputPin_CL();
    DShowSampleRendererInputPin_CL(const DShowSampleRendererInputPin_CL&) = delete;
    DShowSampleRendererInputPin_CL& operator=(const DShowSampleRendererInputPin_CL&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** out) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** out) override;
    STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    STDMETHODIMP GetAllocator(IMemAllocator** out) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** samples, long count, long* processed) override;
    STDMETHODIMP ReceiveCanBlock() override;

    // The upstream output pin with a reference, or null when the pin is not connected.
    Microsoft::WRL::ComPtr<IPin> Peer();
    bool IsConnected();

    static constexpr const wchar_t* kPinId = L"In";

private:
    DShowSampleRenderer* owner;  // not counted: the filter owns the pin
    Microsoft::WRL::ComPtr<IPin> peer;
    AM_MEDIA_TYPE connectionType{};  // the type as agreed, before the filter's rewriting
    Microsoft::WRL::ComPtr<IMemAllocator> allocator;
};
