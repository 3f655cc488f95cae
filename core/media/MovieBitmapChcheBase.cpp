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
    const uint64_t size = ImageBytes(bitmap);
    auto it = entries_.begin();
    while (it != entries_.end() && (it->kind != 0 || it->key != key)) ++it;
    if (it != entries_.end()) {
        if (it->bitmap.get() != bitmap) it->bitmap.reset(bitmap);
        bytes_ = bytes_ - it->bytes + size;
        it->bytes = size;
        entries_.splice(entries_.begin(), entries_, it);
    } else {
        Entry entry;
        entry.key = key;
        entry.bitmap.reset(bitmap);
        entry.bytes = size;
        entries_.push_front(std::move(entry));
        bytes_ += size;
    }
    Trim();
    return 0;
}

void MovieBitmapChcheBase_CL::Remove(const void*, int64_t key)
{
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->kind != 0 || it->key != key) continue;
        bytes_ -= it->bytes;
        entries_.erase(it);
        return;
    }
}

void MovieBitmapChcheBase_CL::Clear()
{
    entries_.clear();
    bytes_ = 0;
}

void MovieBitmapChcheBase_CL::SetByteBudget(uint64_t bytes)
{
    byteBudget_ = bytes;
    Trim();
}

void MovieBitmapChcheBase_CL::Trim()
{
    const auto over = [this]() {
        return static_cast<int>(entries_.size()) > capacity_ || (byteBudget_ != 0 && bytes_ > byteBudget_);
    };
    while (entries_.size() > 1 && over()) {
        bytes_ -= entries_.back().bytes;
        entries_.pop_back();
    }
}

uint64_t MovieBitmapChcheBase_CL::ImageBytes(Gdiplus::Image* image)
{
    if (!image) return 0;
    const uint64_t bits = Gdiplus::GetPixelFormatSize(image->GetPixelFormat());
    return static_cast<uint64_t>(image->GetWidth()) * image->GetHeight() * (bits ? bits : 32) / 8;
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
