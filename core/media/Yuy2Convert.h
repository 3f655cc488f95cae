#pragma once
// Frame sizes checked before a sample's bytes are read, and the packed YUY2 to BGRX conversion.
#include <cstddef>
#include <cstdint>

// Bytes of a width x height frame at `bytesPerPixel`; 0 when a size is not positive or the count
// passes INT32_MAX (a DIB section and a GDI+ stride cannot hold more).
size_t FrameByteCount(int32_t width, int32_t height, int32_t bytesPerPixel);

// Converts packed YUY2 rows (Y0 U Y1 V for each two pixels, no padding) into top-down BGRX rows
// with studio-range BT.601 coefficients. Returns false and writes nothing when the width is odd or
// a size is not positive, or when either buffer is shorter than the frame.
bool ConvertYuy2ToBgrx(const uint8_t* source, size_t sourceLength, int32_t width, int32_t height, uint8_t* target,
                       size_t targetLength);
