#include "core/media/PixelConversion.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

// Keeps every figure far from overflowing the 32-bit products below.
constexpr int kMaxSide = 16384;

bool CommonLayoutIsSane(const YuvFrameLayout& source, const BgrxTarget& target)
{
    if (!source.data || !target.data) return false;
    if (source.width <= 0 || source.height <= 0 || source.width > kMaxSide || source.height > kMaxSide) return false;
    if (source.stride <= 0 || source.stride > kMaxSide * 4) return false;
    return target.stride >= source.width * 4;
}

// Bytes needed for `rows` rows of `stride` whose last row holds only `lastRowBytes`.
uint64_t NeededBytes(uint64_t stride, uint64_t rows, uint64_t lastRowBytes)
{
    return rows == 0 ? 0 : stride * (rows - 1) + lastRowBytes;
}

uint8_t Clamp(int value) { return static_cast<uint8_t>(std::min(255, std::max(0, value))); }

uint32_t* TargetRow(const BgrxTarget& target, int row)
{
    return reinterpret_cast<uint32_t*>(target.data + static_cast<size_t>(row) * target.stride);
}

int LumaRows(const YuvFrameLayout& source) { return std::max(source.lumaRows, source.height); }

// The reduced target must hold the reduced width; the source is checked by the caller.
bool ReducedLayoutIsSane(const YuvFrameLayout& source, int factor, const BgrxTarget& target)
{
    if (!source.data || !target.data || factor < 1) return false;
    if (source.width <= 0 || source.height <= 0 || source.width > kMaxSide || source.height > kMaxSide) return false;
    if (source.stride <= 0 || source.stride > kMaxSide * 4) return false;
    return target.stride >= ReducedSide(source.width, factor) * 4;
}

// The block means of a source already checked: rowOf(top-down row) gives a row's bytes,
// add(row, pixel, sums) adds one pixel's three channels, pixelOf(means) makes the target
// pixel.
template <typename RowOf, typename Add, typename PixelOf>
void ReduceBlocks(const YuvFrameLayout& source, int factor, const BgrxTarget& target, RowOf rowOf, Add add,
                  PixelOf pixelOf)
{
    // A picture smaller than one block is one block of what there is.
    const int blockWidth = std::min(factor, source.width);
    const int blockHeight = std::min(factor, source.height);
    const int width = ReducedSide(source.width, factor);
    const int height = ReducedSide(source.height, factor);
    const uint64_t count = static_cast<uint64_t>(blockWidth) * blockHeight;
    // 64-bit sums: a block may be as large as the whole picture.
    std::vector<uint64_t> sums(static_cast<size_t>(width) * 3);
    for (int row = 0; row < height; ++row) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int k = 0; k < blockHeight; ++k) {
            const BYTE* in = rowOf(row * blockHeight + k);
            for (int x = 0; x < width; ++x)
                for (int px = x * blockWidth; px < (x + 1) * blockWidth; ++px) add(in, px, &sums[static_cast<size_t>(x) * 3]);
        }
        uint32_t* out = TargetRow(target, row);
        for (int x = 0; x < width; ++x) {
            const uint64_t* sum = &sums[static_cast<size_t>(x) * 3];
            out[x] = pixelOf(static_cast<int>((sum[0] + count / 2) / count), static_cast<int>((sum[1] + count / 2) / count),
                             static_cast<int>((sum[2] + count / 2) / count));
        }
    }
}

}  // namespace

size_t FrameByteCount(int32_t width, int32_t height, int32_t bytesPerPixel)
{
    if (width <= 0 || height <= 0 || bytesPerPixel <= 0) return 0;
    const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * bytesPerPixel;
    return bytes > INT32_MAX ? 0 : static_cast<size_t>(bytes);
}

uint32_t YuvToBgrx(int y, int u, int v)
{
    const int c = 298 * (y - 16);
    const int d = u - 128;
    const int e = v - 128;
    const uint8_t r = Clamp((c + 409 * e + 128) >> 8);
    const uint8_t g = Clamp((c - 100 * d - 208 * e + 128) >> 8);
    const uint8_t b = Clamp((c + 516 * d + 128) >> 8);
    return 0xFF000000u | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
}

bool ConvertYuy2ToBgrx(const YuvFrameLayout& source, const BgrxTarget& target)
{
    if (!CommonLayoutIsSane(source, target)) return false;
    // An odd last pixel still comes with its pair's four bytes.
    const uint64_t rowBytes = static_cast<uint64_t>((source.width + 1) / 2) * 4;
    if (static_cast<uint64_t>(source.stride) < rowBytes) return false;
    if (source.length < NeededBytes(source.stride, source.height, rowBytes)) return false;

    for (int row = 0; row < source.height; ++row) {
        const BYTE* in = source.data + static_cast<size_t>(row) * source.stride;
        uint32_t* out = TargetRow(target, row);
        for (int x = 0; x < source.width; x += 2, in += 4) {
            out[x] = YuvToBgrx(in[0], in[1], in[3]);
            if (x + 1 < source.width) out[x + 1] = YuvToBgrx(in[2], in[1], in[3]);
        }
    }
    return true;
}

bool ConvertNv12ToBgrx(const YuvFrameLayout& source, const BgrxTarget& target)
{
    if (!CommonLayoutIsSane(source, target)) return false;
    const uint64_t chromaRowBytes = static_cast<uint64_t>((source.width + 1) / 2) * 2;
    if (static_cast<uint64_t>(source.stride) < chromaRowBytes) return false;
    const uint64_t lumaBytes = static_cast<uint64_t>(source.stride) * LumaRows(source);
    const int chromaRows = (source.height + 1) / 2;
    if (source.length < lumaBytes + NeededBytes(source.stride, chromaRows, chromaRowBytes)) return false;

    const BYTE* chroma = source.data + lumaBytes;
    for (int row = 0; row < source.height; ++row) {
        const BYTE* luma = source.data + static_cast<size_t>(row) * source.stride;
        const BYTE* uv = chroma + static_cast<size_t>(row / 2) * source.stride;
        uint32_t* out = TargetRow(target, row);
        for (int x = 0; x < source.width; ++x) {
            const BYTE* pair = uv + (x / 2) * 2;
            out[x] = YuvToBgrx(luma[x], pair[0], pair[1]);
        }
    }
    return true;
}

bool ConvertI420ToBgrx(const YuvFrameLayout& source, const BgrxTarget& target)
{
    if (!CommonLayoutIsSane(source, target)) return false;
    const int chromaStride = source.stride / 2;
    const uint64_t chromaRowBytes = static_cast<uint64_t>((source.width + 1) / 2);
    if (static_cast<uint64_t>(chromaStride) < chromaRowBytes) return false;
    const uint64_t lumaBytes = static_cast<uint64_t>(source.stride) * LumaRows(source);
    const uint64_t chromaPlane = static_cast<uint64_t>(chromaStride) * ((LumaRows(source) + 1) / 2);
    const int chromaRows = (source.height + 1) / 2;
    if (source.length < lumaBytes + chromaPlane + NeededBytes(chromaStride, chromaRows, chromaRowBytes)) return false;

    const BYTE* planeU = source.data + lumaBytes;
    const BYTE* planeV = planeU + chromaPlane;
    for (int row = 0; row < source.height; ++row) {
        const BYTE* luma = source.data + static_cast<size_t>(row) * source.stride;
        const size_t chromaOffset = static_cast<size_t>(row / 2) * chromaStride;
        uint32_t* out = TargetRow(target, row);
        for (int x = 0; x < source.width; ++x) out[x] = YuvToBgrx(luma[x], planeU[chromaOffset + x / 2], planeV[chromaOffset + x / 2]);
    }
    return true;
}

int ReducedSide(int side, int factor)
{
    if (side <= 0 || factor < 1) return 0;
    return std::max(1, side / factor);
}

bool ReduceYuy2ToBgrx(const YuvFrameLayout& source, int factor, const BgrxTarget& target)
{
    if (!ReducedLayoutIsSane(source, factor, target)) return false;
    const uint64_t rowBytes = static_cast<uint64_t>((source.width + 1) / 2) * 4;
    if (static_cast<uint64_t>(source.stride) < rowBytes) return false;
    if (source.length < NeededBytes(source.stride, source.height, rowBytes)) return false;
    // Averaged as Y, U and V, so that each block is converted once.
    ReduceBlocks(
        source, factor, target, [&](int row) { return source.data + static_cast<size_t>(row) * source.stride; },
        [](const BYTE* in, int px, uint64_t* sum) {
            const BYTE* pair = in + static_cast<size_t>(px / 2) * 4;
            sum[0] += pair[(px & 1) ? 2 : 0];
            sum[1] += pair[1];
            sum[2] += pair[3];
        },
        [](int y, int u, int v) { return YuvToBgrx(y, u, v); });
    return true;
}

bool ReduceRgb32ToBgrx(const YuvFrameLayout& source, bool bottomUp, int factor, const BgrxTarget& target)
{
    if (!ReducedLayoutIsSane(source, factor, target)) return false;
    const uint64_t rowBytes = static_cast<uint64_t>(source.width) * 4;
    if (static_cast<uint64_t>(source.stride) < rowBytes) return false;
    if (source.length < NeededBytes(source.stride, source.height, rowBytes)) return false;
    ReduceBlocks(
        source, factor, target,
        [&](int row) {
            const int sourceRow = bottomUp ? source.height - 1 - row : row;
            return source.data + static_cast<size_t>(sourceRow) * source.stride;
        },
        [](const BYTE* in, int px, uint64_t* sum) {
            const BYTE* pixel = in + static_cast<size_t>(px) * 4;
            sum[0] += pixel[0];
            sum[1] += pixel[1];
            sum[2] += pixel[2];
        },
        [](int b, int g, int r) {
            return 0xFF000000u | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
        });
    return true;
}

bool CopyRgb32ToBgrx(const YuvFrameLayout& source, bool bottomUp, const BgrxTarget& target)
{
    if (!CommonLayoutIsSane(source, target)) return false;
    const uint64_t rowBytes = static_cast<uint64_t>(source.width) * 4;
    if (static_cast<uint64_t>(source.stride) < rowBytes) return false;
    if (source.length < NeededBytes(source.stride, source.height, rowBytes)) return false;
    for (int row = 0; row < source.height; ++row) {
        const int sourceRow = bottomUp ? source.height - 1 - row : row;
        const BYTE* in = source.data + static_cast<size_t>(sourceRow) * source.stride;
        uint32_t* out = TargetRow(target, row);
        std::memcpy(out, in, static_cast<size_t>(rowBytes));
        // The fourth byte of RGB32 is undefined; GDI+ bitmaps of this program are opaque.
        for (int x = 0; x < source.width; ++x) out[x] |= 0xFF000000u;
    }
    return true;
}
