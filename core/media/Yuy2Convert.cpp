#include "core/media/Yuy2Convert.h"

#include <climits>

namespace {

uint8_t Clamp(int value) { return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value); }

void PutPixel(uint8_t* out, int y, int u, int v)
{
    // Right shifts of negative values are arithmetic with GCC, as the rounding here expects.
    const int c = 298 * (y - 16);
    const int d = u - 128;
    const int e = v - 128;
    out[0] = Clamp((c + 516 * d + 128) >> 8);
    out[1] = Clamp((c - 100 * d - 208 * e + 128) >> 8);
    out[2] = Clamp((c + 409 * e + 128) >> 8);
    out[3] = 0;
}

}  // namespace

size_t FrameByteCount(int32_t width, int32_t height, int32_t bytesPerPixel)
{
    if (width <= 0 || height <= 0 || bytesPerPixel <= 0) return 0;
    const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * bytesPerPixel;
    return bytes > INT32_MAX ? 0 : static_cast<size_t>(bytes);
}

bool ConvertYuy2ToBgrx(const uint8_t* source, size_t sourceLength, int32_t width, int32_t height, uint8_t* target,
                       size_t targetLength)
{
    if (!source || !target || width % 2 != 0) return false;
    const size_t need = FrameByteCount(width, height, 2);
    const size_t give = FrameByteCount(width, height, 4);
    if (need == 0 || give == 0 || sourceLength < need || targetLength < give) return false;
    for (size_t in = 0, out = 0; in < need; in += 4, out += 8) {
        const int u = source[in + 1];
        const int v = source[in + 3];
        PutPixel(target + out, source[in], u, v);
        PutPixel(target + out + 4, source[in + 2], u, v);
    }
    return true;
}
