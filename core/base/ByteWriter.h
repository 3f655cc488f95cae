#pragma once
// Little-endian writer into a growing byte buffer: the other half of ByteReader_CL.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Bytes each write adds, for the record sizes that files and messages pin.
constexpr size_t kU32Bytes = 4;
constexpr size_t kI64Bytes = 8;
constexpr size_t StringBytes(size_t units) { return kU32Bytes + 2 * (units + 1); }
constexpr size_t FixedStringBytes(size_t width) { return 2 * (width + 1); }

class ByteWriter_CL {
public:
    void WriteU32(uint32_t value);
    void WriteI32(int32_t value);
    void WriteI64(int64_t value);
    // u32 n = units without the terminator, then the n units and one 0 unit.
    void WriteString(const std::wstring& text);
    // Exactly width + 1 units: the text cut to width units, a 0 unit after a shorter
    // text, 0x5555 filling the rest, and unit `width` always 0.
    void WriteFixedString(const std::wstring& text, size_t width);
    void WriteU32List(const std::vector<uint32_t>& values);
    void WriteI64List(const std::vector<int64_t>& values);

    const std::vector<uint8_t>& GetBytes() const { return bytes_; }
    size_t GetSize() const { return bytes_.size(); }
    void Clear() { bytes_.clear(); }
    void Append(const ByteWriter_CL& other) { bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end()); }

private:
    void WriteLittleEndian(uint64_t value, size_t width);

    std::vector<uint8_t> bytes_;
};
