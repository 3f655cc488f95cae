#pragma once
// What a window render target made with retained contents shows after its last complete
// pass, as the list of what that pass put on it in drawing order. A pass that would put the
// same things at the same places again only has to present: on a software rasterizer
// touching every pixel of a large window is most of a paint's cost.
//
// A pass offers its items in drawing order. While each matches the item at the same place
// in the list it is held back; at the first difference the held items are handed back to be
// drawn, and everything after is drawn as it comes.
#include <windows.h>
#include <d2d1.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <vector>

class RetainedFrame_CL {
public:
    struct Item {
        // kCell is a cell drawn without a picture: it never matches.
        enum Kind : int32_t { kBackground, kPicture, kFrame, kCell };
        Kind kind = kBackground;
        RECT place = {};
        // The picture drawn (kept alive here, so that a new bitmap at a freed address
        // never passes for it); null for the others.
        Microsoft::WRL::ComPtr<ID2D1Bitmap> picture;
        uint32_t colour = 0;

        bool operator==(const Item& other) const;
    };
    using Release = std::function<void(const std::vector<Item>& held)>;

    // Follows `target`, whose owner keeps what each pass drew until the next (a window
    // target made with retained contents). Another target than the one followed starts
    // from nothing.
    void Track(ID2D1RenderTarget* target);
    bool Tracks(ID2D1RenderTarget* target) const { return target && target == target_; }
    // The target's contents are unknown (made anew, resized, a present failed), or the
    // target goes: nothing is followed any more.
    void Forget();
    // Starts a pass. `complete`: it covers the whole target and draws nothing over the
    // items (an overlay), so that what it leaves can be held back next time.
    void BeginPass(bool complete);
    // The next item of the pass: false while it is held back, true when the caller draws it
    // now. Before the first true after items were held, `release` gets them to draw.
    bool Offer(Item item, const Release& release);
    // Ends the pass. When not everything it offered was held back (or something shown last
    // time is missing), `release` gets what is still held to draw.
    void EndPass(const Release& release);
    // Passes that drew nothing since the window was made (a figure for tests and benchmarks).
    uint64_t passesHeld = 0;

private:
    // Only compared, never used: the owner of the target makes and frees it.
    ID2D1RenderTarget* target_ = nullptr;
    // Empty while the target's contents are unknown (a complete pass always holds its
    // background).
    std::vector<Item> shown_;
    std::vector<Item> pass_;
    bool complete_ = false;
    bool holding_ = false;
};
