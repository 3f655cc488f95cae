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
    // Takes the image (null empties the key). Evicts the least recently used entries while
    // the cache is over its capacity or its byte budget; the newest entry always stays.
    int Put(const void* owner, int64_t key, Gdiplus::Image* bitmap);
    // Deletes the key's image, if any.
    void Remove(const void* owner, int64_t key);
    void Clear();

    // The pixel bytes the cached images may take together; 0 (the default) bounds only
    // the count.
    void SetByteBudget(uint64_t bytes);
    uint64_t GetByteBudget() const { return byteBudget_; }
    uint64_t GetBytes() const { return bytes_; }
    // The pixel bytes of an image as decoded: width x height x bits per pixel / 8.
    static uint64_t ImageBytes(Gdiplus::Image* image);

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
        uint64_t bytes = 0;
    };

    void Trim();

    int capacity_;
    uint64_t byteBudget_ = 0;
    uint64_t bytes_ = 0;
    std::list<Entry> entries_;
};

// Writes the bitmap as a JPEG at the encoder's default quality. 1 when the file was
// written, 0 when GDI+ has no JPEG encoder or the save fails. The HBITMAP stays the caller's.
int SaveBitmapAsJpeg(const wchar_t* path, HBITMAP bitmap);
