#include "app/startup/DataLoadThread.h"

#include <exception>

#include "app/shell/MainWindow.h"
#include "app/startup/DialogDataLoad.h"
#include "core/album/SaveData.h"
#include "core/base/Log.h"

DataLoadThread g_dataLoadThread;

uint32_t DataLoadThread::OnThreadMessage(UINT message, WPARAM, LPARAM lParam)
{
    if (message != TM_LOAD_ALBUM) return 0;
    auto* splash = reinterpret_cast<DialogDataLoad_CL*>(lParam);
    if (!splash) return 0;
    // Whatever fails, the splash is told: the main window stays closed to the user until then.
    try {
        splash->albumData->LoadAlbum();
        if (splash->owner) splash->owner->ScanFindFolders();
        splash->albumData->movie_list.RequestMissingThumbnails();
    } catch (const std::exception& error) {
        WriteLog(AppLog, L"album load stopped: %hs", error.what());
    } catch (...) {
        WriteLog(AppLog, L"album load stopped");
    }
    PostMessageW(splash->window, WM_LOAD_SPLASH_DONE, 0, 0);
    return 0;
}
