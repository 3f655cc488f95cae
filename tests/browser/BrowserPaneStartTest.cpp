// How the pane starts and fails to start in this process: the "backend" setting, every
// failure the stand-in's switches (or a missing parent, a dead parent, no Documents
// folder) can provoke, with the log lines, the one warning box and what the pane is left
// with.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browser/BrowserBaseReelvault.h"
#include "core/base/Inifile.h"
#include "tests/browser/PaneTestSupport.h"
#include "tests/browser/StandinTestSupport.h"

namespace {

const wchar_t kHostFailed[] = L"[Browser] backend=WebView2 requested, but host creation failed. IE route is removed.";
const wchar_t kVersion[] = L"[Browser] WebView2 runtime detected. version=120.0.0.0 standin";
const wchar_t kStarted[] = L"[Browser] WebView2 host creation started.";

std::wstring UserDataLine()
{
    wchar_t documents[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    return L"[Browser] WebView2 userDataFolder = \"" + std::wstring(documents) + L"\\Reelvault\\WebView2\"";
}

HRESULT WINAPI NoDocumentsFolder(HWND, int, HANDLE, DWORD, LPWSTR path)
{
    path[0] = L'\0';
    return E_FAIL;
}

class PaneStartTest : public testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }

    // Pumps until the log holds `count` browser lines.
    std::vector<std::wstring> LinesOnceThereAre(size_t count)
    {
        PumpUntil([&] { return log_.BrowserLines().size() >= count; });
        return log_.BrowserLines();
    }

    TempFolder folder_;
    LogCapture log_;
    PaneParent parent_;
};

TEST_F(PaneStartTest, BackendSettingOnlyReachesTheLog)
{
    struct Row {
        const wchar_t* value;  // null: no key
        std::vector<std::wstring> lines;
    };
    const std::wstring ie = L"[Browser] backend=ie is deprecated. forcing WebView2.";
    const std::wstring zero = L"[Browser] backend=0(IE) is deprecated. forcing WebView2.";
    const Row rows[] = {
        {L"IE", {ie, zero}}, {L"ie", {ie, zero}}, {L"0", {zero}}, {L"abc", {zero}},
        {L"1", {}},          {L"2", {}},          {nullptr, {}},
    };
    ScopedStandinSwitches switches(L"");
    for (const Row& row : rows) {
        const std::wstring name = row.value ? row.value : L"(no key)";
        Inifile_CL ini;
        ini.SetPath(folder_ / (L"backend" + std::to_wstring(&row - rows) + L".ini"));
        if (row.value) ini.WriteString(L"BROWSER", L"backend", row.value);
        log_.Clear();
        BrowserBaseReelvault_CL pane;
        pane.SetProgramIni(&ini);
        EXPECT_TRUE(pane.Create(parent_.Get(), L"")) << "WebView2 is used with " << Narrow(name);
        std::vector<std::wstring> backendLines;
        for (const std::wstring& line : log_.BrowserLines())
            if (line.find(L"backend=") != std::wstring::npos) backendLines.push_back(line);
        EXPECT_EQ(backendLines, row.lines) << Narrow(name);
        WaitForView(pane);
        EXPECT_TRUE(pane.view) << Narrow(name);
    }
}

struct FailureRow {
    const char* name;
    const wchar_t* switches;
    enum Parent { kParent, kNoParent, kDeadParent } parent;
    bool noDocuments;
    std::vector<std::wstring> lines;  // exactly, in order
    const wchar_t* notice;            // null: no box
    bool hostReturned;                // Create's result non-null
    bool hostAlive;                   // a host window exists afterwards
};

class PaneFailureTest : public PaneStartTest, public testing::WithParamInterface<FailureRow> {};

TEST_P(PaneFailureTest, LinesNoticeAndWhatIsLeft)
{
    const FailureRow& row = GetParam();
    ScopedStandinSwitches switches(row.switches);
    NoticeWatcher notices;
    BrowserBaseReelvault_CL pane;
    if (row.noDocuments) pane.getFolderPath = &NoDocumentsFolder;
    HWND parent = parent_.Get();
    std::unique_ptr<PaneParent> dead;
    if (row.parent == FailureRow::kNoParent) parent = nullptr;
    if (row.parent == FailureRow::kDeadParent) {
        dead = std::make_unique<PaneParent>();
        parent = dead->Get();
        dead.reset();
        ASSERT_FALSE(IsWindow(parent));
    }

    HWND host = pane.Create(parent, L"");
    EXPECT_EQ(host != nullptr, row.hostReturned);
    const std::vector<std::wstring> lines = LinesOnceThereAre(row.lines.size());
    EXPECT_EQ(lines, row.lines);
    EXPECT_EQ(pane.GetHostWindow() != nullptr && IsWindow(pane.GetHostWindow()), row.hostAlive);
    EXPECT_FALSE(pane.view) << "no view after a failure";

    // The process goes on: the pane only stores what it is asked to show.
    EXPECT_EQ(pane.Navigate(L"http://127.0.0.1:1/"), S_OK);
    EXPECT_EQ(pane.pendingUrl, L"http://127.0.0.1:1/");

    // A second try logs again but never shows a second box.
    const RECT again = {0, 0, 100, 100};
    if (row.notice) pane.CreateWebView2Host(parent_.Get(), &again, WS_CHILD);
    PumpUntil([&] { return notices.Seen().size() >= (row.notice ? 1u : 0u); });
    const std::vector<SeenNotice> seen = notices.Seen();
    if (!row.notice) {
        EXPECT_TRUE(seen.empty()) << Narrow(seen.empty() ? L"" : seen[0].text);
        return;
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, L"Reelvault");
    EXPECT_EQ(seen[0].text, row.notice);
    EXPECT_EQ(pane.runtimeNoticeShown, 1);
}

const FailureRow kFailureRows[] = {
    {"NoParent", L"", FailureRow::kNoParent, false,
     {L"[Browser] WebView2 host requires parent window.", kHostFailed}, nullptr, false, false},
    {"NoVersion", L"version=none", FailureRow::kParent, false,
     {L"[Browser] WebView2 runtime version is unavailable. fallback to IE ActiveX.", kHostFailed},
     L"WebView2 Runtime が見つからないか、バージョン取得に失敗しました。\nIEモードで継続します。", false, false},
    {"EmptyVersion", L"version=empty", FailureRow::kParent, false,
     {L"[Browser] WebView2 runtime version is unavailable. fallback to IE ActiveX.", kHostFailed},
     L"WebView2 Runtime が見つからないか、バージョン取得に失敗しました。\nIEモードで継続します。", false, false},
    {"HostWindowNotCreated", L"", FailureRow::kDeadParent, false,
     {kVersion, L"[Browser] Failed to create WebView2 host window. fallback to IE ActiveX.", kHostFailed}, nullptr,
     false, false},
    {"EnvironmentRefusedAtOnce", L"environment=refused", FailureRow::kParent, false,
     {kVersion, UserDataLine(), L"[Browser] CreateCoreWebView2Environment API call failed.", kHostFailed}, nullptr,
     false, false},
    {"EnvironmentFailedLater", L"environment=failed", FailureRow::kParent, false,
     {kVersion, UserDataLine(), kStarted, L"[Browser] CreateCoreWebView2Environment failed."}, nullptr, true, true},
    {"ControllerFailed", L"controller=failed", FailureRow::kParent, false,
     {kVersion, UserDataLine(), kStarted, L"[Browser] CreateCoreWebView2Controller failed."}, nullptr, true, true},
    {"NoViewFromTheController", L"view=none", FailureRow::kParent, false,
     {kVersion, UserDataLine(), kStarted, L"[Browser] get_CoreWebView2 failed."}, nullptr, true, true},
};

INSTANTIATE_TEST_SUITE_P(Rows, PaneFailureTest, testing::ValuesIn(kFailureRows),
                         [](const testing::TestParamInfo<FailureRow>& info) { return std::string(info.param.name); });

TEST_F(PaneStartTest, WithoutDocumentsTheEnvironmentComesWithoutAUserDataFolder)
{
    const std::wstring standinLog = folder_ / L"standin.log";
    ScopedStandinSwitches switches(L"log=" + standinLog);
    BrowserBaseReelvault_CL pane;
    pane.getFolderPath = &NoDocumentsFolder;
    ASSERT_TRUE(pane.Create(parent_.Get(), L""));
    ASSERT_TRUE(WaitForView(pane));
    const std::vector<std::wstring> want = {
        kVersion,
        L"[Browser] Failed to resolve Documents path for WebView2 userDataFolder. hr=0x80004005",
        kStarted,
        L"[Browser] WebView2 controller created and events hooked.",
    };
    EXPECT_EQ(LinesOnceThereAre(want.size()), want);
    const std::vector<uint8_t> bytes = ReadFileBytes(standinLog);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("call CreateCoreWebView2EnvironmentWithOptions userDataFolder=(none)"), std::string::npos);
}

}  // namespace
