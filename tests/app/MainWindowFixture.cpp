#include "tests/app/MainWindowFixture.h"

#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestWindow.h"

namespace apptest {

bool PumpUntil(const std::function<bool()>& condition, DWORD limitMs)
{
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (!condition()) {
        if (GetTickCount64() > end) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
    return true;
}

void LoadedMainWindow::SetUp()
{
    InitTestCommonControls();
    BYTE noKeys[256] = {};
    SetKeyboardState(noKeys);
    CreateDirectoryW(sandbox_.dataFolder().c_str(), nullptr);
    savedLog_ = AppLog.path;
    AppLog.path = LogPath();
    g_saveData.program_ini.SetPath(sandbox_.dataFolder() + L"\\Reelvault.ini");
    g_saveData.album_data.open_first_album = 0;
}

void LoadedMainWindow::TearDown()
{
    window_.reset();
    AppLog.path = savedLog_;
}

std::wstring LoadedMainWindow::Log() const { return ReadUtf16File(LogPath()); }

void LoadedMainWindow::OpenAndLoad()
{
    window_ = std::make_unique<MainWindow_CL>(&mutex_);
    ASSERT_TRUE(window_->Create());
    ASSERT_TRUE(PumpUntil([&] { return window_->IsReady() != 0; }, 30000)) << "the album never loaded";
}

}  // namespace apptest
