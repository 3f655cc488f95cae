#pragma once
// The browser's second tool bar: an address box and a search box, each with its history,
// the navigate button, the search-engine chooser, the search button and one quick-search
// button per marked engine. The histories and the chosen engine live in the "BROWSER"
// section of the ini the bar is bound to (the program ini, or the open album's ini).
#include <windows.h>

#include <string>
#include <vector>

#include "core/base/Inifile.h"
#include "ui/widgets/Button.h"
#include "ui/widgets/ComboBox.h"
#include "ui/widgets/ImageList.h"
#include "ui/widgets/SubClass.h"
#include "ui/widgets/ToolBar.h"

class BrowserBaseReelvault_CL;

class AddressBarReelvault_CL : public ToolBar_CL {
public:
    static constexpr int kBarId = 0x5044;
    static constexpr int kAddressBoxId = 0x2000;
    static constexpr int kNavigateButtonId = 0x2001;
    static constexpr int kSearchBoxId = 0x2002;
    static constexpr int kEngineChooserId = 0x2003;
    // The search button runs the chosen engine; quick-search button i runs engine row i.
    static constexpr UINT kSearchCommand = 0x9580;
    static constexpr UINT kQuickSearchFirst = 0x9581;
    static constexpr UINT kQuickSearchLast = 0x959F;
    // Posted to the main window after a navigation or search; lParam 0 brings the browser forward.
    static constexpr UINT kShowBrowserCommand = 0x9508;
    static constexpr size_t kMaxHistoryEntries = 50;

    // The browser may be null (the bar then only keeps its histories); so may the ini.
    AddressBarReelvault_CL(BrowserBaseReelvault_CL* browser, int navigateIconId, const Inifile_CL* ini);
    ~AddressBarReelvault_CL() override = default;

    // The bar as a child of the parent (the rebar) with all its controls; its histories are
    // loaded from the bound ini. Returns the bar's window, null on failure.
    HWND CreateControls(HWND parent, const std::wstring& engineBitmapPath);
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The handlers of the edit boxes inside the address box and the search box.
    static LRESULT CALLBACK OnAddressEditMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK OnSearchEditMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Searches the search box's text with engine row `engine` (-1: the chosen one) and posts
    // the show-browser command with `notice` as its lParam. An unknown row does nothing.
    void SearchWithEngine(int engine, LPARAM notice);
    // The main window's commands of this bar's buttons; false for any other command.
    bool HandleSearchCommand(UINT command);

    // Moves the text to the front of its history (at most 50, no two equal), refills the
    // box's list and, with a bound ini, stores the history at once.
    void AddAddressHistory(const std::wstring& text);
    void AddSearchHistory(const std::wstring& text);

    // Null unbinds: the histories then live in memory only.
    void Bind(const Inifile_CL* ini) { ini_ = ini; }
    const Inifile_CL* GetBoundIni() const { return ini_; }
    // With a bound ini: refills both histories (and their boxes) from section "BROWSER",
    // skipping empty entries and keeping at most 50 of each, and selects the stored engine
    // (out of range: the first).
    void LoadHistories();
    // With a bound ini: writes both histories and the engine index.
    void SaveHistories() const;

    // The page's address, shown in the address box (the pane calls it as pages start and
    // complete); before the box exists it is only kept.
    void SetAddressText(const std::wstring& address);
    // What the address box shows.
    std::wstring GetAddressText() const;

    const std::vector<std::wstring>& GetAddressHistory() const { return addressHistory_; }
    const std::vector<std::wstring>& GetSearchHistory() const { return searchHistory_; }
    int GetEngineIndex() const { return engineIndex_; }
    int GetEngineCount() const;

    ComboBox_CL addressBox;
    Button_CL navigateButton;
    ComboBox_CL searchBox;
    ComboBox_CL engineChooser;
    ImageList_CL engineImages;

private:
    LRESULT AddressEditMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT SearchEditMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnBoxCommand(WPARAM wParam);
    void LayOut(int width);
    void AddHistory(ComboBox_CL& box, std::vector<std::wstring>& history, const wchar_t* countKey,
                    const wchar_t* itemFormat, const std::wstring& text);
    void LoadList(const wchar_t* countKey, const wchar_t* itemFormat, std::vector<std::wstring>& history,
                  ComboBox_CL& box);
    void SaveList(const wchar_t* countKey, const wchar_t* itemFormat, const std::vector<std::wstring>& history) const;
    void SelectStoredEngine();
    void ShowStatus(const std::wstring& text) const;
    void PostShowBrowser(LPARAM notice) const;
    void Navigate(const std::wstring& address) const;

    SubClass_CL addressEdit_;
    SubClass_CL searchEdit_;
    BrowserBaseReelvault_CL* browser_;
    int navigateIconId_;
    const Inifile_CL* ini_;
    std::vector<std::wstring> addressHistory_;
    std::vector<std::wstring> searchHistory_;
    int engineIndex_ = 0;
    std::wstring addressText_;
    bool layingOut_ = false;
};
