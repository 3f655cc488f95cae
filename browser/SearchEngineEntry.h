#pragma once
// One search engine of the browser pane's fixed table: the address bar's engine chooser,
// its quick-search buttons, the query encoding and the main window's category search all
// read it.
#include <cstdint>
#include <string>
#include <vector>

struct SearchEngineEntry {
    // Site number: 1 Google, 2 Yahoo, 3 YouTube, 4 niconico, 5 Amazon, 7 bing (6 is not
    // used); also the engine's image in the address bar's image strip.
    int32_t site;
    // Bits 0-7 the kind (0 web pages, 1 videos, 2 images, 3 shopping), bits 8-11 the query
    // encoding (0x000 UTF-8, 0x100 ANSI code page, 0x200 ANSI then EUC-JP), bit 15 a
    // quick-search button of its own on the address bar.
    uint32_t flags;
    std::wstring name;
    // A secure address whose single "%s" receives the encoded query.
    std::wstring urlTemplate;
};

constexpr uint32_t kSearchEngineKindMask = 0xFF;
constexpr uint32_t kSearchEngineEncodingMask = 0xF00;
constexpr uint32_t kSearchEngineEncodingAnsi = 0x100;
constexpr uint32_t kSearchEngineEncodingAnsiThenEucJp = 0x200;
constexpr uint32_t kSearchEngineQuickButton = 0x8000;

// The ten engines in the order whose index the chooser, the quick-search command ids and
// the stored choice use.
std::vector<SearchEngineEntry> MakeSearchEngineTable();
