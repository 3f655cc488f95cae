// The walk of a movie-item command over the movie list, with a recording per-movie step:
// which movies it visits and applies, the bar it shows, the dialog's closing a second after
// the walk, and the worker it leaves behind (none).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/shell/MainWindow.h"
#include "core/album/SaveData.h"
#include "tests/app/MainWindowFixture.h"
#include "ui/views/MovieListWindow.h"

namespace {

using apptest::PumpUntil;

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Watches the progress dialog this thread opens: every position its bar is given (through a
// subclass of the bar put on as the bar is made) and when the dialog goes.
class ProgressWatch {
public:
    ProgressWatch()
    {
        threadsBefore_ = ThreadsOfThisProcess();
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, &CbtProc, nullptr, GetCurrentThreadId());
    }
    ~ProgressWatch()
    {
        if (hook_) UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    ProgressWatch(const ProgressWatch&) = delete;
    ProgressWatch& operator=(const ProgressWatch&) = delete;

    bool Hooked() const { return hook_ != nullptr; }

    std::vector<int> positions;
    double lastPositionMs = 0;
    // The threads of this process that were there at the bar's first position but not
    // before the walk: the worker among them.
    std::vector<DWORD> walkThreads;
    double dialogGoneMs = 0;
    HWND dialog = nullptr;
    std::wstring dialogTitle;

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
    {
        ProgressWatch* self = current_;
        HWND window = reinterpret_cast<HWND>(wParam);
        if (self && code == HCBT_CREATEWND) {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (_wcsicmp(name, PROGRESS_CLASSW) == 0) {
                self->barProc_ = reinterpret_cast<WNDPROC>(
                    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BarProc)));
            } else if (wcscmp(name, L"#32770") == 0 && !self->dialog) {
                self->dialog = window;
            }
        }
        if (self && code == HCBT_DESTROYWND && window == self->dialog) {
            self->dialogGoneMs = NowMs();
            // The caption is given once the dialog initialises.
            wchar_t title[64] = {};
            GetWindowTextW(window, title, 64);
            self->dialogTitle = title;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static LRESULT CALLBACK BarProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        ProgressWatch* self = current_;
        WNDPROC previous = self ? self->barProc_ : nullptr;
        if (self && msg == PBM_SETPOS) {
            if (self->positions.empty()) {
                for (DWORD id : ThreadsOfThisProcess()) {
                    if (std::find(self->threadsBefore_.begin(), self->threadsBefore_.end(), id) ==
                        self->threadsBefore_.end())
                        self->walkThreads.push_back(id);
                }
            }
            self->positions.push_back(static_cast<int>(wParam));
            self->lastPositionMs = NowMs();
        }
        return previous ? CallWindowProcW(previous, window, msg, wParam, lParam) : DefWindowProcW(window, msg, wParam, lParam);
    }

    static std::vector<DWORD> ThreadsOfThisProcess()
    {
        std::vector<DWORD> ids;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return ids;
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
            if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.push_back(entry.th32ThreadID);
        }
        CloseHandle(snapshot);
        return ids;
    }

    static ProgressWatch* current_;
    std::vector<DWORD> threadsBefore_;
    HHOOK hook_ = nullptr;
    WNDPROC barProc_ = nullptr;
};

ProgressWatch* ProgressWatch::current_ = nullptr;

// One call of the per-movie step, as the walk made it.
struct Application {
    uint32_t command;
    int32_t position;
    std::wstring movie;
    DWORD thread;
    bool mainWindowEnabled;
};

std::wstring MovieName(int record)
{
    wchar_t name[32];
    swprintf(name, 32, L"movie%05d", record);
    return name;
}

class ItemActionWalkTest : public apptest::LoadedMainWindow {
protected:
    // A list of `count` movies shown in the grid, list position p naming record count-1-p, so
    // that a walk that confuses the two applies the wrong movies; `selected` in the grid.
    void ShowList(int count, const std::vector<int>& selected)
    {
        movies_.assign(static_cast<size_t>(count), ItemMovieData_CL());
        std::vector<int32_t> indices;
        for (int p = 0; p < count; ++p) {
            movies_[static_cast<size_t>(p)].content_name = MovieName(p);
            indices.push_back(count - 1 - p);
        }
        DispSettingData_CL& settings = g_saveData.disp_setting;
        settings.movie_view.records = &movies_;
        settings.movie_view.indices = indices;
        MovieListWindow_CL* grid = window_->GetMovieGrid();
        grid->gridListener.pendingRecords = &movies_;
        grid->gridListener.pendingIndices = indices;
        grid->RequestRefresh();
        ASSERT_TRUE(PumpUntil([&] { return grid->updatePending == 0; }, 5000));
        ASSERT_EQ(grid->GetItemCount(), static_cast<uint32_t>(count));
        grid->SelectAll(0);
        for (int p : selected) grid->SetSelect(static_cast<uint32_t>(p), 1);
        ASSERT_EQ(grid->GetSelectedCount(), selected.size());
    }

    // The per-movie step records each call and answers `answer` (0 on call stopAt, 1-based).
    void RecordApplications(int stopAt = 0, std::function<void()> onFirst = nullptr)
    {
        applications_.clear();
        HWND main = window_->hwnd;
        window_->SetItemCommandApplier([this, stopAt, onFirst, main](ItemActionContext& context,
                                                                      ItemMovieData_CL& movie) {
            applications_.push_back({context.command, context.position, movie.content_name, GetCurrentThreadId(),
                                     IsWindowEnabled(main) != FALSE});
            if (applications_.size() == 1 && onFirst) onFirst();
            return static_cast<int>(applications_.size()) == stopAt ? 0 : 1;
        });
    }

    std::vector<ItemMovieData_CL> movies_;
    std::vector<Application> applications_;
};

struct WalkRow {
    const char* name;
    int count;
    std::vector<int> selected;
    int backwards;
    int all;
    int stopAt;                 // the per-movie step answers 0 at this call (1-based); 0 never
    std::vector<int> applied;   // list positions, in walk order
    std::vector<int> positions; // every position given to the bar, the closing refresh last
};

TEST_F(ItemActionWalkTest, VisitsAppliesAndShowsProgressAsTheSelectionAndDirectionSay)
{
    OpenAndLoad();
    std::vector<int> thousands;
    for (int i = 1; i <= 9; ++i) thousands.push_back(i * 1000);
    thousands.push_back(2000);
    std::vector<int> fullAfterFirst;
    for (int i = 1; i <= 10; ++i) fullAfterFirst.push_back(i * 2000);
    fullAfterFirst.push_back(2000);

    const WalkRow rows[] = {
        // Visits 0..3: the walk ends with the last selected movie.
        {"positions 1 and 3 of 10 forwards", 10, {1, 3}, 0, 0, 0, {1, 3}, {1000, 2000, 3000, 4000, 2000}},
        {"positions 1 and 3 of 10 backwards", 10, {1, 3}, 1, 0, 0, {3, 1}, thousands},
        // The total is the one selected movie: the bar is full after the first.
        {"all with one selected", 10, {4}, 0, 1, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, fullAfterFirst},
        {"nothing selected", 10, {}, 0, 0, 0, {}, std::vector<int>(12, 0)},
        // No step for the movie that stopped the walk.
        {"a 0 result on the first movie", 10, {2, 5, 7}, 0, 0, 1, {2}, {666, 1333, 1333}},
        {"an empty list", 0, {}, 0, 0, 0, {}, {0, 0}},
    };
    const uint32_t command = 0x8040;
    for (const WalkRow& row : rows) {
        SCOPED_TRACE(row.name);
        ShowList(row.count, row.selected);
        RecordApplications(row.stopAt);
        ProgressWatch watch;
        ASSERT_TRUE(watch.Hooked());

        window_->RunItemAction(command, row.backwards, row.all);
        const double returned = NowMs();

        std::vector<int> applied;
        for (const Application& application : applications_) {
            applied.push_back(application.position);
            EXPECT_EQ(application.command, command);
            EXPECT_EQ(application.movie, MovieName(row.count - 1 - application.position)) << "the record of the position";
            EXPECT_NE(application.thread, GetCurrentThreadId()) << "applied on the worker";
            EXPECT_FALSE(application.mainWindowEnabled) << "the main window waits under the dialog";
            EXPECT_NE(std::find(watch.walkThreads.begin(), watch.walkThreads.end(), application.thread),
                      watch.walkThreads.end());
        }
        EXPECT_EQ(applied, row.applied);
        EXPECT_EQ(watch.positions, row.positions);
        EXPECT_EQ(watch.dialogTitle, L"処理中");
        ASSERT_GT(watch.dialogGoneMs, 0) << "the dialog never went";
        EXPECT_GE(watch.dialogGoneMs - watch.lastPositionMs, 990.0) << "the dialog stays a second after the walk";
        EXPECT_LE(watch.dialogGoneMs, returned);
        // The threads that came up for the walk have ended and nothing holds their handles:
        // they can no longer be named.
        EXPECT_FALSE(watch.walkThreads.empty());
        for (DWORD id : watch.walkThreads) {
            HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
            EXPECT_EQ(thread, nullptr) << "thread " << id;
            if (thread) CloseHandle(thread);
        }
        EXPECT_EQ(window_->GetItemActionContext().command, command);
    }
    const std::wstring log = Log();
    size_t begins = 0, ends = 0;
    for (size_t at = log.find(L"アイテムの巡回(開始)"); at != std::wstring::npos; at = log.find(L"アイテムの巡回(開始)", at + 1)) ++begins;
    for (size_t at = log.find(L"アイテムの巡回(終了)"); at != std::wstring::npos; at = log.find(L"アイテムの巡回(終了)", at + 1)) ++ends;
    EXPECT_EQ(begins, std::size(rows));
    EXPECT_EQ(ends, std::size(rows));
}

// The dialog has no close box, but WM_CLOSE (Alt+F4, another program) still reaches it: it
// must not give the main window back while the walk still edits its movies.
TEST_F(ItemActionWalkTest, CloseRequestDuringTheWalkWaitsForTheWalk)
{
    OpenAndLoad();
    ShowList(5, {0, 1, 2, 3, 4});
    ProgressWatch watch;
    ASSERT_TRUE(watch.Hooked());
    RecordApplications(0, [&] {
        PostMessageW(watch.dialog, WM_CLOSE, 0, 0);
        Sleep(300);
    });

    window_->RunItemAction(0x8030, 0, 0);

    ASSERT_EQ(applications_.size(), 5u);
    for (const Application& application : applications_) EXPECT_FALSE(application.mainWindowEnabled);
    EXPECT_GE(watch.dialogGoneMs - watch.lastPositionMs, 990.0);
}

// The bar is touched only when its rounded position changes: a figure, not a timing.
TEST_F(ItemActionWalkTest, WalkOverTenThousandMoviesSetsTheBarAtMost2001Times)
{
    OpenAndLoad();
    const int count = 10000;
    std::vector<int> all;
    for (int p = 0; p < count; ++p) all.push_back(p);
    ShowList(count, all);
    RecordApplications();
    ProgressWatch watch;

    window_->RunItemAction(0x8030, 0, 0);

    EXPECT_EQ(applications_.size(), static_cast<size_t>(count));
    EXPECT_LE(watch.positions.size(), 2001u);
    std::printf("walk over %d selected movies: %zu bar positions set\n", count, watch.positions.size());
}

}  // namespace
