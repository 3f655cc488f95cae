#pragma once
// Least-recently-used cache of decoded thumbnail strips, keyed by the owner's movie key.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <list>
#include <memory>

class MovieBitmapChcheBase_CL {
public:
    // Every view uses 800.
    explicit MovieBitmapChcheBase_CL(int capacity) : capacity_(capacity) {}
    virtual ~MovieBitmapChcheBase_CL() = default;
    MovieBitmapChcheBase_CL(const MovieBitmapChcheBase_CL&) = delete;
    MovieBitmapChcheBase_CL& operator=(const MovieBitmapChcheBase_CL&) = delete;

    // The cached image (still owned by the cache), moved to the front; null on a miss or
    // when the key holds no image.
    Gdiplus::Image* Find(const void* owner, int64_t key);
    // Takes the image (null empties the key). Evicts the least recently used entry when full.
    int Put(const void* owner, int64_t key, Gdiplus::Image* bitmap);
    void Clear();

    int GetCount() const { return static_cast<int>(entries_.size()); }
    int GetCapacity() const { return capacity_; }
    // Keys from the most to the least recently used.
    template <typename Visit>
    void ForEachKey(Visit visit) const
    {
        for (const auto& entry : entries_) visit(entry.key);
    }

private:
    struct Entry {
        int kind = 0;
        int64_t key = 0;
        std::unique_ptr<Gdiplus::Image> bitmap;
    };

    int capacity_;
    std::list<Entry> entries_;
};

// Writes the bitmap as a JPEG at the encoder's default quality. 1 when the file was
// written, 0 when GDI+ has no JPEG encoder or the save fails. The HBITMAP stays the caller's.
int SaveBitmapAsJpeg(const wchar_t* path, HBITMAP bitmap);
