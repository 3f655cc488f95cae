#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "core/base/Log.h"
#include "core/ipc/Kiln_RequestDecodeRequest.h"
#include "core/ipc/PipeClient.h"
#include "tests/ipc/IpcTestSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::wstring UniqueName(const wchar_t* what)
{
    static int counter = 0;
    return std::wstring(L"ReelvaultTest-") + what + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

std::wstring TempPath(const std::wstring& name)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

bool WriteBytes(const std::wstring& path, const Bytes& bytes)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

Bytes Pattern(size_t size, uint8_t seed)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    return bytes;
}

// Catches what the pipe client writes to the debug stream.
class DebugCapture {
public:
    DebugCapture() : previous_(DebugStream.rdbuf(text_.rdbuf())) {}
    ~DebugCapture() { DebugStream.rdbuf(previous_); }
    std::string Text() const { return text_.str(); }

private:
    std::ostringstream text_;
    std::streambuf* previous_;
};

HRESULT SendBytes(const std::wstring& name, const Bytes& bytes)
{
    PipeClient_CL client(name);
    if (FAILED(client.Open())) return E_FAIL;
    return client.Send(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// A pipe server in a process of its own that records what it receives.
class PipeTransport : public testing::Test {
protected:
    void SetUp() override
    {
        name_ = UniqueName(L"pipe");
        record_ = TempPath(name_ + L".rec");
        DeleteFileW(record_.c_str());
        quit_.reset(CreateEventW(nullptr, TRUE, FALSE, (name_ + L"-quit").c_str()));
        ASSERT_TRUE(server_.Start(L"ipc_pipe_server.exe", name_ + L" \"" + record_ + L"\""));
        // The server is up once its event exists.
        for (int i = 0; i < 200; ++i) {
            UniqueHandle event(OpenEventW(SYNCHRONIZE, FALSE, name_.c_str()));
            if (event) return;
            ASSERT_FALSE(server_.Wait(50)) << "server ended with " << server_.ExitCode();
        }
        FAIL() << "the server did not start";
    }

    void TearDown() override
    {
        // Destroying the started server must return promptly, mid-wait or not.
        SetEvent(quit_.get());
        DWORD start = GetTickCount();
        EXPECT_TRUE(server_.Wait(5000));
        EXPECT_LT(GetTickCount() - start, 3000u);
        EXPECT_EQ(server_.ExitCode(), 0u);
        DeleteFileW(record_.c_str());
    }

    // The messages recorded so far, once there are `count` of them or time is up.
    std::vector<Bytes> WaitForMessages(size_t count, DWORD timeoutMs = 10000)
    {
        std::vector<Bytes> messages;
        DWORD start = GetTickCount();
        do {
            messages.clear();
            Bytes record = ipctest::ReadWholeFile(record_);
            size_t position = 0;
            while (record.size() - position >= 4) {
                uint32_t size;
                memcpy(&size, record.data() + position, 4);
                if (record.size() - position - 4 < size) break;
                messages.emplace_back(record.begin() + position + 4, record.begin() + position + 4 + size);
                position += 4 + size;
            }
            if (messages.size() >= count) break;
            Sleep(50);
        } while (GetTickCount() - start < timeoutMs);
        return messages;
    }

    // After a misbehaving client: the server still serves, and kept nothing of it.
    void ExpectOnlyThisMessageArrives(const Bytes& message)
    {
        ASSERT_EQ(SendBytes(name_, message), S_OK);
        std::vector<Bytes> received = WaitForMessages(1);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_TRUE(received[0] == message);
    }

    std::wstring name_;
    std::wstring record_;
    UniqueHandle quit_;
    ipctest::PeerProcess server_;
};

TEST_F(PipeTransport, PayloadsArriveByteExact)
{
    Kiln_RequestDecodeRequest_CL request;
    request.replaceFlag = 1;
    request.imageType = 1;
    request.frameWidth = 256;
    request.frameHeight = 144;
    for (uint32_t key = 1; key <= 200; ++key) {
        Kiln_RequestDecodeRequest_CL::DecodeItem_CL item;
        item.decodeKey = key;
        item.moviePath = L"D:\\動画\\シリーズ\\第" + std::to_wstring(key) + L"話 ～完全版～.mp4";
        item.outputPath = L"C:\\Users\\root\\Documents\\Reelvault\\ALBUM_0001\\contents\\0" +
                          std::to_wstring(key % 100) + L"\\第" + std::to_wstring(key) + L"話.jpg";
        item.positions.assign(10, -1);
        request.items.push_back(item);
    }
    ByteWriter_CL out;
    request.Save(out);

    const std::vector<Bytes> payloads = {{}, {0xA5}, Pattern(100 * 1024, 3), out.GetBytes()};
    for (const Bytes& payload : payloads) ASSERT_EQ(SendBytes(name_, payload), S_OK);

    std::vector<Bytes> received = WaitForMessages(payloads.size());
    ASSERT_EQ(received.size(), payloads.size());
    for (size_t i = 0; i < payloads.size(); ++i) EXPECT_TRUE(received[i] == payloads[i]) << "message " << i;

    ByteReader_CL in(received.back());
    Kiln_RequestDecodeRequest_CL loaded;
    ASSERT_EQ(loaded.Load(in), S_OK);
    ASSERT_EQ(loaded.items.size(), 200u);
    EXPECT_EQ(loaded.items[199].moviePath, request.items[199].moviePath);
}

TEST_F(PipeTransport, TwoClientsBackToBackArriveInOrder)
{
    const Bytes first = Pattern(5000, 1), second = Pattern(7000, 2);
    const std::wstring firstFile = TempPath(name_ + L".a"), secondFile = TempPath(name_ + L".b");
    ASSERT_TRUE(WriteBytes(firstFile, first));
    ASSERT_TRUE(WriteBytes(secondFile, second));

    // Each client ends as soon as it has written; the second finds the pipe still busy
    // with the first or just freed.
    for (const std::wstring* file : {&firstFile, &secondFile}) {
        ipctest::PeerProcess client;
        ASSERT_TRUE(client.Start(L"ipc_pipe_client.exe", name_ + L" send \"" + *file + L"\""));
        ASSERT_TRUE(client.Wait(15000));
        EXPECT_EQ(client.ExitCode(), 0u);
    }
    // And two clients of one process, the second opening while the first is being read.
    const Bytes third = Pattern(3, 3), fourth = Pattern(90000, 4);
    ASSERT_EQ(SendBytes(name_, third), S_OK);
    ASSERT_EQ(SendBytes(name_, fourth), S_OK);

    std::vector<Bytes> received = WaitForMessages(4);
    ASSERT_EQ(received.size(), 4u);
    EXPECT_TRUE(received[0] == first);
    EXPECT_TRUE(received[1] == second);
    EXPECT_TRUE(received[2] == third);
    EXPECT_TRUE(received[3] == fourth);
    DeleteFileW(firstFile.c_str());
    DeleteFileW(secondFile.c_str());
}

TEST_F(PipeTransport, BusyPipeFailsAfterAboutTwoSecondsThenFreesUp)
{
    UniqueHandle held(CreateEventW(nullptr, TRUE, FALSE, (name_ + L"-held").c_str()));
    ipctest::PeerProcess holder;
    ASSERT_TRUE(holder.Start(L"ipc_pipe_client.exe", name_ + L" hold 4000"));
    ASSERT_EQ(WaitForSingleObject(held.get(), 10000), WAIT_OBJECT_0);

    DebugCapture debug;
    PipeClient_CL client(name_);
    DWORD start = GetTickCount();
    EXPECT_EQ(client.Open(), E_FAIL);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1800u);
    EXPECT_LT(elapsed, 6000u);
    EXPECT_EQ(debug.Text(), u8"pipe_open(リトライオーバー)\n");
    // The failed client neither writes nor signals.
    EXPECT_EQ(client.Send("x", 1), E_FAIL);

    // The holder leaves without sending; the server must free the pipe for the next one.
    ASSERT_TRUE(holder.Wait(15000));
    ExpectOnlyThisMessageArrives(Pattern(10, 9));
}

TEST_F(PipeTransport, OversizedAndCutFramesNeitherHangNorCrash)
{
    // Our own client refuses to build a frame the server could not take whole.
    {
        DebugCapture debug;
        const Bytes big(6000000, 1);
        DWORD start = GetTickCount();
        EXPECT_EQ(SendBytes(name_, big), E_FAIL);
        EXPECT_LT(GetTickCount() - start, 2000u);
    }
    // A foreign writer that signals after the length, one that writes the whole 6 MB
    // before it signals (and so blocks on the full in-buffer), and one that leaves
    // mid-frame.
    for (const wchar_t* arguments : {L" raw 6000000 early", L" raw 6000000 late", L" cut"}) {
        SCOPED_TRACE(testing::Message() << "peer" << std::string(arguments, arguments + wcslen(arguments)).c_str());
        ipctest::PeerProcess writer;
        ASSERT_TRUE(writer.Start(L"ipc_pipe_client.exe", name_ + arguments));
        EXPECT_TRUE(writer.Wait(30000)) << "the writer hangs";
    }
    ExpectOnlyThisMessageArrives(Pattern(20, 5));
}

TEST(PipeClient, NoServerFailsAtOnceWithoutADebugLine)
{
    DebugCapture debug;
    PipeClient_CL client(UniqueName(L"nobody"));
    DWORD start = GetTickCount();
    EXPECT_EQ(client.Open(), E_FAIL);
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_EQ(client.Send("x", 1), E_FAIL);
    EXPECT_EQ(debug.Text(), "");
}

class CountingServer : public PipeServer_CL {
public:
    ~CountingServer() override { Stop(); }
    volatile LONG received = 0;

protected:
    void OnReceive(const uint8_t*, uint32_t) override { InterlockedIncrement(&received); }
};

// The client may connect, write, signal and leave before the listener first asks for a
// connection; its frame must still be read.
TEST(PipeServer, MessageSentRightAfterStartArrives)
{
    for (int round = 0; round < 10; ++round) {
        const std::wstring name = UniqueName(L"early");
        CountingServer server;
        server.SetName(name);
        ASSERT_EQ(server.Start(), S_OK);
        ASSERT_EQ(SendBytes(name, Pattern(16, 1)), S_OK);
        for (int i = 0; i < 200 && server.received == 0; ++i) Sleep(10);
        EXPECT_EQ(server.received, 1) << "round " << round;
    }
}

TEST(PipeServer, IdleServerIsDestroyedPromptlyAndStartsOnlyOnce)
{
    const std::wstring name = UniqueName(L"idle");
    auto server = std::make_unique<PipeServer_CL>();
    server->SetName(name);
    ASSERT_EQ(server->Start(), S_OK);
    EXPECT_EQ(server->Start(), E_FAIL);

    // The single instance is taken: a second server of the same name cannot start.
    PipeServer_CL second;
    second.SetName(name);
    EXPECT_EQ(second.Start(), E_FAIL);

    Sleep(100);
    DWORD start = GetTickCount();
    server.reset();
    EXPECT_LT(GetTickCount() - start, 1000u);
}

}  // namespace
