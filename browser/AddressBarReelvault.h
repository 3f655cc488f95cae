#pragma once
// The browser's address bar: here its address and search histories and the chosen search
// engine, kept in the ini it is bound to (the program ini, or the open album's ini).
#include <windows.h>

#include <string>
#include <vector>

#include "core/base/Inifile.h"

class AddressBarReelvault_CL {
public:
    // Null unbinds: the histories then live in memory only.
    void Bind(const Inifile_CL* ini) { ini_ = ini; }
    const Inifile_CL* GetBoundIni() const { return ini_; }
    // The boxes that show the histories and the engine rows, once the bar has made them;
    // until then only the lists are kept.
    void SetBoxes(HWND addressBox, HWND searchBox, HWND engineChooser, int engineRowCount);

    // With a bound ini: refills both histories (and their boxes) from section "BROWSER",
    // skipping empty entries, and selects the stored engine (out of range: the first).
    void LoadHistories();
    // With a bound ini: writes both histories and the engine index read at the last load.
    void SaveHistories() const;

    // The page address the bar shows (the pane calls it as pages start and complete).
    void SetAddressText(const std::wstring& text);
    const std::wstring& GetAddressText() const { return addressText_; }

    const std::vector<std::wstring>& GetAddressHistory() const { return addressHistory_; }
    const std::vector<std::wstring>& GetSearchHistory() const { return searchHistory_; }
    int GetEngineIndex() const { return engineIndex_; }

private:
    void LoadList(const wchar_t* countKey, const wchar_t* itemFormat, std::vector<std::wstring>& history, HWND box);
    void SaveList(const wchar_t* countKey, const wchar_t* itemFormat, const std::vector<std::wstring>& history) const;

    const Inifile_CL* ini_ = nullptr;
    HWND addressBox_ = nullptr;
    HWND searchBox_ = nullptr;
    HWND engineChooser_ = nullptr;
    int engineRowCount_ = 0;
    std::vector<std::wstring> addressHistory_;
    std::vector<std::wstring> searchHistory_;
    int engineIndex_ = 0;
    std::wstring addressText_;
};
