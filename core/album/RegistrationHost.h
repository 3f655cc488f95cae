#pragma once
// What the registration of movie files asks of the main window. The main window implements
// it; the row calls may come from the drop worker, everything else comes on the main
// window's own thread.
#include <string>

class RegistrationHost_IF {
public:
    virtual ~RegistrationHost_IF() = default;
    // Rows of the drop-result dialog; ignored while no such dialog is open.
    virtual void AddRegisteredRow(const std::wstring& path, const std::wstring& text) = 0;
    virtual void AddRejectedRow(const std::wstring& path, const std::wstring& text) = 0;
    // The thumbnail listeners of the category and movie lists drop their cached strips.
    virtual void ClearListenerBitmaps() = 0;
    virtual void SelectCategoryTab(int category, int showBrowser) = 0;
    // Makes the sort tab current, on the tab control too.
    virtual void SelectSortTab(int tab) = 0;
    virtual void RebuildCategoryTabs() = 0;
    virtual void RefreshMovieList() = 0;
    // Asks the thumbnail maker for the strips still missing (the new movies among them).
    virtual void RequestMissingThumbnails() = 0;
};
