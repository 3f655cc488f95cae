#pragma once
// Little-endian reader over bytes that came from outside (a pipe payload, a queue file).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Every length and count is checked against what is left before it is used, so no input
// can make it read past the end or reserve more memory than the input itself holds.
// A read that fails leaves the position and its output untouched.
class ByteReader_CL {
public:
    ByteReader_CL(const void* data, size_t size);
    explicit ByteReader_CL(const std::vector<uint8_t>& bytes);

    bool ReadU32(uint32_t& value);
    bool ReadI32(int32_t& value);
    bool ReadI64(int64_t& value);
    // The u32 at the current position, which stays where it is.
    bool PeekU32(uint32_t& value) const;

    // u32 n, then n + 1 UTF-16LE units: needs 2n + 2 bytes behind the count. The text ends
    // at the first 0 unit, so it holds at most n units.
    bool ReadString(std::wstring& text);

    // width + 1 units (2 * width + 2 bytes); the text ends at the first 0 unit, and unit
    // `width` counts as 0 whatever it holds.
    bool ReadFixedString(std::wstring& text, size_t width);

    // A list count whose elements, each at least minElementSize bytes, fit in what is left.
    bool ReadCount(uint32_t& count, size_t minElementSize);
    bool ReadU32List(std::vector<uint32_t>& values);
    bool ReadI64List(std::vector<int64_t>& values);

    size_t GetPosition() const { return position_; }
    size_t GetRemaining() const { return size_ - position_; }

private:
    uint64_t PeekLittleEndian(size_t offset, size_t width) const;
    template <class T>
    bool ReadList(std::vector<T>& values, bool (ByteReader_CL::*readOne)(T&));

    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};
