#pragma once
// What the views and bars ask of the window that hosts them (the main window in the
// program, a small test window in the tests).
#include <windows.h>

class ViewHost_IF {
public:
    virtual ~ViewHost_IF() = default;
    // Rebuilds the movie list shown from the current category, search state and sort.
    virtual void RefreshMovieList() = 0;
    // The tool bar drawn over the category tiles, repainted with them; null when there is none.
    virtual HWND GetCategoryToolBarWindow() { return nullptr; }
};
