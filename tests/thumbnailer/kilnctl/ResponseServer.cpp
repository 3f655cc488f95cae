#include "tests/thumbnailer/kilnctl/ResponseServer.h"

ResponseServer_CL::ResponseServer_CL(Callback callback)
    : callback_(std::move(callback)), arrived_(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

void ResponseServer_CL::OnReceive(const uint8_t* payload, uint32_t size)
{
    ByteReader_CL in(payload, size);
    if (PeekKilnMessageType(in) != kKilnDecodeResponse) return;
    Kiln_ResponseDecode_CL response;
    if (FAILED(response.Load(in))) return;
    callback_(response);
    InterlockedIncrement(&received_);
    SetEvent(arrived_.get());
}

uint32_t ResponseServer_CL::WaitForResponses(uint32_t count, DWORD timeoutMs)
{
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        const uint32_t received = static_cast<uint32_t>(received_);
        const ULONGLONG elapsed = GetTickCount64() - start;
        if (received >= count || elapsed >= timeoutMs) return received;
        WaitForSingleObject(arrived_.get(), static_cast<DWORD>(timeoutMs - elapsed));
    }
}
