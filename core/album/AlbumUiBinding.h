#pragma once
// What the album load asks of the windows that keep their own state in the album ini:
// the browser pane's address bar and the incremental search bar. The main window
// implements it; without one (a test, a tool) those histories are simply not touched.
class Inifile_CL;

class AlbumUiBinding_IF {
public:
    virtual ~AlbumUiBinding_IF() = default;
    // Binds the address bar to the ini (null unbinds) and refills its histories from it.
    virtual void BindAndLoadBrowserHistories(const Inifile_CL* albumIni) = 0;
    virtual void SaveBrowserHistories() = 0;
    virtual void SaveIncSearchHistory() = 0;
};
