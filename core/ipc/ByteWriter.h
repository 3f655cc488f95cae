#pragma once
// Little-endian writer into a growing byte buffer: the other half of ByteReader_CL.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ByteWriter_CL {
public:
    void WriteU32(uint32_t value);
    void WriteI32(int32_t value);
    void WriteI64(int64_t value);
    // u32 n = units without the terminator, then the n units and one 0 unit.
    void WriteString(const std::wstring& text);
    void WriteU32List(const std::vector<uint32_t>& values);
    void WriteI64List(const std::vector<int64_t>& values);

    const std::vector<uint8_t>& GetBytes() const { return bytes_; }
    size_t GetSize() const { return bytes_.size(); }

private:
    void WriteLittleEndian(uint64_t value, size_t width);

    std::vector<uint8_t> bytes_;
};
