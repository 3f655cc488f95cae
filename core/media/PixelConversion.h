#pragma once
// Decoded video frames to 32-bit BGRX rows, for the GDI+ bitmaps of the frame grabbers.
// Decoders hand out YUV frames whose rows may be padded (the stride) and whose luma plane
// may hold more rows than the picture (planar formats aligned to 16 rows); every routine
// takes those real figures and refuses a buffer too short for them.
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Bytes of a width x height frame at `bytesPerPixel`; 0 when a size is not positive or the
// count passes INT32_MAX (a DIB section and a GDI+ stride cannot hold more).
size_t FrameByteCount(int32_t width, int32_t height, int32_t bytesPerPixel);

// The source frame as the decoder laid it out.
struct YuvFrameLayout {
    const BYTE* data = nullptr;
    size_t length = 0;   // bytes readable from data
    int stride = 0;      // bytes from one row to the next (the luma row for planar formats)
    int width = 0;       // picture size in pixels
    int height = 0;
    int lumaRows = 0;    // planar formats: rows in the luma plane (>= height); 0 = height
};

// The 32-bit destination: B, G, R and 0xFF per pixel, top-down.
struct BgrxTarget {
    BYTE* data = nullptr;
    int stride = 0;      // bytes from one row to the next, at least width x 4
};

// ITU-R BT.601 studio range to full-range R, G, B, in the integer form of the renderer's
// frames: C = 298 (Y - 16), D = U - 128, E = V - 128, each channel rounded and clamped.
uint32_t YuvToBgrx(int y, int u, int v);

// Packed Y0 U Y1 V; each pair of pixels shares U and V. false when the layout is impossible
// or the buffer is short.
bool ConvertYuy2ToBgrx(const YuvFrameLayout& source, const BgrxTarget& target);
// A luma plane, then one plane of interleaved U V at half height with the luma stride.
bool ConvertNv12ToBgrx(const YuvFrameLayout& source, const BgrxTarget& target);
// A luma plane, then the U plane and the V plane, each at half the stride and half height.
bool ConvertI420ToBgrx(const YuvFrameLayout& source, const BgrxTarget& target);
// Bottom-up (or top-down) 32-bit rows copied into the top-down target.
bool CopyRgb32ToBgrx(const YuvFrameLayout& source, bool bottomUp, const BgrxTarget& target);

// The picture made `factor` times smaller on each side, each target pixel the mean of its
// factor x factor block (a picture that is not a whole number of blocks loses its last
// columns and rows): ReducedSide(width, factor) x ReducedSide(height, factor) pixels. For a
// frame that only has to fill a small slot, this reads the source once and converts one
// pixel per block. false as the full-size routines, or when the factor is below 1.
int ReducedSide(int side, int factor);
bool ReduceYuy2ToBgrx(const YuvFrameLayout& source, int factor, const BgrxTarget& target);
bool ReduceRgb32ToBgrx(const YuvFrameLayout& source, bool bottomUp, int factor, const BgrxTarget& target);
