#pragma once
// One page of the browser pane's own back and forward history.
#include <string>

struct BrowserHistoryItem {
    std::wstring title;
    std::wstring url;
};
