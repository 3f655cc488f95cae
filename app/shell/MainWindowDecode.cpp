// The thumbnail maker's decode answers applied to the album.
#include <cstdio>

#include "app/shell/MainWindow.h"
#include "core/album/AlbumFiles.h"
#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "core/ipc/Kiln_ResponseDecode.h"

void MainWindow_CL::OnDecodeComplete(const Kiln_ResponseDecode_CL& response)
{
    WriteLog(AppLog, L"デコード完了通知の処理(開始)");
    if (hwnd) SendMessageW(hwnd, WM_THUMBNAIL_CHANGED, 0, static_cast<LPARAM>(response.request_id));

    for (ItemMovieData_CL& movie : g_saveData.movie_list.records) {
        if (movie.decode_key != response.request_id) continue;
        // The maker measured the movie's length; this field carries it.
        movie.last_play_frame = response.duration;
        const size_t stored = std::min(response.positions.size(), movie.favorites_frames.size());
        for (size_t i = 0; i < stored; ++i) movie.favorites_frames[i].fav = response.positions[i];
        if (response.decode_count == 0) {
            movie.run_decode = 0;
            movie.decodo_err = response.errorFlag;
            // A movie whose contents file is gone is being deleted (the answer came during the
            // delete's walk): writing the movie, or saving the album while its record is still
            // held, would make the file again and bring the movie back at the next load.
            if (FileExists(movie.ini_name)) {
                movie.WriteContentsIni();
                g_saveData.SaveAll();
            }
            wchar_t waiting[64] = L"";
            if (response.request_count > 0)
                swprintf(waiting, sizeof(waiting) / sizeof(waiting[0]), L"残動画デコード数( %u )",
                         response.request_count);
            GetStatusBar().SetText(waiting, 1);
        }
        break;
    }
    WriteLog(AppLog, L"デコード完了通知の処理(終了)");
}
