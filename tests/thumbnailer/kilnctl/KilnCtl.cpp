// kilnctl: drives a Stillforge from scripts and tests. It runs a response server under
// NAME, so that a Stillforge started with NAME answers it, and prints one line per event.
//
//   kilnctl.exe NAME DATA_FOLDER COMMAND...
//
// Commands (every word a separate argument):
//   start [FOLDER]              start FOLDER\Stillforge.exe (default: kilnctl's folder) the
//                               way Reelvault does, and wait for its window
//   decode R N {KEY MOVIE}*N    kind 2 with replace flag R: JPEG, 256 x 144, ten evenly
//                               spaced frames, strip DATA_FOLDER\out\KEY.jpg
//   shape TYPE W H F            what the following decode commands ask for: image type,
//                               frame width and height (-1: the source's), F evenly
//                               spaced frames
//   delete N KEY*N              kind 1
//   priority N KEY*N            kind 4
//   copydata KEY MOVIE TITLE    one queue item by WM_COPYDATA ("-": empty reply title)
//   raw HEX                     a pipe payload of these bytes
//   rawcopy HEX                 WM_COPYDATA of these bytes ("-": no data at all)
//   sleep MS
//   responses N MS              wait until N responses have come in all, at most MS
//   queue                       print the queue file
//   pid                         print the process id of the window of NAME
//   close MS                    close the maker as Reelvault does, and any other window of
//                               NAME after it; wait at most MS in all (for the window too,
//                               which a restart takes away for a moment)
//   gone PID MS                 wait MS for a process to end
//   memory                      print the memory of the maker's process
//
// Output lines: "started pid=P", "sent kind=K bytes=B", "copydata result=R",
// "response id=I error=E decode_count=D request_count=C duration=T positions=N ms=M at=P,P,..."
// (M: milliseconds since kilnctl started; P: the positions the response carries),
// "responses N", "queue count=N", "item key=K movie=M title=T", "pid P",
// "closed pid=P exit=X", "gone pid=P exit=X",
// "memory pid=P private=B peak_private=B working_set=B peak_working_set=B"; a failure prints a line beginning "error"
// and the exit code is then 1.
#include <windows.h>
#include <shellapi.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/base/PathName.h"
#include "core/ipc/Kiln_RequestDecodePriorityRequest.h"
#include "core/ipc/Kiln_RequestDecodeRequest.h"
#include "core/ipc/Kiln_RequestDeleteRequest.h"
#include "core/ipc/PipeClient.h"
#include "core/ipc/StillforgeRequest.h"
#include "tests/thumbnailer/kilnctl/ResponseServer.h"
#include "thumbnailer/DecodeRequestList.h"

namespace {

CRITICAL_SECTION g_printLock;
ULONGLONG g_startTick = 0;

// One UTF-8 line on standard output, whole even when two threads print.
void Print(const std::wstring& line)
{
    std::wstring text = line + L"\n";
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr,
                            nullptr);
    EnterCriticalSection(&g_printLock);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    LeaveCriticalSection(&g_printLock);
}

std::wstring Format(const wchar_t* format, ...)
{
    wchar_t buffer[2048];
    va_list args;
    va_start(args, format);
    _vsnwprintf(buffer, 2047, format, args);
    va_end(args);
    buffer[2047] = L'\0';
    return buffer;
}

std::vector<uint8_t> ParseHex(const std::wstring& hex)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

DWORD ProcessOfWindow(HWND window)
{
    DWORD pid = 0;
    if (window) GetWindowThreadProcessId(window, &pid);
    return pid;
}

// Waits for a process to end; its exit code, or STILL_ACTIVE when it runs on.
DWORD WaitForProcess(DWORD pid, DWORD timeoutMs)
{
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return 0;  // already gone
    WaitForSingleObject(process.get(), timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

class KilnCtl {
public:
    KilnCtl(std::vector<std::wstring> args)
        : args_(std::move(args)), server_([](const Kiln_ResponseDecode_CL& r) {
              std::wstring at;
              for (int64_t position : r.positions) at += (at.empty() ? L"" : L",") + std::to_wstring(position);
              Print(Format(L"response id=%u error=%u decode_count=%u request_count=%u duration=%lld positions=%u "
                           L"ms=%llu at=",
                           r.request_id, r.errorFlag, r.decode_count, r.request_count, r.duration,
                           static_cast<unsigned>(r.positions.size()), GetTickCount64() - g_startTick) +
                    at);
          })
    {
    }

    int Run()
    {
        if (args_.size() < 3) {
            Print(L"error usage: kilnctl NAME DATA_FOLDER COMMAND...");
            return 2;
        }
        name_ = args_[1];
        data_ = args_[2];
        // Reelvault makes the folders its strips go to before it asks for them.
        CreateDirectoryW(data_.c_str(), nullptr);
        CreateDirectoryW((data_ + L"\\out").c_str(), nullptr);
        next_ = 3;
        SetThumbnailMakerParams(name_, data_, PathName_CL::GetModuleFolder());
        server_.SetName(name_);
        if (FAILED(server_.Start())) Fail(L"error response server " + name_);
        while (next_ < args_.size()) {
            const std::wstring command = Take();
            if (!RunCommand(command)) {
                Fail(L"error command " + command);
                break;
            }
        }
        return failed_ ? 1 : 0;
    }

private:
    std::wstring Take() { return next_ < args_.size() ? args_[next_++] : std::wstring(); }
    uint32_t TakeNumber() { return static_cast<uint32_t>(wcstoul(Take().c_str(), nullptr, 10)); }
    void Fail(const std::wstring& line)
    {
        Print(line);
        failed_ = true;
    }

    bool RunCommand(const std::wstring& command)
    {
        if (command == L"start") return Start();
        if (command == L"decode") return SendDecode();
        if (command == L"delete" || command == L"priority") return SendKeys(command == L"delete");
        if (command == L"copydata") return SendCopyData();
        if (command == L"raw") return SendRaw(ParseHex(Take()));
        if (command == L"rawcopy") return SendRawCopy();
        if (command == L"sleep") {
            Sleep(TakeNumber());
            return true;
        }
        if (command == L"responses") {
            uint32_t count = TakeNumber();
            uint32_t got = server_.WaitForResponses(count, TakeNumber());
            if (got < count) Fail(Format(L"error responses got=%u", got));
            else Print(Format(L"responses %u", got));
            return true;
        }
        if (command == L"queue") return PrintQueue();
        if (command == L"pid") {
            DWORD pid = ProcessOfWindow(FindThumbnailMaker());
            if (pid) Print(Format(L"pid %u", pid));
            else Fail(L"error pid");
            return true;
        }
        if (command == L"close") return Close(TakeNumber());
        if (command == L"memory") return PrintMemory();
        if (command == L"shape") {
            shapeType_ = TakeNumber();
            shapeWidth_ = TakeNumber();
            shapeHeight_ = TakeNumber();
            shapeFrames_ = TakeNumber();
            return true;
        }
        if (command == L"gone") {
            DWORD pid = TakeNumber();
            DWORD code = WaitForProcess(pid, TakeNumber());
            if (code == STILL_ACTIVE) Fail(Format(L"error gone pid=%u", pid));
            else Print(Format(L"gone pid=%u exit=%u", pid, code));
            return true;
        }
        return false;
    }

    bool Start()
    {
        if (next_ < args_.size() && args_[next_].find(L'\\') != std::wstring::npos)
            SetThumbnailMakerParams(name_, data_, Take());
        if (!StartThumbnailMaker()) {
            Fail(L"error start " + StillforgeRequest.exePath);
            return true;
        }
        Print(Format(L"started pid=%u", ProcessOfWindow(FindThumbnailMaker())));
        return true;
    }

    bool Send(const SaveItemBase_CL& message, uint32_t kind)
    {
        ByteWriter_CL out;
        message.Save(out);
        if (FAILED(PipeClient_CL::SendOnce(GetThumbnailMakerPipeName(), message)))
            Fail(Format(L"error send kind=%u", kind));
        else
            Print(Format(L"sent kind=%u bytes=%u", kind, static_cast<unsigned>(out.GetSize())));
        return true;
    }

    bool SendDecode()
    {
        Kiln_RequestDecodeRequest_CL request;
        request.replaceFlag = TakeNumber();
        request.imageType = shapeType_;
        request.frameWidth = shapeWidth_;
        request.frameHeight = shapeHeight_;
        const wchar_t* extensions[] = {L".bmp", L".jpg", L".png"};
        const wchar_t* extension = shapeType_ < 3 ? extensions[shapeType_] : L".img";
        const uint32_t count = TakeNumber();
        for (uint32_t i = 0; i < count; ++i) {
            Kiln_RequestDecodeRequest_CL::DecodeItem_CL item;
            item.decodeKey = TakeNumber();
            item.moviePath = Take();
            item.outputPath = data_ + L"\\out\\" + std::to_wstring(item.decodeKey) + extension;
            item.positions.assign(shapeFrames_, -1);
            request.items.push_back(item);
        }
        return Send(request, kKilnDecodeRequest);
    }

    bool SendKeys(bool deleting)
    {
        Kiln_RequestDeleteRequest_CL deleteRequest;
        Kiln_RequestDecodePriorityRequest_CL priorityRequest;
        Kiln_RequestKeyList_CL& request = deleting ? static_cast<Kiln_RequestKeyList_CL&>(deleteRequest)
                                                   : static_cast<Kiln_RequestKeyList_CL&>(priorityRequest);
        const uint32_t count = TakeNumber();
        for (uint32_t i = 0; i < count; ++i) request.keys.push_back(TakeNumber());
        return Send(request, request.kind);
    }

    bool SendRaw(const std::vector<uint8_t>& bytes)
    {
        PipeClient_CL client(GetThumbnailMakerPipeName());
        if (FAILED(client.Open()) || FAILED(client.Send(bytes.data(), static_cast<uint32_t>(bytes.size()))))
            Fail(L"error send raw");
        else
            Print(Format(L"sent kind=raw bytes=%u", static_cast<unsigned>(bytes.size())));
        return true;
    }

    bool CopyData(const void* data, size_t size)
    {
        HWND maker = FindThumbnailMaker();
        if (!maker) {
            Fail(L"error copydata: no window");
            return true;
        }
        COPYDATASTRUCT copy = {};
        copy.cbData = static_cast<DWORD>(size);
        copy.lpData = const_cast<void*>(data);
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(maker, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, 5000,
                                 &result))
            Fail(L"error copydata: no answer");
        else
            Print(Format(L"copydata result=%d", static_cast<int>(result)));
        return true;
    }

    bool SendCopyData()
    {
        DecodeRequestItem_CL item;
        item.request_id = TakeNumber();
        item.moviePath = Take();
        item.replyTitle = Take();
        if (item.replyTitle == L"-") item.replyTitle.clear();
        item.outputPath = data_ + L"\\out\\" + std::to_wstring(item.request_id) + L".jpg";
        item.imageType = 1;
        item.frameWidth = 256;
        item.frameHeight = 144;
        item.positions.assign(10, -1);
        item.request_count = 10;
        ByteWriter_CL out;
        item.Save(out);
        return CopyData(out.GetBytes().data(), out.GetSize());
    }

    bool SendRawCopy()
    {
        const std::wstring hex = Take();
        if (hex == L"-") return CopyData(nullptr, 0);
        const std::vector<uint8_t> bytes = ParseHex(hex);
        return CopyData(bytes.data(), bytes.size());
    }

    bool PrintQueue()
    {
        const std::wstring mutexName = MakeQueueMutexName(data_);
        Mutex_CL mutex;
        DecodeRequestList_CL queue;
        if (FAILED(mutex.Create(mutexName)) || FAILED(queue.OpenMutex(mutexName))) {
            Fail(L"error queue mutex");
            return true;
        }
        HRESULT result = queue.Load(data_ + L"\\StillforgeDataList.dat");
        const auto items = queue.GetItems();
        Print(Format(L"queue count=%u result=0x%08x", static_cast<unsigned>(items.size()),
                     static_cast<unsigned>(result)));
        for (const auto& item : items)
            Print(Format(L"item key=%u movie=%s title=%s", item.request_id, item.moviePath.c_str(),
                         item.replyTitle.c_str()));
        return true;
    }

    // Closes window after window of the name: during a restart the old and the new
    // instance may both show one.
    bool Close(DWORD timeoutMs)
    {
        const ULONGLONG start = GetTickCount64();
        // During a restart the old window is gone before the new one is titled: wait for
        // the maker to show up again rather than take that moment for its end.
        DWORD pid = ProcessOfWindow(FindThumbnailMaker());
        while (!pid && GetTickCount64() - start < timeoutMs) {
            Sleep(50);
            pid = ProcessOfWindow(FindThumbnailMaker());
        }
        if (!pid) {
            Fail(L"error close: no window");
            return true;
        }
        while (pid) {
            StopThumbnailMaker();
            const ULONGLONG elapsed = GetTickCount64() - start;
            DWORD code = WaitForProcess(pid, elapsed < timeoutMs ? static_cast<DWORD>(timeoutMs - elapsed) : 0);
            if (code == STILL_ACTIVE) {
                Fail(Format(L"error close pid=%u still runs", pid));
                return true;
            }
            Print(Format(L"closed pid=%u exit=%u", pid, code));
            pid = ProcessOfWindow(FindThumbnailMaker());
        }
        return true;
    }

    // The private bytes are the commit charge that only this process uses (Wine leaves the
    // PrivateUsage of the extended counters at 0).
    bool PrintMemory()
    {
        const DWORD pid = ProcessOfWindow(FindThumbnailMaker());
        UniqueHandle process(pid ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid) : nullptr);
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        counters.cb = sizeof(counters);
        if (!process || !GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                              sizeof(counters))) {
            Fail(L"error memory");
            return true;
        }
        // SIZE_T through 64 bits: unsigned long is 32 bits on Windows, and a large maker passes 4 GiB.
        Print(Format(L"memory pid=%u private=%llu peak_private=%llu working_set=%llu peak_working_set=%llu", pid,
                     static_cast<unsigned long long>(counters.PagefileUsage),
                     static_cast<unsigned long long>(counters.PeakPagefileUsage),
                     static_cast<unsigned long long>(counters.WorkingSetSize),
                     static_cast<unsigned long long>(counters.PeakWorkingSetSize)));
        return true;
    }

    std::vector<std::wstring> args_;
    size_t next_ = 0;
    uint32_t shapeType_ = 1;
    uint32_t shapeWidth_ = 256;
    uint32_t shapeHeight_ = 144;
    uint32_t shapeFrames_ = 10;
    std::wstring name_;
    std::wstring data_;
    ResponseServer_CL server_;
    bool failed_ = false;
};

}  // namespace

int main()
{
    InitializeCriticalSection(&g_printLock);
    g_startTick = GetTickCount64();
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args(argv, argv + count);
    LocalFree(argv);
    int result = KilnCtl(std::move(args)).Run();
    DeleteCriticalSection(&g_printLock);
    return result;
}
