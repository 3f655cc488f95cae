#include "tests/app/MainWindowFixture.h"

#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestWindow.h"

namespace apptest {

void LoadedMainWindow::SetUp()
{
    savedLog_ = PrepareWindowTest(sandbox_);
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
