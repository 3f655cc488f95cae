#include "GrabberTestSupport.h"
#include "thumbnailer/DecodeErrorList.h"

namespace {

class DecodeErrorList : public StillforgeFolderTest {
protected:
    int Count() { return static_cast<int>(ThumbnailIni.ReadInt(kDecodeErrorSection, L"decode_err_path_count", 0)); }
    std::wstring Entry(int index)
    {
        return ThumbnailIni.ReadString(kDecodeErrorSection, (L"decode_err_path_" + std::to_wstring(index)).c_str(), L"");
    }
};

TEST_F(DecodeErrorList, AppendsEachMovieOnceIgnoringLetterCase)
{
    AddDecodeError(L"C:\\Movies\\映画 A.mp4");
    AddDecodeError(L"C:\\Movies\\B.avi");
    AddDecodeError(L"c:\\movies\\映画 a.MP4");
    AddDecodeError(L"");
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Entry(1), L"C:\\Movies\\映画 A.mp4");
    EXPECT_EQ(Entry(2), L"C:\\Movies\\B.avi");
    const std::wstring log = KilnLogText();
    EXPECT_EQ(CountOccurrences(log, L"(decode-error-ini) append index="), 2u);
    EXPECT_NE(log.find(L"(decode-error-ini) append index=2 file(C:\\Movies\\B.avi)"), std::wstring::npos);
}

TEST_F(DecodeErrorList, StopsAtFiveHundredAndOnlyLogsTheNext)
{
    ThumbnailIni.WriteInt(499, kDecodeErrorSection, L"decode_err_path_count");
    AddDecodeError(L"C:\\the500th.mp4");
    EXPECT_EQ(Count(), 500);
    EXPECT_EQ(Entry(500), L"C:\\the500th.mp4");

    AddDecodeError(L"C:\\the501st.mp4");
    EXPECT_EQ(Count(), 500);
    EXPECT_EQ(Entry(501), L"");
    EXPECT_NE(DecodeListText().find(L"(decode-error-ini) skip max=500 file(C:\\the501st.mp4)"), std::wstring::npos);
    // A movie already in the full list is found, not logged as skipped.
    AddDecodeError(L"c:\\THE500TH.mp4");
    EXPECT_EQ(CountOccurrences(DecodeListText(), L"skip max=500"), 1u);
}

TEST_F(DecodeErrorList, ReadsANegativeCountAsEmpty)
{
    ThumbnailIni.WriteString(kDecodeErrorSection, L"decode_err_path_count", L"-7");
    AddDecodeError(L"C:\\first.mp4");
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Entry(1), L"C:\\first.mp4");
}

TEST_F(DecodeErrorList, KeepsTheFileUtf16EvenWhenItWasDeleted)
{
    ASSERT_TRUE(DeleteFileW(ThumbnailIni.GetPath().c_str()));
    AddDecodeError(L"D:\\動画\\テスト.mkv");
    const std::vector<uint8_t> bytes = ReadFileBytes(ThumbnailIni.GetPath());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_NE(ReadUtf16File(ThumbnailIni.GetPath()).find(L"decode_err_path_1=D:\\動画\\テスト.mkv"), std::wstring::npos);
}

}  // namespace
