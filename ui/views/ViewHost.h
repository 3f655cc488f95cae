#pragma once
// What the views and bars ask of the window that hosts them (the main window in the
// program, a small test window in the tests).
#include <windows.h>

#include <string>

class CategoryListWindow_CL;

class ViewHost_IF {
public:
    virtual ~ViewHost_IF() = default;
    // Rebuilds the movie list shown from the current category, search state and sort.
    virtual void RefreshMovieList() = 0;
    // The tool bar drawn over the category tiles, repainted with them; null when there is none.
    virtual HWND GetCategoryToolBarWindow() { return nullptr; }
    // Rebuilds the category tabs from the category entries (captions with their counts).
    virtual void RebuildCategoryTabs() {}
    // Applies the album's user-interface font size level to the host's own controls.
    virtual void ApplyUiFontSize() {}
    // The end of a change the user made: with saveFirst 1 the whole album is saved first,
    // then the completion sound plays unless the user switched it off.
    virtual void PlayCompleteBeep(int /*saveFirst*/) {}
    // The category tiles beside the movie grid; null when there are none.
    virtual CategoryListWindow_CL* GetCategoryListWindow() { return nullptr; }
    // Sets one part of the host's status bar.
    virtual void SetStatusText(int /*part*/, const std::wstring& /*text*/) {}
};
