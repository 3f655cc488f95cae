#include "ui/views/CellPictureCache.h"

#include <algorithm>

bool CellPictureKey::operator==(const CellPictureKey& o) const
{
    return cellWidth == o.cellWidth && cellHeight == o.cellHeight && pictureWidth == o.pictureWidth &&
           pictureHeight == o.pictureHeight && background == o.background && labelFont == o.labelFont &&
           labelFontSize == o.labelFontSize &&
           boxes == o.boxes && framesShown == o.framesShown && chipTexts == o.chipTexts &&
           std::equal(titleRect, titleRect + 4, o.titleRect) && title == o.title && state == o.state &&
           hoveredFrame == o.hoveredFrame && hoveredTag == o.hoveredTag && label == o.label &&
           labelColour == o.labelColour && stars == o.stars && missingFile == o.missingFile && strip == o.strip;
}

namespace {

bool Inside(const RECT& cell, const RECT& client)
{
    return cell.left >= client.left && cell.top >= client.top && cell.right <= client.right &&
           cell.bottom <= client.bottom;
}

}  // namespace

bool CellPictureCache_CL::Paint(uint32_t index, const CellPictureKey& key, const RECT& cell, const RECT& client,
                                HDC dc, int bitsPerPixel, uint64_t pass)
{
    if (!dc) return false;
    for (const auto& entry : entries_) {
        if (entry->index != index || entry->pixels.BitsPerPixel() != bitsPerPixel || entry->key != key) continue;
        if (entry->whole ? !Inside(cell, client) : !EqualRect(&entry->cell, &cell) || !EqualRect(&entry->client, &client)) {
            return false;
        }
        const RECT& shown = entry->shown;
        const int x = cell.left + (shown.left - entry->cell.left);
        const int y = cell.top + (shown.top - entry->cell.top);
        if (!BitBlt(dc, x, y, shown.right - shown.left, shown.bottom - shown.top, entry->pixels.Dc(), 0, 0, SRCCOPY)) {
            return false;
        }
        entry->lastPass = pass;
        return true;
    }
    return false;
}

bool CellPictureCache_CL::Keep(uint32_t index, const CellPictureKey& key, const RECT& cell, const RECT& client,
                               HDC dc, int bitsPerPixel, uint64_t pass)
{
    RECT shown = {};
    if (!dc || !IntersectRect(&shown, &cell, &client)) return false;
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [index](const std::unique_ptr<Entry>& e) { return e->index == index; });
    if (found == entries_.end()) {
        entries_.push_back(std::make_unique<Entry>());
        found = entries_.end() - 1;
    }
    Entry& entry = **found;
    const int width = shown.right - shown.left;
    const int height = shown.bottom - shown.top;
    if (entry.pixels.Width() != width || entry.pixels.Height() != height ||
        entry.pixels.BitsPerPixel() != bitsPerPixel) {
        entry.pixels.Create(width, height, bitsPerPixel);
    }
    if (!entry.pixels.Dc() || !BitBlt(entry.pixels.Dc(), 0, 0, width, height, dc, shown.left, shown.top, SRCCOPY)) {
        entries_.erase(found);
        return false;
    }
    entry.index = index;
    entry.key = key;
    entry.cell = cell;
    entry.client = client;
    entry.shown = shown;
    entry.whole = Inside(cell, client);
    entry.lastPass = pass;
    return true;
}

void CellPictureCache_CL::Trim(size_t count)
{
    if (entries_.size() <= count) return;
    std::sort(entries_.begin(), entries_.end(),
              [](const std::unique_ptr<Entry>& a, const std::unique_ptr<Entry>& b) { return a->lastPass > b->lastPass; });
    entries_.resize(count);
}
