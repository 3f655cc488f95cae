#include <thread>

#include "GrabberTestSupport.h"
#include "core/base/UniqueHandle.h"
#include "thumbnailer/ImageWriter.h"

namespace {

// A small strip with a colour on each side, in the decode thread's 5-5-5 layout, and the
// same as a GDI HBITMAP.
class StripBitmap {
public:
    StripBitmap() : strip(64, 16, PixelFormat16bppRGB555)
    {
        {
            Gdiplus::Graphics graphics(&strip);
            Gdiplus::SolidBrush red(Gdiplus::Color(255, 200, 0, 0));
            Gdiplus::SolidBrush blue(Gdiplus::Color(255, 0, 0, 200));
            graphics.FillRectangle(&red, 0, 0, 32, 16);
            graphics.FillRectangle(&blue, 32, 0, 32, 16);
        }
        strip.GetHBITMAP(Gdiplus::Color(255, 0, 0, 0), &handle);
    }
    ~StripBitmap() { DeleteObject(handle); }
    Gdiplus::Bitmap strip;
    HBITMAP handle = nullptr;
};

class ImageWriter : public StillforgeFolderTest {};

TEST_F(ImageWriter, EachTypeWritesItsFormatAndAnUnknownTypeWritesNothing)
{
    struct Case {
        uint32_t type;
        std::vector<uint8_t> magic;
        ImageWriteResult result;
    };
    const Case cases[] = {
        {kImageTypeBmp, {'B', 'M'}, ImageWriteResult::Written},
        {kImageTypeJpeg, {0xFF, 0xD8}, ImageWriteResult::Written},
        {kImageTypePng, {0x89, 0x50, 0x4E, 0x47}, ImageWriteResult::Written},
        {3, {}, ImageWriteResult::UnknownType},
    };
    StripBitmap strip;
    // The decode thread hands the writers its GDI+ strip; the HBITMAP form is the writers'
    // own. Both write the same kinds of file.
    for (const Case& c : cases) {
        for (bool fromHandle : {true, false}) {
            SCOPED_TRACE(testing::Message() << "type " << c.type << (fromHandle ? " from the HBITMAP" : " from the strip"));
            const std::wstring path = folder / (L"strip" + std::to_wstring(c.type) + (fromHandle ? L"h.img" : L"s.img"));
            const ImageWriteResult result = fromHandle ? WriteStripImage(c.type, path, strip.handle)
                                                       : WriteStripImage(c.type, path, strip.strip);
            EXPECT_EQ(result, c.result);
            const std::vector<uint8_t> bytes = ReadFileBytes(path);
            if (c.magic.empty()) {
                EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
                continue;
            }
            ASSERT_GE(bytes.size(), c.magic.size());
            EXPECT_TRUE(std::equal(c.magic.begin(), c.magic.end(), bytes.begin()));
            EXPECT_EQ(GetFileAttributesW((path + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
            // The strip reads back with its two halves.
            Gdiplus::Bitmap back(path.c_str());
            ASSERT_EQ(back.GetLastStatus(), Gdiplus::Ok);
            EXPECT_EQ(back.GetWidth(), 64u);
            Gdiplus::Color left;
            Gdiplus::Color right;
            back.GetPixel(8, 8, &left);
            back.GetPixel(56, 8, &right);
            EXPECT_GT(left.GetR(), 150);
            EXPECT_GT(right.GetB(), 150);
        }
    }
}

TEST_F(ImageWriter, FindEncoderKnowsTheThreeTypesAndNothingElse)
{
    CLSID clsid{};
    EXPECT_GE(FindEncoder(L"image/png", &clsid), 0);
    EXPECT_EQ(FindEncoder(L"image/PNG", &clsid), -1);
    EXPECT_EQ(FindEncoder(L"image/x-none", &clsid), -1);
}

// Reelvault loads the strip with GDI+, which keeps the file open while the image lives.
TEST_F(ImageWriter, SaveOverAHeldFileFailsAndLeavesTheOldFile)
{
    StripBitmap strip;
    const std::wstring path = folder / L"held.png";
    ASSERT_TRUE(WritePng(path, strip.handle));
    const std::vector<uint8_t> before = ReadFileBytes(path);
    {
        UniqueHandle holder(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_EQ(WriteStripImage(kImageTypeJpeg, path, strip.handle), ImageWriteResult::Failed);
    }
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(GetFileAttributesW((path + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(KilnLogText().find(L"(save) failed"), std::wstring::npos);
}

TEST_F(ImageWriter, SaveWaitsOutAReaderThatLetsGoSoon)
{
    StripBitmap strip;
    const std::wstring path = folder / L"briefly.png";
    ASSERT_TRUE(WritePng(path, strip.handle));
    auto* image = new Gdiplus::Bitmap(path.c_str());
    ASSERT_EQ(image->GetLastStatus(), Gdiplus::Ok);
    std::thread reader([image] {
        Sleep(150);
        delete image;
    });
    const bool written = WriteJpeg(path, strip.handle);
    reader.join();
    EXPECT_TRUE(written);
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
}

}  // namespace
