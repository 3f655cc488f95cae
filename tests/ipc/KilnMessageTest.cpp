#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "core/ipc/Kiln_RequestDecodePriorityRequest.h"
#include "core/ipc/Kiln_RequestDecodeRequest.h"
#include "core/ipc/Kiln_RequestDeleteRequest.h"
#include "core/ipc/Kiln_ResponseDecode.h"
#include "tests/ipc/IpcTestSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Record = std::unique_ptr<Kiln_RequestBase_CL>;

Bytes SaveBytes(const Kiln_RequestBase_CL& record)
{
    ByteWriter_CL out;
    EXPECT_EQ(record.Save(out), S_OK);
    return out.GetBytes();
}

Bytes Golden(const wchar_t* name)
{
    Bytes bytes = ipctest::ReadWholeFile(ipctest::BesideTests(std::wstring(L"ipc_golden\\") + name));
    EXPECT_FALSE(bytes.empty()) << "golden file missing";
    return bytes;
}

// The same values as kiln_golden.py.
Record FilledDecodeRequest()
{
    auto request = std::make_unique<Kiln_RequestDecodeRequest_CL>();
    request->replaceFlag = 1;
    request->imageType = 1;
    request->frameWidth = 256;
    request->frameHeight = 144;
    Kiln_RequestDecodeRequest_CL::DecodeItem_CL first;
    first.decodeKey = 5;
    first.moviePath = L"C:\\動画\\作品 \U00020BB7.mp4";
    first.outputPath = L"C:\\Users\\x\\ALBUM_0001\\contents\\042\\作品.jpg";
    first.positions = {-1, -2, 0, 150000000, INT64_MAX, INT64_MIN};
    Kiln_RequestDecodeRequest_CL::DecodeItem_CL second;
    second.decodeKey = 0xFFFFFFFE;
    request->items = {first, second};
    return request;
}

Record FilledResponse()
{
    auto response = std::make_unique<Kiln_ResponseDecode_CL>();
    response->request_id = 9;
    response->errorFlag = 1;
    response->decode_count = 3;
    response->request_count = 12;
    response->duration = 6000000000LL;
    response->positions = {0, 10000000, -1};
    return response;
}

template <class T>
Record KeyList(std::vector<uint32_t> keys)
{
    auto request = std::make_unique<T>();
    request->keys = std::move(keys);
    return request;
}

template <class T>
Record Empty()
{
    return std::make_unique<T>();
}

struct GoldenCase {
    const wchar_t* file;
    std::function<Record()> filled;
    std::function<Record()> empty;
};

const GoldenCase kGoldenCases[] = {
    {L"delete.bin", [] { return KeyList<Kiln_RequestDeleteRequest_CL>({1, 2, 0xFFFFFFFF}); },
     Empty<Kiln_RequestDeleteRequest_CL>},
    {L"priority.bin", [] { return KeyList<Kiln_RequestDecodePriorityRequest_CL>({7}); },
     Empty<Kiln_RequestDecodePriorityRequest_CL>},
    {L"priority_empty.bin", [] { return KeyList<Kiln_RequestDecodePriorityRequest_CL>({}); },
     Empty<Kiln_RequestDecodePriorityRequest_CL>},
    {L"decode.bin", FilledDecodeRequest, Empty<Kiln_RequestDecodeRequest_CL>},
    {L"decode_empty.bin", Empty<Kiln_RequestDecodeRequest_CL>, Empty<Kiln_RequestDecodeRequest_CL>},
    {L"response.bin", FilledResponse, Empty<Kiln_ResponseDecode_CL>},
};

TEST(KilnMessage, SaveMatchesTheIndependentEncoding)
{
    for (const auto& c : kGoldenCases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - kGoldenCases));
        EXPECT_EQ(SaveBytes(*c.filled()), Golden(c.file));
    }
}

TEST(KilnMessage, LoadGivesTheFieldsBack)
{
    for (const auto& c : kGoldenCases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - kGoldenCases));
        Bytes golden = Golden(c.file);
        ByteReader_CL in(golden);
        Record record = c.empty();
        EXPECT_EQ(PeekKilnMessageType(in), record->kind);
        EXPECT_EQ(in.GetPosition(), 0u);
        ASSERT_EQ(record->Load(in), S_OK);
        EXPECT_EQ(in.GetRemaining(), 0u);
        // Saving what was loaded gives the same bytes only when no field was lost.
        EXPECT_EQ(SaveBytes(*record), golden);
    }

    Bytes golden = Golden(L"decode.bin");
    ByteReader_CL in(golden);
    Kiln_RequestDecodeRequest_CL request;
    ASSERT_EQ(request.Load(in), S_OK);
    ASSERT_EQ(request.items.size(), 2u);
    EXPECT_EQ(request.items[0].moviePath, L"C:\\動画\\作品 \U00020BB7.mp4");
    EXPECT_EQ(request.items[0].positions.back(), INT64_MIN);
    EXPECT_EQ(request.items[1].decodeKey, 0xFFFFFFFEu);
    EXPECT_TRUE(request.items[1].outputPath.empty());
}

TEST(KilnMessage, EmptyStringAndEmptyDecodeRequestSizes)
{
    ByteWriter_CL out;
    out.WriteString(L"");
    EXPECT_EQ(out.GetBytes(), (Bytes{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(SaveBytes(Kiln_RequestDecodeRequest_CL()).size(), 24u);
}

TEST(KilnMessage, PeekNeedsFourBytes)
{
    const uint8_t bytes[] = {3, 0, 0, 0};
    EXPECT_EQ(PeekKilnMessageType(ByteReader_CL(bytes, 3)), 0u);
    EXPECT_EQ(PeekKilnMessageType(ByteReader_CL(bytes, 4)), 3u);
    EXPECT_EQ(PeekKilnMessageType(ByteReader_CL(nullptr, 0)), 0u);
}

TEST(KilnMessage, StringTextEndsAtTheFirstZeroUnit)
{
    // n = 3 but a 0 unit after "A": the text is "A" and all 2n + 2 bytes are consumed.
    const Bytes bytes = {3, 0, 0, 0, 'A', 0, 0, 0, 'B', 0, 0, 0, 7, 7, 7, 7};
    ByteReader_CL in(bytes);
    std::wstring text = L"old";
    ASSERT_TRUE(in.ReadString(text));
    EXPECT_EQ(text, L"A");
    EXPECT_EQ(in.GetRemaining(), 4u);
}

// Builders of hostile payloads.
Bytes U32s(std::initializer_list<uint32_t> values)
{
    ByteWriter_CL out;
    for (uint32_t v : values) out.WriteU32(v);
    return out.GetBytes();
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes WholeItem(uint32_t key)
{
    Kiln_RequestDecodeRequest_CL::DecodeItem_CL item;
    item.decodeKey = key;
    ByteWriter_CL out;
    item.Save(out);
    return out.GetBytes();
}

struct HostileCase {
    const char* name;
    Bytes payload;
    std::function<Record()> make;
    std::function<void(const Kiln_RequestBase_CL&)> check;
};

const Kiln_RequestDecodeRequest_CL& AsDecode(const Kiln_RequestBase_CL& r)
{
    return static_cast<const Kiln_RequestDecodeRequest_CL&>(r);
}
const Kiln_ResponseDecode_CL& AsResponse(const Kiln_RequestBase_CL& r)
{
    return static_cast<const Kiln_ResponseDecode_CL&>(r);
}
const Kiln_RequestKeyList_CL& AsKeys(const Kiln_RequestBase_CL& r)
{
    return static_cast<const Kiln_RequestKeyList_CL&>(r);
}

std::vector<HostileCase> HostileCases()
{
    const Bytes decodeHeader = U32s({2, 1, 1, 256, 144});
    return {
        {"three bytes", {3, 0, 0}, Empty<Kiln_ResponseDecode_CL>,
         [](const Kiln_RequestBase_CL& r) {
             EXPECT_EQ(r.kind, 3u);
             EXPECT_EQ(AsResponse(r).request_id, 0u);
             EXPECT_TRUE(AsResponse(r).positions.empty());
         }},
        {"key count 0xFFFFFFFF", U32s({1, 0xFFFFFFFF, 1, 2}), Empty<Kiln_RequestDeleteRequest_CL>,
         [](const Kiln_RequestBase_CL& r) { EXPECT_TRUE(AsKeys(r).keys.empty()); }},
        {"item count 0xFFFFFFFF", Concat(decodeHeader, U32s({0xFFFFFFFF})), Empty<Kiln_RequestDecodeRequest_CL>,
         [](const Kiln_RequestBase_CL& r) {
             EXPECT_EQ(AsDecode(r).frameHeight, 144u);
             EXPECT_TRUE(AsDecode(r).items.empty());
         }},
        {"string length past the end", Concat(decodeHeader, U32s({1, 5, 1000, 0x00410041})),
         Empty<Kiln_RequestDecodeRequest_CL>,
         [](const Kiln_RequestBase_CL& r) { EXPECT_TRUE(AsDecode(r).items.empty()); }},
        // (n + 1) * 2 wraps to 0 in 32 bits for this n.
        {"string length that wraps", Concat(decodeHeader, U32s({1, 5, 0xFFFFFFFF, 0, 0, 0, 0})),
         Empty<Kiln_RequestDecodeRequest_CL>,
         [](const Kiln_RequestBase_CL& r) { EXPECT_TRUE(AsDecode(r).items.empty()); }},
        {"position count past the end", U32s({3, 9, 0, 1, 2, 0, 0, 1000, 1, 0, 2, 0}), Empty<Kiln_ResponseDecode_CL>,
         [](const Kiln_RequestBase_CL& r) {
             EXPECT_EQ(AsResponse(r).request_id, 9u);
             EXPECT_TRUE(AsResponse(r).positions.empty());
         }},
        // Room for two items of the smallest size, but the second one's path runs past the end.
        {"second item cut", Concat(decodeHeader, Concat(U32s({2}), Concat(WholeItem(7), U32s({8, 50, 0, 0, 0, 0})))),
         Empty<Kiln_RequestDecodeRequest_CL>,
         [](const Kiln_RequestBase_CL& r) {
             ASSERT_EQ(AsDecode(r).items.size(), 1u);
             EXPECT_EQ(AsDecode(r).items[0].decodeKey, 7u);
         }},
    };
}

TEST(KilnMessage, HostilePayloadsStopAndLeaveDefaults)
{
    for (const auto& c : HostileCases()) {
        SCOPED_TRACE(c.name);
        ByteReader_CL in(c.payload);
        Record record = c.make();
        EXPECT_EQ(record->Load(in), E_FAIL);
        c.check(*record);
    }
}

TEST(KilnMessage, EveryCutOfAValidMessageFails)
{
    for (const auto& c : kGoldenCases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - kGoldenCases));
        Bytes golden = Golden(c.file);
        for (size_t length = 0; length < golden.size(); ++length) {
            ByteReader_CL in(golden.data(), length);
            EXPECT_EQ(c.empty()->Load(in), E_FAIL) << "length " << length;
        }
    }
}

TEST(KilnMessage, RandomBytesNeverReadPastTheInput)
{
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    const std::function<Record()> makers[] = {Empty<Kiln_RequestDeleteRequest_CL>, Empty<Kiln_RequestDecodeRequest_CL>,
                                              Empty<Kiln_ResponseDecode_CL>,
                                              Empty<Kiln_RequestDecodePriorityRequest_CL>};
    for (int round = 0; round < 4000; ++round) {
        Bytes bytes(next() % 300);
        for (auto& b : bytes) b = static_cast<uint8_t>(next());
        // Small counts now and then, so that the readers get past the first field.
        if (bytes.size() > 24 && next() % 2) bytes[20] = bytes[21] = bytes[22] = 0, bytes[23] = 0;
        for (const auto& make : makers) {
            ByteReader_CL in(bytes);
            Record record = make();
            record->Load(in);
            EXPECT_LE(in.GetPosition(), bytes.size());
            // Whatever was read fits in the input: no list is larger than its bytes allow.
            EXPECT_LE(SaveBytes(*record).size(), bytes.size() + 64);
        }
    }
}

}  // namespace
