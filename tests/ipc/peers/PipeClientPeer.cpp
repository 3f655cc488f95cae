// Test peer: one client of a pipe server.
//   ipc_pipe_client.exe NAME send FILE        PipeClient_CL sends the file's bytes
//   ipc_pipe_client.exe NAME hold MS          opens the pipe, sets "<name>-held", waits MS, leaves
//   ipc_pipe_client.exe NAME raw BYTES early  length, signal, then BYTES bytes
//   ipc_pipe_client.exe NAME raw BYTES late   length and BYTES bytes, then signal
//   ipc_pipe_client.exe NAME cut              length 1000 and 10 bytes, signal, leaves
// Exit codes: 0 done, 1 open failed, 2 send failed, 3 a raw write failed, 9 bad arguments.
#include <windows.h>

#include "core/ipc/PipeClient.h"
#include "tests/ipc/IpcTestSupport.h"

namespace {

int RawFrame(const std::wstring& name, uint32_t length, uint32_t bodyBytes, bool signalFirst)
{
    UniqueHandle event(OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str()));
    UniqueHandle pipe(CreateFileW((kPipePathPrefix + name).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
    if (!event || !pipe) return 1;
    DWORD written = 0;
    if (!WriteFile(pipe.get(), &length, 4, &written, nullptr)) return 3;
    if (signalFirst) SetEvent(event.get());
    std::vector<uint8_t> body(bodyBytes, 0x5A);
    if (bodyBytes && !WriteFile(pipe.get(), body.data(), bodyBytes, &written, nullptr)) return 3;
    if (!signalFirst) SetEvent(event.get());
    return 0;
}

}  // namespace

int main()
{
    std::vector<std::wstring> args = ipctest::CommandArguments();
    if (args.size() < 3) return 9;
    const std::wstring& name = args[1];
    const std::wstring& mode = args[2];
    if (mode == L"send" && args.size() == 4) {
        std::vector<uint8_t> bytes = ipctest::ReadWholeFile(args[3]);
        PipeClient_CL client(name);
        if (FAILED(client.Open())) return 1;
        return FAILED(client.Send(bytes.data(), static_cast<uint32_t>(bytes.size()))) ? 2 : 0;
    }
    if (mode == L"hold" && args.size() == 4) {
        PipeClient_CL client(name);
        if (FAILED(client.Open())) return 1;
        UniqueHandle held(OpenEventW(EVENT_MODIFY_STATE, FALSE, (name + L"-held").c_str()));
        SetEvent(held.get());
        Sleep(_wtoi(args[3].c_str()));
        return 0;
    }
    if (mode == L"raw" && args.size() == 5) {
        uint32_t bytes = static_cast<uint32_t>(_wtoi(args[3].c_str()));
        return RawFrame(name, bytes, bytes, args[4] == L"early");
    }
    if (mode == L"cut") return RawFrame(name, 1000, 10, true);
    return 9;
}
