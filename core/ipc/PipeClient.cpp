#include "core/ipc/PipeClient.h"

#include "core/base/Log.h"
#include "core/ipc/SaveItemBase.h"

namespace {

constexpr int kOpenAttempts = 10;
constexpr DWORD kBusyWaitMs = 200;

// DebugStream is narrow; its Japanese lines go out as UTF-8.
void WriteDebugLine(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string line(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &line[0], size, nullptr,
                            nullptr);
    DebugStream << line << std::endl;
}

}  // namespace

PipeClient_CL::PipeClient_CL(const std::wstring& name) : name_(name) {}

HRESULT PipeClient_CL::Open()
{
    Close();
    // No event means no server: fail at once rather than wait out the busy retries.
    event_.reset(OpenEventW(EVENT_ALL_ACCESS, FALSE, name_.c_str()));
    if (!event_) return E_FAIL;

    const std::wstring path = kPipePathPrefix + name_;
    for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
        pipe_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
        if (pipe_) return 0;
        DWORD error = GetLastError();
        if (error != ERROR_PIPE_BUSY) {
            WriteDebugLine(L"pipe_open(" + std::to_wstring(error) + L")");
            break;
        }
        Sleep(kBusyWaitMs);
        if (attempt == kOpenAttempts) WriteDebugLine(L"pipe_open(リトライオーバー)");
    }
    Close();
    return E_FAIL;
}

HRESULT PipeClient_CL::Send(const void* payload, uint32_t size)
{
    // Signalling without a pipe of our own would make the server read another client's
    // frame before that client has signalled.
    if (!IsOpen()) return E_FAIL;
    if (size > kMaxPipePayload) {
        WriteDebugLine(L"pipe_send(" + std::to_wstring(size) + L" bytes: too large)");
        WriteLog(AppLog, L"PipeClient(%s): a message of %u bytes was not sent (at most %u)", name_.c_str(), size,
                 kMaxPipePayload);
        return E_FAIL;
    }
    DWORD written = 0;
    if (!WriteFile(pipe_.get(), &size, sizeof(size), &written, nullptr) || written != sizeof(size)) return E_FAIL;
    if (size > 0 && (!WriteFile(pipe_.get(), payload, size, &written, nullptr) || written != size)) return E_FAIL;
    return SetEvent(event_.get()) ? 0 : E_FAIL;
}

void PipeClient_CL::Close()
{
    pipe_.reset();
    event_.reset();
}

HRESULT PipeClient_CL::SendOnce(const std::wstring& name, const SaveItemBase_CL& message)
{
    PipeClient_CL client(name);
    if (FAILED(client.Open())) return E_FAIL;
    ByteWriter_CL out;
    message.Save(out);
    return client.Send(out.GetBytes().data(), static_cast<uint32_t>(out.GetSize()));
}
