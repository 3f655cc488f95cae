#pragma once
// Writes the decode thread's image strip to the movie's output file in the format the
// request asked for, through the GDI+ encoders.
//
// The file is rewritten after every frame while Reelvault may be loading it, so it is
// saved to a temporary file beside it and moved over it. A target held open by a reader
// (GDI+ keeps the file of a loaded image open) is tried again for a short while; when it
// stays held the write is reported as failed and the old file is left as it was.
#include <windows.h>
#include <gdiplus.h>

#include <string>

// Image types of a decode request.
constexpr uint32_t kImageTypeBmp = 0;
constexpr uint32_t kImageTypeJpeg = 1;
constexpr uint32_t kImageTypePng = 2;

// Index of the first GDI+ encoder whose MIME type is exactly `mimeType`, with its CLSID in
// `clsid`; -1 when there is none.
int FindEncoder(const wchar_t* mimeType, CLSID* clsid);

// true when the file now holds the strip; false when there is no encoder or the save failed.
// The HBITMAP stays the caller's.
bool WriteBmp(const std::wstring& path, HBITMAP bitmap);
bool WriteJpeg(const std::wstring& path, HBITMAP bitmap);
bool WritePng(const std::wstring& path, HBITMAP bitmap);

enum class ImageWriteResult { Written, UnknownType, Failed };

// The writer of the image type; an unknown type writes nothing (and is not a failure of
// the movie).
ImageWriteResult WriteStripImage(uint32_t imageType, const std::wstring& path, HBITMAP bitmap);
// The same from the strip's own GDI+ bitmap (drawn over black where it is transparent, as
// the HBITMAP is); the bitmap stays the caller's.
ImageWriteResult WriteStripImage(uint32_t imageType, const std::wstring& path, Gdiplus::Bitmap& strip);
