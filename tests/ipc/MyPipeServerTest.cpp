#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/base/Log.h"
#include "core/ipc/Kiln_RequestDecodePriorityRequest.h"
#include "core/ipc/Kiln_RequestDecodeRequest.h"
#include "core/ipc/Kiln_RequestDeleteRequest.h"
#include "core/ipc/MyPipeServer.h"
#include "core/ipc/PipeClient.h"
#include "tests/ipc/IpcTestSupport.h"

namespace {

// What the test window saw, in order.
struct WindowRecord {
    MyPipeServer_CL* server = nullptr;
    int notifications = 0;
    std::vector<uint32_t> responseIds;
    std::vector<std::vector<int64_t>> responsePositions;
};

// Handles the two messages as the main window does.
LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* record = reinterpret_cast<WindowRecord*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (record && message == WM_PIPE_RECEIVED && wParam == kPipeReceivedDecode) {
        ++record->notifications;
        record->server->PostQueuedResponses();
        return 0;
    }
    if (record && message == WM_DECODE_RESPONSE) {
        std::unique_ptr<Kiln_ResponseDecode_CL> response = MyPipeServer_CL::TakeResponse(lParam);
        record->responseIds.push_back(response->request_id);
        record->responsePositions.push_back(response->positions);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Lets a test hold the response list's lock.
class LockableServer : public MyPipeServer_CL {
public:
    using MyPipeServer_CL::MyPipeServer_CL;
    using MyPipeServer_CL::GetResponseLock;
};

class MyPipeServerTest : public testing::Test {
protected:
    void SetUp() override { Begin(Semapho_CL::kWaitLimit); }

    void Begin(DWORD lockWaitMs)
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = TestWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ReelvaultPipeTestWindow";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&record_));

        static int counter = 0;
        name_ = L"ReelvaultTest-response-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        server_ = std::make_unique<LockableServer>(window_, lockWaitMs);
        record_.server = server_.get();
        server_->SetName(name_);
        ASSERT_EQ(server_->Start(), S_OK);
    }

    void TearDown() override
    {
        server_.reset();
        if (window_) DestroyWindow(window_);
    }

    void SendResponse(uint32_t id)
    {
        Kiln_ResponseDecode_CL response;
        response.request_id = id;
        response.decode_count = 10 - id;
        response.positions = {static_cast<int64_t>(id) * 10000000, -1};
        ASSERT_EQ(PipeClient_CL::SendOnce(name_, response), S_OK);
    }

    void SendBytes(const std::vector<uint8_t>& bytes)
    {
        PipeClient_CL client(name_);
        ASSERT_EQ(client.Open(), S_OK);
        ASSERT_EQ(client.Send(bytes.data(), static_cast<uint32_t>(bytes.size())), S_OK);
    }

    // A further client gets the single pipe only after the server has finished with the
    // message before it, so once this returns every earlier message has been handled.
    void SendSentinel()
    {
        Kiln_RequestDeleteRequest_CL sentinel;
        ASSERT_EQ(PipeClient_CL::SendOnce(name_, sentinel), S_OK);
        Sleep(100);
    }

    // Runs the window's messages until `done` holds, then a little longer for strays.
    void Pump(const std::function<bool()>& done, DWORD timeoutMs = 10000)
    {
        DWORD start = GetTickCount();
        DWORD quietUntil = 0;
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            DWORD now = GetTickCount();
            if (!quietUntil && done()) quietUntil = now + 300;
            if (quietUntil && static_cast<LONG>(now - quietUntil) >= 0) return;
            if (now - start > timeoutMs) return;
            Sleep(10);
        }
    }

    HWND window_ = nullptr;
    WindowRecord record_;
    std::wstring name_;
    std::unique_ptr<LockableServer> server_;
};

TEST_F(MyPipeServerTest, QuickResponsesGiveOneNotificationThenEachInArrivalOrder)
{
    for (uint32_t id = 1; id <= 5; ++id) SendResponse(id);
    SendSentinel();

    Pump([this] { return record_.responseIds.size() >= 5; });
    EXPECT_EQ(record_.notifications, 1);
    EXPECT_EQ(record_.responseIds, (std::vector<uint32_t>{1, 2, 3, 4, 5}));
    ASSERT_EQ(record_.responsePositions.size(), 5u);
    EXPECT_EQ(record_.responsePositions[2], (std::vector<int64_t>{30000000, -1}));

    // A later response gets a notification of its own.
    SendResponse(6);
    Pump([this] { return record_.responseIds.size() >= 6; });
    EXPECT_EQ(record_.notifications, 2);
}

TEST_F(MyPipeServerTest, DropsOtherKindsShortAndCutPayloads)
{
    Kiln_RequestDeleteRequest_CL deleteRequest;
    deleteRequest.keys = {1};
    Kiln_RequestDecodeRequest_CL decodeRequest;
    Kiln_RequestDecodePriorityRequest_CL priorityRequest;
    priorityRequest.keys = {1, 2};
    for (const SaveItemBase_CL* message :
         std::initializer_list<const SaveItemBase_CL*>{&deleteRequest, &decodeRequest, &priorityRequest})
        ASSERT_EQ(PipeClient_CL::SendOnce(name_, *message), S_OK);

    Kiln_ResponseDecode_CL response;
    response.request_id = 77;
    response.positions = {1, 2, 3};
    ByteWriter_CL out;
    response.Save(out);
    std::vector<uint8_t> cut(out.GetBytes().begin(), out.GetBytes().end() - 3);
    SendBytes(cut);
    SendBytes({3, 0, 0});
    SendBytes({});
    SendResponse(42);
    SendSentinel();

    Pump([this] { return !record_.responseIds.empty(); });
    EXPECT_EQ(record_.notifications, 1);
    EXPECT_EQ(record_.responseIds, (std::vector<uint32_t>{42}));
}

class MyPipeServerLockTest : public MyPipeServerTest {
protected:
    void SetUp() override
    {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        logPath_ = std::wstring(folder) + L"ReelvaultPipeLockTest-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
        DeleteFileW(logPath_.c_str());
        savedLogPath_ = AppLog.path;
        AppLog.path = logPath_;
        Begin(100);
    }
    void TearDown() override
    {
        MyPipeServerTest::TearDown();
        AppLog.path = savedLogPath_;
        DeleteFileW(logPath_.c_str());
    }
    std::wstring LogText()
    {
        std::vector<uint8_t> bytes = ipctest::ReadWholeFile(logPath_);
        if (bytes.size() < 2) return L"";
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    }

    std::wstring logPath_;
    std::wstring savedLogPath_;
};

TEST_F(MyPipeServerLockTest, WaitThatRunsOutIsWaitedAgainAndNothingIsLost)
{
    {
        Semapho_CL::Lock_CL held(server_->GetResponseLock(), 1000);
        ASSERT_TRUE(held.IsHeld());
        SendResponse(7);
        // The window's hand-over cannot lock either: it must come back later, not give up
        // or touch the list.
        server_->PostQueuedResponses();
        Sleep(500);
    }
    Pump([this] { return !record_.responseIds.empty(); });
    EXPECT_EQ(record_.responseIds, (std::vector<uint32_t>{7}));
    std::wstring log = LogText();
    EXPECT_NE(log.find(L"decode response 7 waits again"), std::wstring::npos);
    EXPECT_NE(log.find(L"handed over later"), std::wstring::npos);
}

}  // namespace
