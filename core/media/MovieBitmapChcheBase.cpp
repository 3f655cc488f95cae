#include "core/media/MovieBitmapChcheBase.h"

#include <cstring>
#include <vector>

Gdiplus::Image* MovieBitmapChcheBase_CL::Find(const void*, int64_t key)
{
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->kind != 0 || it->key != key || !it->bitmap) continue;
        entries_.splice(entries_.begin(), entries_, it);
        return entries_.front().bitmap.get();
    }
    return nullptr;
}

int MovieBitmapChcheBase_CL::Put(const void*, int64_t key, Gdiplus::Image* bitmap)
{
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->kind != 0 || it->key != key) continue;
        if (it->bitmap.get() != bitmap) it->bitmap.reset(bitmap);
        entries_.splice(entries_.begin(), entries_, it);
        return 0;
    }
    if (!entries_.empty() && static_cast<int>(entries_.size()) >= capacity_) entries_.pop_back();
    Entry entry;
    entry.key = key;
    entry.bitmap.reset(bitmap);
    entries_.push_front(std::move(entry));
    return 0;
}

void MovieBitmapChcheBase_CL::Clear()
{
    entries_.clear();
}

int SaveBitmapAsJpeg(const wchar_t* path, HBITMAP bitmap)
{
    UINT count = 0;
    UINT size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return 0;
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok) return 0;

    const CLSID* jpeg = nullptr;
    for (UINT i = 0; i < count; ++i) {
        if (encoders[i].MimeType && wcscmp(encoders[i].MimeType, L"image/jpeg") == 0) {
            jpeg = &encoders[i].Clsid;
            break;
        }
    }
    if (!jpeg) return 0;

    Gdiplus::Bitmap image(bitmap, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
    if (image.GetLastStatus() != Gdiplus::Ok) return 0;
    return image.Save(path, jpeg, nullptr) == Gdiplus::Ok ? 1 : 0;
}
