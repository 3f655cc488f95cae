#include "ui/views/MovieIncSearch.h"

#include <cwchar>

#include "core/album/ItemMovieView.h"
#include "core/album/SaveData.h"
#include "core/album/TagInput.h"
#include "core/base/Inifile.h"
#include "core/base/PathName.h"
#include "ui/views/ViewHost.h"

namespace {

constexpr wchar_t kSection[] = L"INCSEARCH";
constexpr int kDropHeight = 300;
constexpr int kImageSize = 16;

// An entry's text: what follows its regex digit and the bar.
std::wstring EntryText(const std::wstring& entry)
{
    return entry.size() < 2 ? std::wstring() : entry.substr(2);
}

std::wstring HistoryKey(size_t index)
{
    wchar_t key[32];
    swprintf(key, 32, L"item%04d", static_cast<int>(index));
    return key;
}

// The width of a full-width "W" in the screen's default font: the bar's unit of layout.
int FullWidthUnit()
{
    HDC screen = GetDC(nullptr);
    RECT rect = {};
    DrawTextW(screen, L"\xFF37", 1, &rect, DT_CALCRECT);
    ReleaseDC(nullptr, screen);
    return rect.right - rect.left;
}

bool IsArrowKey(WPARAM key)
{
    return key >= VK_LEFT && key <= VK_DOWN;
}

}  // namespace

MovieIncSearch_CL::MovieIncSearch_CL(ViewHost_IF* owner, SaveData_CL* albumData)
    : owner_(owner), albumData_(albumData)
{
}

MovieIncSearch_CL::~MovieIncSearch_CL() = default;

HWND MovieIncSearch_CL::Create(HWND parent)
{
    imageList_.LoadBitmapFile(PathName_CL::GetModuleFolder() + L"\\browser_search_image.bmp", kImageSize);
    if (!ToolBar_CL::Create(parent, kStyle, kIncSearchBarId)) return nullptr;

    modeBox_ = factory_.GetAs<ComboBox_CL>(factory_.CreateComboBox(window, 5, 8, CBS_DROPDOWNLIST, 0));
    for (const wchar_t* mode : {L"名称", L"タグ", L"Note", L"ERR"}) modeBox_->AddItem(mode, 0);
    const int storedMode = ini_ ? static_cast<int>(ini_->ReadInt(kSection, L"search_mode", 0)) : 0;
    g_movieSearchMode = storedMode;
    SendMessageW(modeBox_->hwnd, CB_SETCURSEL, static_cast<WPARAM>(storedMode), 0);

    searchBox_ = factory_.GetAs<ComboBox_CL>(factory_.CreateComboBox(window, 10, 32, 0, 0));
    SendMessageW(searchBox_->hwnd, CB_LIMITTEXT, kTextLimit, 0);
    editHook_.Subclass(searchBox_->GetEditControl(), this, &MovieIncSearch_CL::OnEditMessage);
    SendMessageW(searchBox_->hwnd, CB_SETDROPPEDWIDTH, kDroppedWidth, 0);

    regexBox_ = factory_.GetAs<CheckBox_CL>(factory_.CreateCheckBox(window, L"(正規表現)", 150, 0));
    regexBox_->SetFontScale(0.8f, 400);
    g_movieSearchRegex = (ini_ && ini_->ReadInt(kSection, L"regex_search", 0) != 0) ? 1 : 0;
    regexBox_->SetCheck(g_movieSearchRegex != 0);

    HIMAGELIST previous = reinterpret_cast<HIMAGELIST>(
        SendMessageW(window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(imageList_.imageList)));
    // The list now belongs to the tool bar, which does not free it: the object still does.
    if (previous && previous != imageList_.imageList) ImageList_Destroy(previous);

    // Narrow buttons leave the regex box, placed from the right edge, clear of them.
    SendMessageW(window, TB_SETPADDING, 0, MAKELPARAM(4, 6));
    SendMessageW(window, TB_SETBUTTONSIZE, 0, MAKELPARAM(kImageSize + 4, kImageSize + 6));
    records[0].button.fsStyle = BTNS_SEP;
    AddButton(&records[0], nullptr);
    records[1].button.idCommand = kIncSearchClearCommand;
    records[1].button.iBitmap = 0;
    AddButton(&records[1], L"クリア");
    records[2].button.idCommand = kIncSearchTagCommand;
    records[2].button.iBitmap = 1;
    AddButton(&records[2], L"タグ検索");
    SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) & ~static_cast<LONG_PTR>(CCS_NORESIZE));

    LoadHistory();
    return window;
}

void MovieIncSearch_CL::Layout(int width)
{
    const int unit = FullWidthUnit();
    const int fieldWidth = width - 7 * unit;
    TBBUTTON separator = records[0].button;
    separator.fsStyle = BTNS_SEP;
    separator.iBitmap = fieldWidth > 0 ? fieldWidth : 0;
    SendMessageW(window, TB_DELETEBUTTON, 0, 0);
    SendMessageW(window, TB_INSERTBUTTONW, 0, reinterpret_cast<LPARAM>(&separator));
    SendMessageW(window, TB_AUTOSIZE, 0, 0);
    MoveWindow(modeBox_->hwnd, 0, 0, 56, kDropHeight, TRUE);
    MoveWindow(searchBox_->hwnd, 60, 0, fieldWidth - 70, kDropHeight, TRUE);
    SetWindowPos(regexBox_->hwnd, nullptr, width - 4 * unit - unit / 2, 4, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateToolTips();
}

LRESULT MovieIncSearch_CL::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SIZE && modeBox_) Layout(LOWORD(lParam));
    if (msg == WM_COMMAND && modeBox_) OnCommand(LOWORD(wParam), HIWORD(wParam));
    return ToolBar_CL::WndProc(hwnd, msg, wParam, lParam);
}

void MovieIncSearch_CL::OnCommand(int id, int notification)
{
    if (id == kIncSearchClearCommand) {
        SetSearchText(L"");
        return;
    }
    if (id == regexBox_->id && notification == BN_CLICKED) {
        // The click rebuilds the list at once: the change test looks at the flag as it
        // was before the click.
        const int previous = g_movieSearchRegex;
        g_movieSearchRegex = RegexBoxState();
        if (ini_) ini_->WriteInt(g_movieSearchRegex, kSection, L"regex_search");
        RunSearchComparing(0, previous);
        return;
    }
    if (notification != CBN_SELENDOK) return;
    if (id == searchBox_->id) {
        const int selection = searchBox_->GetCurSel();
        // The list and the history are filled together, but a list changed behind the
        // bar's back must not index past the history.
        if (selection < 0 || static_cast<size_t>(selection) >= history_.size()) return;
        const std::wstring entry = history_[static_cast<size_t>(selection)];
        regexBox_->SetCheck(entry[0] - L'0' != 0);
        const std::wstring text = EntryText(entry);
        SetSearchText(text);
        AddHistory(text);
        RunSearch(0);
        return;
    }
    if (id == modeBox_->id) {
        RunSearch(0);
        if (ini_ && albumData_) ini_->WriteInt(albumData_->disp_setting.search_mode, kSection, L"search_mode");
    }
}

LRESULT CALLBACK MovieIncSearch_CL::OnEditMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* hook = reinterpret_cast<SubClass_CL*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    auto* self = hook ? static_cast<MovieIncSearch_CL*>(hook->owner) : nullptr;
    if (!self) return 0;
    if (msg == WM_KEYUP && !IsArrowKey(wParam)) {
        self->RunSearch(1);
        return 0;
    }
    if (msg == WM_CHAR && wParam == VK_RETURN) {
        self->AddHistory(self->SearchBoxText());
        // Swallowed here, the Enter makes no character and no beep.
        hook->handled = 1;
        return DefWindowProcW(hwnd, WM_CHAR, 0, lParam);
    }
    return 0;
}

void MovieIncSearch_CL::RunSearch(int noTagHistory)
{
    RunSearchComparing(noTagHistory, g_movieSearchRegex);
}

void MovieIncSearch_CL::RunSearchComparing(int noTagHistory, int previousRegex)
{
    if (!searchBox_ || !albumData_) return;
    const std::wstring text = SearchBoxText();
    const int mode = modeBox_->GetCurSel();
    const int regex = RegexBoxState();
    DispSettingData_CL& state = albumData_->disp_setting;
    if (mode == state.search_mode && text == state.search_text && regex == previousRegex) return;

    state.search_mode = mode;
    g_movieSearchMode = mode;
    state.search_text = text;
    if (noTagHistory == 0 && mode == 1 && g_movieSearchRegex == 0) {
        std::vector<std::wstring> tags;
        SplitTagInput(tags, kMaxSearchTags, text);
        if (!tags.empty()) albumData_->album_data.AddTagHistory(tags[0]);
    }
    g_movieSearchRegex = regex;
    if (owner_) owner_->RefreshMovieList();
}

void MovieIncSearch_CL::SetSearchText(std::wstring text)
{
    if (!searchBox_) return;
    // The edit field is what the user types into and what the searches read.
    HWND edit = searchBox_->GetEditControl();
    SetWindowTextW(edit ? edit : searchBox_->hwnd, text.c_str());
}

void MovieIncSearch_CL::AddHistory(std::wstring text)
{
    const std::wstring entry = std::to_wstring(RegexBoxState()) + L"|" + text;
    for (auto it = history_.begin(); it != history_.end();) {
        if (EntryText(*it) == text)
            it = history_.erase(it);
        else
            ++it;
    }
    if (history_.size() >= static_cast<size_t>(kHistoryLimit)) history_.resize(kHistoryLimit - 1);
    history_.insert(history_.begin(), entry);
    FillSearchList();
    SaveHistory();
}

void MovieIncSearch_CL::SaveHistory()
{
    if (!ini_) return;
    ini_->WriteInt(static_cast<int>(history_.size()), kSection, L"item_count");
    for (size_t i = 0; i < history_.size(); ++i) ini_->WriteString(kSection, HistoryKey(i).c_str(), history_[i]);
}

void MovieIncSearch_CL::LoadHistory()
{
    history_.clear();
    if (ini_) {
        // A damaged count must not cost millions of reads, nor grow a history that adding
        // never shrinks again.
        int count = static_cast<int>(ini_->ReadInt(kSection, L"item_count", 0));
        if (count > kHistoryLimit) count = kHistoryLimit;
        for (int i = 0; i < count; ++i) {
            std::wstring value = ini_->ReadString(kSection, HistoryKey(static_cast<size_t>(i)).c_str(), L"");
            if (EntryText(value).empty()) continue;
            history_.push_back(value);
        }
    }
    FillSearchList();
}

void MovieIncSearch_CL::FillSearchList()
{
    if (!searchBox_ || !searchBox_->hwnd) return;
    // Emptying the list empties the edit field too; what the user typed stays.
    const std::wstring typed = SearchBoxText();
    SendMessageW(searchBox_->hwnd, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& entry : history_) searchBox_->AddItem(EntryText(entry), 0);
    if (SearchBoxText() != typed) SetSearchText(typed);
}

std::wstring MovieIncSearch_CL::SearchBoxText() const
{
    HWND edit = searchBox_ ? searchBox_->GetEditControl() : nullptr;
    if (!edit) return std::wstring();
    wchar_t text[kTextLimit + 1] = {};
    const int length = GetWindowTextW(edit, text, kTextLimit + 1);
    return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0);
}

int MovieIncSearch_CL::RegexBoxState() const
{
    return regexBox_ && SendMessageW(regexBox_->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}
