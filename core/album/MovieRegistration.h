#pragma once
// Turning dropped files and folders, and the watched folders of the sub-categories, into
// movie records of the open album.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/album/MovieExtInfo.h"
#include "core/album/RegistrationHost.h"
#include "core/base/CriticalSection.h"
#include "core/base/FindFile.h"
#include "core/base/UiThreadInvoker.h"

class SaveData_CL;

// Collects the movie files of a dropped folder; other files get a "未対応の拡張子" row.
class FindDropFilder_CL : public FindFile_CL {
public:
    FindDropFilder_CL(const MovieExtInfo_CL& extensions, std::vector<std::wstring>& found, RegistrationHost_IF& owner)
        : extensions(extensions), found(found), owner(owner)
    {
    }

    const MovieExtInfo_CL& extensions;
    std::vector<std::wstring>& found;
    RegistrationHost_IF& owner;

protected:
    void OnFile(const std::wstring& folder, const WIN32_FIND_DATAW* data) override;
};

struct RegistrationCandidate {
    std::wstring category;
    std::wstring sub_category;
    std::wstring path;
};

// Collects every file of a watched folder as a candidate of the folder's sub-category.
class SearchFindFolder_CL : public FindFile_CL {
public:
    SearchFindFolder_CL(const RegistrationCandidate& pattern, std::vector<RegistrationCandidate>& found)
        : templateCandidate(pattern), found(found)
    {
    }

    RegistrationCandidate templateCandidate;
    std::vector<RegistrationCandidate>& found;

protected:
    void OnFile(const std::wstring& folder, const WIN32_FIND_DATAW* data) override;
};

class MovieRegistration_CL {
public:
    // Built on the main window's thread, which must keep pumping messages while a drop
    // registers: every change of the album's lists is carried out there.
    MovieRegistration_CL(SaveData_CL& data, RegistrationHost_IF& host) : data_(data), host_(host) {}
    virtual ~MovieRegistration_CL() = default;

    // The drop worker's job. Drops register one at a time; a second one waits its turn.
    void RegisterDroppedFiles(HDROP drop, HWND progressBar);
    // Registers what the watched folders hold; on the main window's thread.
    void ScanFindFolders();
    // 1 registered; 0 for another file type, a movie already in the album, or no free
    // contents-file number. On the main window's thread only.
    int RegisterMovieFile(std::wstring path, std::wstring category, std::wstring subCategory);

private:
    // The category that dropped movies join: the shown sub-category's, while the tab of
    // all movies or a user category is selected.
    void DropTargetCategory(std::wstring& category, std::wstring& subCategory) const;

    SaveData_CL& data_;
    RegistrationHost_IF& host_;
    UiThreadInvoker_CL ui_;
    CriticalSection_CL dropLock_;
};
