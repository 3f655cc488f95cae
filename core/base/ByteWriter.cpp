#include "core/base/ByteWriter.h"

#include <algorithm>

void ByteWriter_CL::WriteLittleEndian(uint64_t value, size_t width)
{
    for (size_t i = 0; i < width; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void ByteWriter_CL::WriteU32(uint32_t value) { WriteLittleEndian(value, 4); }

void ByteWriter_CL::WriteI32(int32_t value) { WriteLittleEndian(static_cast<uint32_t>(value), 4); }

void ByteWriter_CL::WriteI64(int64_t value) { WriteLittleEndian(static_cast<uint64_t>(value), 8); }

void ByteWriter_CL::WriteString(const std::wstring& text)
{
    WriteU32(static_cast<uint32_t>(text.size()));
    for (wchar_t unit : text) WriteLittleEndian(static_cast<uint16_t>(unit), 2);
    WriteLittleEndian(0, 2);
}

void ByteWriter_CL::WriteFixedString(const std::wstring& text, size_t width)
{
    const size_t length = std::min(text.size(), width);
    for (size_t i = 0; i < length; ++i) WriteLittleEndian(static_cast<uint16_t>(text[i]), 2);
    if (length < width) WriteLittleEndian(0, 2);
    for (size_t i = length + 1; i < width; ++i) WriteLittleEndian(0x5555, 2);
    WriteLittleEndian(0, 2);
}

void ByteWriter_CL::WriteU32List(const std::vector<uint32_t>& values)
{
    WriteU32(static_cast<uint32_t>(values.size()));
    for (uint32_t value : values) WriteU32(value);
}

void ByteWriter_CL::WriteI64List(const std::vector<int64_t>& values)
{
    WriteU32(static_cast<uint32_t>(values.size()));
    for (int64_t value : values) WriteI64(value);
}
