// Paint, scroll and mouse-move figures of the movie grid in a 1920x1080 client over a
// generated album whose strips are hard links to one JPEG strip, for three thumbnail sizes
// with 5 and 10 frames, through GDI+ and through Direct2D; then the private bytes while the
// grid scrolls through every movie.
// Prints figures; asserts nothing.
//   grid_bench.exe [movies for the memory walk, default 10000]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "core/album/SaveData.h"
#include "core/base/ByteWriter.h"
#include "core/ipc/Kiln_RequestDecodePriorityRequest.h"
#include "core/ipc/PipeClient.h"
#include "core/ipc/PipeServer.h"
#include "core/ipc/StillforgeRequest.h"
#include "core/media/GdiplusSession.h"
#include "core/media/MovieBitmapChcheBase.h"
#include "tests/common/Screenshot.h"
#include "tests/common/TempFolder.h"
#include "tests/common/BenchClock.h"
#include "tests/common/TestWindow.h"
#include "ui/views/MovieListWindow.h"
#include "ui/views/MovieListWindowDirect2D.h"
#include "ui/views/ViewHost.h"

namespace {

// Thumbnail size index and frames per cell of every case.
const struct {
    int size;
    int frames;
} kConfigs[] = {{0, 5}, {0, 10}, {1, 5}, {1, 10}, {2, 5}, {2, 10}};

constexpr int kClientWidth = 1920;
constexpr int kClientHeight = 1080;

struct Figures {
    double p50 = 0;
    double p95 = 0;
};

Figures Percentiles(std::vector<double> times)
{
    Figures f;
    if (times.empty()) return f;
    std::sort(times.begin(), times.end());
    f.p50 = times[times.size() / 2];
    f.p95 = times[std::min(times.size() - 1, times.size() * 95 / 100)];
    return f;
}

class BenchHost : public ViewHost_IF {
public:
    void RefreshMovieList() override
    {
        grid->gridListener.pendingRecords = album->disp_setting.movie_view.records;
        grid->gridListener.pendingIndices = album->disp_setting.movie_view.indices;
        grid->RequestRefresh();
    }
    SaveData_CL* album = nullptr;
    MovieListWindow_CL* grid = nullptr;
};

class CountingPipe : public PipeServer_CL {
public:
    ~CountingPipe() override { Stop(); }
    std::atomic<int> messages{0};

protected:
    void OnReceive(const uint8_t*, uint32_t) override { ++messages; }
};

uint64_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    // Wine leaves PrivateUsage at 0; the page-file usage is the same figure on Windows.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

// A 2560 x 144 strip of ten plain frames with a little texture, as JPEG.
bool WriteMasterStrip(const std::wstring& path)
{
    HDC screen = GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(screen, 2560, 144, &bits);
    ReleaseDC(nullptr, screen);
    if (!bitmap) return false;
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int y = 0; y < 144; ++y) {
        for (int x = 0; x < 2560; ++x) {
            const int f = x / 256;
            pixels[y * 2560 + x] = static_cast<uint32_t>((f * 25) << 16 | ((x + y) & 0xFF) << 8 | (255 - f * 20));
        }
    }
    const bool saved = SaveBitmapAsJpeg(path.c_str(), bitmap) == 1;
    DeleteObject(bitmap);
    return saved;
}

class Bench {
public:
    Bench(int movies) : movies_(movies) {}

    bool Prepare()
    {
        master_ = folder_ / L"master.jpg";
        if (!WriteMasterStrip(master_)) return false;
        const std::wstring movieFile = folder_ / L"movie.mp4";
        HANDLE file = CreateFileW(movieFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
        album_.album_ini.SetPath(folder_ / L"AlbumInfo.ini");
        auto& records = album_.movie_list.records;
        records.reserve(static_cast<size_t>(movies_));
        for (int i = 0; i < movies_; ++i) {
            ItemMovieData_CL movie;
            movie.content_name = L"映画 " + std::to_wstring(i) + L" — a generated title";
            movie.ini_name = folder_ / (L"contents" + std::to_wstring(i) + L".ini");
            movie.link_name = movieFile;
            movie.decode_key = static_cast<uint32_t>(1000 + i);
            movie.star_count = static_cast<uint32_t>(i % 6);
            movie.file_size = 1000000ll * (i + 1);
            if (i % 3 == 0) movie.tags = {L"drama", L"1998", L"夜"};
            records.push_back(movie);
            if (!CreateHardLinkW(records.back().GetThumbnailPath().c_str(), master_.c_str(), nullptr)) {
                CopyFileW(master_.c_str(), records.back().GetThumbnailPath().c_str(), FALSE);
            }
        }
        album_.disp_setting.movie_view.records = &records;
        album_.disp_setting.selected_sort_tab = 7;
        for (int i = 0; i < movies_; ++i) album_.disp_setting.movie_view.indices.push_back(i);

        SetThumbnailMakerParams(L"GridBench" + std::to_wstring(GetCurrentProcessId()), folder_.Path(), folder_.Path());
        maker_.SetName(GetThumbnailMakerPipeName());
        maker_.Start();

        grid_ = std::make_unique<MovieListWindow_CL>(&album_, &host_);
        host_.album = &album_;
        host_.grid = grid_.get();
        if (!grid_->Create(window_.Get(), 0x77, kClientWidth + GetSystemMetrics(SM_CXVSCROLL), kClientHeight))
            return false;
        RECT client = {};
        GetClientRect(grid_->hwnd, &client);
        std::printf("grid client %ldx%ld\n", client.right, client.bottom);
        return true;
    }

    void Layout(int sizeIndex, int frames)
    {
        DispSettingData_CL& s = album_.disp_setting;
        s.thumbnail_size_index = sizeIndex;
        s.thumbnail_count = frames;
        grid_->SetThumbnailLayoutForFont(s.frame_sizes[sizeIndex][0], s.frame_sizes[sizeIndex][1], frames, 0,
                                         s.GetUiFontHeight(), 0);
        host_.RefreshMovieList();
        PumpMessages();
        grid_->verticalBar.info.nPos = 0;
        SetScrollPos(grid_->hwnd, SB_VERT, 0, TRUE);
        grid_->UpdateVisibleCells();
    }

    double PaintOnce()
    {
        InvalidateRect(grid_->hwnd, nullptr, FALSE);
        const LARGE_INTEGER start = Now();
        UpdateWindow(grid_->hwnd);
        return Milliseconds(start, Now());
    }

    Figures Paints(int n, bool cold)
    {
        std::vector<double> times;
        for (int i = 0; i < n; ++i) {
            if (cold) grid_->gridListener.ClearBitmaps();
            times.push_back(PaintOnce());
        }
        return Percentiles(times);
    }

    Figures Scrolls(UINT msg, WPARAM wParam, int n)
    {
        std::vector<double> times;
        for (int i = 0; i < n; ++i) {
            const LARGE_INTEGER start = Now();
            SendMessageW(grid_->hwnd, msg, wParam, msg == WM_MOUSEWHEEL ? MAKELPARAM(400, 400) : 0);
            UpdateWindow(grid_->hwnd);
            times.push_back(Milliseconds(start, Now()));
        }
        // Back to the top, and out of the scrolling state.
        SendMessageW(grid_->hwnd, WM_VSCROLL, SB_TOP, 0);
        SendMessageW(grid_->hwnd, WM_TIMER, MovieListWindow_CL::kScrollTimer, 0);
        return Percentiles(times);
    }

    void Run()
    {
        std::printf("%-14s %7s %17s %17s %17s %17s %17s %17s\n", "size x frames", "cells", "cached p50/p95",
                    "cold p50/p95", "missing p50/p95", "line p50/p95", "page p50/p95", "wheel p50/p95");
        for (const auto& c : kConfigs) {
            Layout(c.size, c.frames);
            PaintOnce();
            const size_t cells = grid_->visibleKeys.size();
            const Figures cached = Paints(30, false);
            const Figures cold = Paints(10, true);
            const Figures line = Scrolls(WM_VSCROLL, SB_LINEDOWN, 20);
            const Figures page = Scrolls(WM_VSCROLL, SB_PAGEDOWN, 10);
            const Figures wheel = Scrolls(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 20);
            // Strips missing: the movies point at files that do not exist.
            for (auto& r : album_.movie_list.records) r.ini_name += L".none";
            grid_->gridListener.ClearBitmaps();
            const Figures missing = Paints(10, false);
            for (auto& r : album_.movie_list.records) r.ini_name.resize(r.ini_name.size() - 5);
            grid_->gridListener.ClearBitmaps();
            const auto& s = album_.disp_setting.frame_sizes[c.size];
            std::printf("%3dx%-3d x %2d   %7zu %8.1f /%6.1f %8.1f /%6.1f %8.1f /%6.1f %8.1f /%6.1f %8.1f /%6.1f %8.1f /%6.1f\n",
                        s[0], s[1], c.frames, cells, cached.p50, cached.p95, cold.p50, cold.p95, missing.p50,
                        missing.p95, line.p50, line.p95, page.p50, page.p95, wheel.p50, wheel.p95);
            std::fflush(stdout);
        }
        SaveWindowScreenshot(grid_->hwnd, L"grid", L"bench_256x144_10");
    }

    // The same cases painted through Direct2D on the window's render target (a paint includes
    // EndDraw), and the GDI+ pictures copied into Direct2D bitmaps per cell drawn.
    void RunDirect2D()
    {
        album_.disp_setting.movie_list_use_direct2d = 1;
        std::printf("\nDirect2D, window render target\n");
        // cached: nothing changed, so the window's target (which keeps its contents) is only
        // presented; redrawn: the target's contents taken as unknown, so every cell's kept
        // picture is drawn onto it; anew: the kept pictures dropped too, so every cell is laid
        // out and drawn (a sort-tab or font change).
        std::printf("%-14s %7s %17s %17s %17s %17s %17s %17s %17s %11s %11s %11s\n", "size x frames", "cells",
                    "cached p50/p95", "redrawn p50/p95", "anew p50/p95", "first paint", "line p50/p95", "page p50/p95",
                    "wheel p50/p95", "copies 1st", "cached", "page");
        for (const auto& c : kConfigs) {
            Layout(c.size, c.frames);
            // The layout released the Direct2D objects: the first paint makes them and copies
            // each strip; the strips are in the grid's cache from the GDI+ run.
            const uint64_t start = Copies();
            const double first = PaintOnce();
            const size_t cells = std::max<size_t>(grid_->visibleKeys.size(), 1);
            const uint64_t afterFirst = Copies();
            const Figures cached = Paints(30, false);
            const uint64_t afterCached = Copies();
            const Figures redrawn = Direct2DPaints(20, false);
            const Figures anew = Direct2DPaints(20, true);
            const Figures line = Scrolls(WM_VSCROLL, SB_LINEDOWN, 20);
            const uint64_t beforePages = Copies();
            const Figures page = Scrolls(WM_VSCROLL, SB_PAGEDOWN, 10);
            const uint64_t afterPages = Copies();
            const Figures wheel = Scrolls(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 20);
            const auto& s = album_.disp_setting.frame_sizes[c.size];
            std::printf("%3dx%-3d x %2d   %7zu %8.1f /%6.1f %8.1f /%6.1f %8.1f /%6.1f %17.1f %8.1f /%6.1f %8.1f /%6.1f "
                        "%8.1f /%6.1f %11.2f %11.2f %11.2f\n",
                        s[0], s[1], c.frames, cells, cached.p50, cached.p95, redrawn.p50, redrawn.p95, anew.p50,
                        anew.p95, first, line.p50, line.p95, page.p50,
                        page.p95, wheel.p50, wheel.p95, static_cast<double>(afterFirst - start) / cells,
                        static_cast<double>(afterCached - afterFirst) / (30.0 * cells),
                        static_cast<double>(afterPages - beforePages) / (10.0 * cells));
            std::fflush(stdout);
        }
        album_.disp_setting.movie_list_use_direct2d = 0;
        grid_->DiscardRenderCache();
    }

    // Paints with the window target's contents taken as unknown; `anew`: the cells' kept
    // pictures dropped as well.
    Figures Direct2DPaints(int n, bool anew)
    {
        std::vector<double> times;
        for (int i = 0; i < n; ++i) {
            if (grid_->direct2d) {
                grid_->direct2d->retained.Forget();
                if (anew) grid_->direct2d->cellBitmaps.clear();
            }
            times.push_back(PaintOnce());
        }
        return Percentiles(times);
    }

    uint64_t Copies() const { return grid_->direct2d ? grid_->direct2d->frameCopies : 0; }

    void MouseMoves()
    {
        Layout(0, 5);
        // Every strip missing: each paint has keys to ask for.
        for (auto& r : album_.movie_list.records) r.ini_name += L".none";
        grid_->gridListener.ClearBitmaps();
        grid_->SetSelect(0, 1);
        const int before = maker_.messages;
        int paints = 0;
        const LARGE_INTEGER start = Now();
        double elapsed = 0;
        for (int i = 0; elapsed < 2000.0; ++i) {
            SendMessageW(grid_->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(10 + (i * 37) % 1800, 10 + (i * 53) % 1000));
            UpdateWindow(grid_->hwnd);
            ++paints;
            elapsed = Milliseconds(start, Now());
        }
        Sleep(300);
        std::printf("mouse moves (all strips missing, 128x72 x 5): %.1f paints/s, %.1f priority messages/s\n",
                    paints * 1000.0 / elapsed, (maker_.messages - before) * 1000.0 / elapsed);
        for (auto& r : album_.movie_list.records) r.ini_name.resize(r.ini_name.size() - 5);

        // One priority request of a screenful of keys, sent 50 times.
        Kiln_RequestDecodePriorityRequest_CL request;
        for (uint32_t k = 0; k < 64; ++k) request.keys.push_back(k);
        ByteWriter_CL bytes;
        request.Save(bytes);
        std::vector<double> opens, sends;
        for (int i = 0; i < 50; ++i) {
            // The steps of PipeClient_CL::SendOnce, the open timed apart.
            PipeClient_CL client(GetThumbnailMakerPipeName());
            const LARGE_INTEGER t0 = Now();
            const HRESULT opened = client.Open();
            const LARGE_INTEGER t1 = Now();
            if (FAILED(opened)) continue;
            client.Send(bytes.GetBytes().data(), static_cast<uint32_t>(bytes.GetSize()));
            client.Close();
            opens.push_back(Milliseconds(t0, t1));
            sends.push_back(Milliseconds(t0, Now()));
            Sleep(20);
        }
        const Figures open = Percentiles(opens), send = Percentiles(sends);
        std::printf("pipe open p50/p95: %.2f / %.2f ms; whole request (open, write, signal) p50/p95: %.2f / %.2f ms\n",
                    open.p50, open.p95, send.p50, send.p95);
    }

    void Memory()
    {
        Layout(2, 10);
        const uint64_t before = PrivateBytes();
        uint64_t peak = before;
        const LARGE_INTEGER start = Now();
        int pages = 0;
        for (;;) {
            const int position = grid_->verticalBar.info.nPos;
            SendMessageW(grid_->hwnd, WM_VSCROLL, SB_PAGEDOWN, 0);
            UpdateWindow(grid_->hwnd);
            ++pages;
            peak = std::max(peak, PrivateBytes());
            if (grid_->verticalBar.info.nPos == position) break;
        }
        const double seconds = Milliseconds(start, Now()) / 1000.0;
        MovieBitmapChcheBase_CL& cache = grid_->gridListener.cache;
        std::printf("scrolled %d movies (256x144 x 10) in %d pages, %.1f s: private bytes %.1f MB before, peak %.1f MB; "
                    "cache %d strips, %.1f MB (budget %.0f MB)\n",
                    movies_, pages, seconds, before / 1048576.0, peak / 1048576.0, cache.GetCount(),
                    cache.GetBytes() / 1048576.0, cache.GetByteBudget() / 1048576.0);
    }

private:
    int movies_;
    GdiplusSession gdiplus_;
    TempFolder folder_;
    std::wstring master_;
    SaveData_CL album_;
    BenchHost host_;
    CountingPipe maker_;
    TestHostWindow window_{kClientWidth + 40, kClientHeight + 40};
    std::unique_ptr<MovieListWindow_CL> grid_;
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int movies = argc > 1 ? std::max(100, _wtoi(argv[1])) : 10000;
    Bench bench(movies);
    if (!bench.Prepare()) {
        std::printf("could not prepare the album\n");
        return 1;
    }
    std::printf("times in ms; paints of the whole 1920x1080 client\n");
    bench.Run();
    bench.RunDirect2D();
    bench.MouseMoves();
    bench.Memory();
    return 0;
}
