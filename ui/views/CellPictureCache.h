#pragma once
// What one drawn cell of the movie grid shows, as the paints' inputs, and the pictures of
// cells drawn earlier. A cell whose inputs are all unchanged looks the same pixel for pixel,
// so a repaint (every mouse move repaints the grid) copies its picture instead of laying out
// and writing its texts again; any change of an input draws the cell afresh.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/views/DibSection.h"

struct CellPictureKey {
    // Cell and frame sizes, background and fonts.
    int32_t cellWidth = 0;
    int32_t cellHeight = 0;
    int32_t pictureWidth = 0;
    int32_t pictureHeight = 0;
    Gdiplus::ARGB background = 0;
    std::wstring labelFont;  // family and size of the view's label font
    float labelFontSize = 0;
    // The laid-out boxes relative to the cell's corner: frame boxes (x, y, width, height)
    // with the strip frame each shows, then the chips with their texts.
    std::vector<float> boxes;
    std::vector<int32_t> framesShown;
    std::vector<std::wstring> chipTexts;
    float titleRect[4] = {0, 0, 0, 0};
    std::wstring title;
    int32_t state = 0;
    int32_t hoveredFrame = -1;
    int32_t hoveredTag = -1;
    std::wstring label;
    Gdiplus::ARGB labelColour = 0;
    uint32_t stars = 0;
    bool missingFile = false;
    // The kept strip drawn (its serial number), 0 for none.
    uint64_t strip = 0;

    bool operator==(const CellPictureKey& other) const;
    bool operator!=(const CellPictureKey& other) const { return !(*this == other); }
};

// Pictures of cells the GDI paint drew, copied out of the back buffer right after each was
// drawn. A picture of a cell that lay wholly inside the client area serves the cell anywhere
// inside it; one cut by the client's edge serves only the same place in the same client.
class CellPictureCache_CL {
public:
    // Copies the picture of that list index whose key is `key` to `cell` in `dc` when there
    // is one usable there (see above); false when there is none. A picture copied counts as
    // used by this pass.
    bool Paint(uint32_t index, const CellPictureKey& key, const RECT& cell, const RECT& client, HDC dc,
               int bitsPerPixel, uint64_t pass);
    // Copies what of `cell` lies inside `client` from `dc` (the back buffer) as the picture of
    // the index (replacing an older one). False when no picture could be made.
    bool Keep(uint32_t index, const CellPictureKey& key, const RECT& cell, const RECT& client, HDC dc,
              int bitsPerPixel, uint64_t pass);
    // Keeps at most `count` pictures, the most recently used.
    void Trim(size_t count);
    void Clear() { entries_.clear(); }
    size_t Count() const { return entries_.size(); }

private:
    struct Entry {
        uint32_t index = 0;
        CellPictureKey key;
        RECT cell = {};    // where it was drawn
        RECT client = {};
        RECT shown = {};   // the cell area the picture holds
        bool whole = false;
        uint64_t lastPass = 0;
        DibSection_CL pixels;
    };
    std::vector<std::unique_ptr<Entry>> entries_;
};
