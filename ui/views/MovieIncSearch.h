#pragma once
// The search bar over the movie grid: what to search (name, tags, note, movies with
// errors), the text with its drop-down history of recent searches, and whether the text
// is a regular expression. The bar only keeps the search state; the host rebuilds the
// list from it at every change.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/widgets/CheckBox.h"
#include "ui/widgets/ComboBox.h"
#include "ui/widgets/ControlFactory.h"
#include "ui/widgets/ImageList.h"
#include "ui/widgets/SubClass.h"
#include "ui/widgets/ToolBar.h"

class Inifile_CL;
class SaveData_CL;
class ViewHost_IF;

constexpr int kIncSearchClearCommand = 0x9301;
constexpr int kIncSearchTagCommand = 0x9302;
constexpr int kIncSearchBarId = 0x5345;

class MovieIncSearch_CL : public ToolBar_CL {
public:
    static constexpr DWORD kStyle = 0x56000840;
    static constexpr int kHistoryLimit = 50;
    static constexpr int kTextLimit = 2100;
    static constexpr int kDroppedWidth = 320;
    static constexpr int kMaxSearchTags = 20;

    // albumData holds the search state (its display settings) and the tag history.
    MovieIncSearch_CL(ViewHost_IF* owner, SaveData_CL* albumData);
    ~MovieIncSearch_CL() override;

    using ToolBar_CL::Create;
    // The bar with its boxes and buttons, its settings and history read from the ini set
    // before. Null when the tool bar could not be made.
    HWND Create(HWND parent);

    // The album ini that keeps the bar's settings and history; null: nothing is kept.
    void SetIni(const Inifile_CL* albumIni) { ini_ = albumIni; }

    // Takes the boxes' mode and text into the search state and has the host rebuild the
    // list, unless nothing changed. noTagHistory 0 lets a tag search add its first tag to
    // the album's tag history.
    void RunSearch(int noTagHistory);
    void SetSearchText(std::wstring text);
    // Puts the text first in the history (with the regex box's state), dropping older
    // copies of it and the oldest entry past the limit; kept in the ini at once.
    void AddHistory(std::wstring text);
    void SaveHistory();
    // Rereads the history from the ini; without a window only the list is filled.
    void LoadHistory();

    const std::vector<std::wstring>& History() const { return history_; }
    ComboBox_CL* ModeBox() const { return modeBox_; }
    ComboBox_CL* SearchBox() const { return searchBox_; }
    CheckBox_CL* RegexBox() const { return regexBox_; }

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The search box's edit control: each key release searches, Enter stores the text.
    static LRESULT CALLBACK OnEditMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void Layout(int width);
    void OnCommand(int id, int notification);
    // previousRegex: the remembered regex flag the change test compares with.
    void RunSearchComparing(int noTagHistory, int previousRegex);
    void FillSearchList();
    std::wstring SearchBoxText() const;
    int RegexBoxState() const;

    ControlFactory_CL factory_;
    ComboBox_CL* modeBox_ = nullptr;
    ComboBox_CL* searchBox_ = nullptr;
    SubClass_CL editHook_;
    CheckBox_CL* regexBox_ = nullptr;
    ImageList_CL imageList_;
    std::vector<std::wstring> history_;  // newest first, "%d|%s": regex state, text
    const Inifile_CL* ini_ = nullptr;
    ViewHost_IF* owner_;
    SaveData_CL* albumData_;
};
