// Test peer: runs a pipe server and appends every message it receives to a record file as
// a u32 length and the payload. Ends when the event "<name>-quit" is set.
//   ipc_pipe_server.exe NAME RECORD_FILE
#include <windows.h>

#include "core/ipc/PipeServer.h"
#include "tests/ipc/IpcTestSupport.h"

namespace {

class RecordingServer : public PipeServer_CL {
public:
    explicit RecordingServer(const std::wstring& recordPath) : recordPath_(recordPath) {}
    ~RecordingServer() override { Stop(); }

protected:
    void OnReceive(const uint8_t* payload, uint32_t size) override
    {
        UniqueHandle file(CreateFileW(recordPath_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        std::vector<uint8_t> record(reinterpret_cast<const uint8_t*>(&size),
                                    reinterpret_cast<const uint8_t*>(&size) + 4);
        record.insert(record.end(), payload, payload + size);
        DWORD written = 0;
        WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    }

private:
    std::wstring recordPath_;
};

}  // namespace

int main()
{
    std::vector<std::wstring> args = ipctest::CommandArguments();
    if (args.size() < 3) return 2;
    UniqueHandle quit(OpenEventW(SYNCHRONIZE, FALSE, (args[1] + L"-quit").c_str()));
    if (!quit) return 3;
    {
        RecordingServer server(args[2]);
        server.SetName(args[1]);
        if (FAILED(server.Start())) return 4;
        if (WaitForSingleObject(quit.get(), 300000) != WAIT_OBJECT_0) return 5;
    }
    return 0;
}
