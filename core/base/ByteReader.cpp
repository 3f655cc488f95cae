#include "core/base/ByteReader.h"

#include <new>

ByteReader_CL::ByteReader_CL(const void* data, size_t size)
    : data_(static_cast<const uint8_t*>(data)), size_(data ? size : 0)
{
}

ByteReader_CL::ByteReader_CL(const std::vector<uint8_t>& bytes) : ByteReader_CL(bytes.data(), bytes.size()) {}

uint64_t ByteReader_CL::PeekLittleEndian(size_t offset, size_t width) const
{
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) value |= static_cast<uint64_t>(data_[offset + i]) << (8 * i);
    return value;
}

bool ByteReader_CL::PeekU32(uint32_t& value) const
{
    if (GetRemaining() < 4) return false;
    value = static_cast<uint32_t>(PeekLittleEndian(position_, 4));
    return true;
}

bool ByteReader_CL::ReadU32(uint32_t& value)
{
    if (!PeekU32(value)) return false;
    position_ += 4;
    return true;
}

bool ByteReader_CL::ReadI32(int32_t& value)
{
    uint32_t raw;
    if (!ReadU32(raw)) return false;
    value = static_cast<int32_t>(raw);
    return true;
}

bool ByteReader_CL::ReadI64(int64_t& value)
{
    if (GetRemaining() < 8) return false;
    value = static_cast<int64_t>(PeekLittleEndian(position_, 8));
    position_ += 8;
    return true;
}

bool ByteReader_CL::ReadString(std::wstring& text)
{
    uint32_t units;
    if (!PeekU32(units)) return false;
    // Compared as a unit count, so 2n + 2 cannot wrap for any n.
    const size_t left = GetRemaining() - 4;
    if (left < 2 || units > (left - 2) / 2) return false;

    const uint8_t* p = data_ + position_ + 4;
    size_t length = 0;
    while (length < units && (p[2 * length] | p[2 * length + 1]) != 0) ++length;
    try {
        std::wstring read(length, L'\0');
        for (size_t i = 0; i < length; ++i)
            read[i] = static_cast<wchar_t>(p[2 * i] | (p[2 * i + 1] << 8));
        text.swap(read);
    } catch (const std::bad_alloc&) {
        text.clear();
    }
    position_ += 4 + 2 * static_cast<size_t>(units) + 2;
    return true;
}

bool ByteReader_CL::ReadFixedString(std::wstring& text, size_t width)
{
    if (width >= GetRemaining() / 2) return false;
    const uint8_t* p = data_ + position_;
    size_t length = 0;
    while (length < width && (p[2 * length] | p[2 * length + 1]) != 0) ++length;
    std::wstring read(length, L'\0');
    for (size_t i = 0; i < length; ++i) read[i] = static_cast<wchar_t>(p[2 * i] | (p[2 * i + 1] << 8));
    text.swap(read);
    position_ += 2 * width + 2;
    return true;
}

bool ByteReader_CL::ReadCount(uint32_t& count, size_t minElementSize)
{
    uint32_t value;
    if (!PeekU32(value)) return false;
    const size_t left = GetRemaining() - 4;
    if (minElementSize != 0 && value > left / minElementSize) return false;
    count = value;
    position_ += 4;
    return true;
}

template <class T>
bool ByteReader_CL::ReadList(std::vector<T>& values, bool (ByteReader_CL::*readOne)(T&))
{
    const size_t start = position_;
    uint32_t count;
    if (!ReadCount(count, sizeof(T))) return false;
    try {
        std::vector<T> read(count);
        for (auto& value : read) (this->*readOne)(value);
        values.swap(read);
    } catch (const std::bad_alloc&) {
        position_ = start;
        return false;
    }
    return true;
}

bool ByteReader_CL::ReadU32List(std::vector<uint32_t>& values) { return ReadList(values, &ByteReader_CL::ReadU32); }

bool ByteReader_CL::ReadI64List(std::vector<int64_t>& values) { return ReadList(values, &ByteReader_CL::ReadI64); }
