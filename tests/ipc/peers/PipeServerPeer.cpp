// Test peer: runs a pipe server and appends every message it receives to a record file as
// a u32 length and the payload. Ends when the event "<name>-quit" is set.
//   ipc_pipe_server.exe NAME RECORD_FILE
#include <windows.h>

#include "core/ipc/PipeServer.h"
#include "tests/common/PipeRecordFile.h"
#include "tests/ipc/IpcTestSupport.h"

int main()
{
    std::vector<std::wstring> args = ipctest::CommandArguments();
    if (args.size() < 3) return 2;
    UniqueHandle quit(OpenEventW(SYNCHRONIZE, FALSE, (args[1] + L"-quit").c_str()));
    if (!quit) return 3;
    {
        FileRecordingPipeServer server(args[2]);
        server.SetName(args[1]);
        if (FAILED(server.Start())) return 4;
        if (WaitForSingleObject(quit.get(), 300000) != WAIT_OBJECT_0) return 5;
    }
    return 0;
}
