#pragma once
// The table of file extensions that count as movies.
#include <windows.h>

#include <string>
#include <vector>

#include "core/base/FindRegistry.h"
#include "core/base/Inifile.h"

struct MovieExtInfoItem {
    std::wstring extension;  // with the leading dot
    std::wstring contentType;
    std::wstring progId;  // the shell's program identifier, or a label
    std::wstring extra;
    int accepted = 0;  // the tick the settings page shows
    int userAdded = 0;
};

class MovieExtInfo_CL {
public:
    virtual ~MovieExtInfo_CL() = default;

    // Rebuilds the table: the registry's video extensions, the built-in rows, the user's rows.
    void LoadAll(const Inifile_CL& programIni);

    void AddItem(MovieExtInfoItem item) { items.push_back(std::move(item)); }
    // 1 when the path's extension is in the table, ignoring case; ticks are not consulted.
    int Contains(const std::wstring& path) const;
    // Rewrites the nine built-in rows of "SYSTEM_EXT_INFO", then adds those the registry
    // did not already give.
    void LoadSystemExtensions(const Inifile_CL& programIni);
    // Appends the user's own rows of "USER_EXT_INFO": a flag character, then the extension.
    void LoadUserExtList(const Inifile_CL& programIni);

    std::vector<MovieExtInfoItem> items;
};

// Collects the extension keys of HKEY_CLASSES_ROOT whose "Content Type" names video and
// which have a default value.
class FindLaunchExt_CL : public FindRegistry_CL {
public:
    explicit FindLaunchExt_CL(std::vector<MovieExtInfoItem>* target) : target(target) {}

    void StoreExtItem();

protected:
    int OnKey(const std::wstring& path) override;
    void OnValue(const std::wstring& name, const std::wstring& data) override;
    void OnKeyEnd() override { StoreExtItem(); }

private:
    std::vector<MovieExtInfoItem>* target;
    std::wstring extension;
    std::wstring progId;
    std::wstring contentType;
    int found = 0;  // 1 for the key, +1 for each of its two values: complete at 3
};
