#include <gtest/gtest.h>

#include <windows.h>

#include "core/base/PathName.h"

namespace {

struct SplitCase {
    const wchar_t* path;
    const wchar_t* folder;
    const wchar_t* fileName;
    const wchar_t* extension;
    const wchar_t* withoutExtension;
};

const SplitCase kSplitCases[] = {
    {L"C:\\a\\b.mp4", L"C:\\a", L"b.mp4", L".mp4", L"C:\\a\\b"},
    {L"b.mp4", L"", L"b.mp4", L".mp4", L"b"},
    // A dot in a folder name counts when the file name has none.
    {L"C:\\x.y\\file", L"C:\\x.y", L"file", L".y\\file", L"C:\\x"},
    {L"C:\\a\\", L"C:\\a", L"", L"", L"C:\\a\\"},
    {L"", L"", L"", L"", L""},
    {L"C:\\動画\\作品.part1.avi", L"C:\\動画", L"作品.part1.avi", L".avi", L"C:\\動画\\作品.part1"},
};

TEST(PathName, SplitsPaths)
{
    for (const auto& c : kSplitCases) {
        SCOPED_TRACE(testing::Message() << "path index " << (&c - kSplitCases));
        EXPECT_EQ(PathName_CL::GetFolder(c.path), c.folder);
        EXPECT_EQ(PathName_CL::GetFileName(c.path), c.fileName);
        EXPECT_EQ(PathName_CL::GetExtension(c.path), c.extension);
        EXPECT_EQ(PathName_CL::RemoveExtension(c.path), c.withoutExtension);
    }
}

TEST(PathName, InvalidFileNameCharacters)
{
    for (const wchar_t* bad : {L"a:b", L"a\\b", L"a/b", L"a*", L"a?", L"\"a\"", L"<a", L"a>", L"a|b"})
        EXPECT_TRUE(PathName_CL::HasInvalidFileNameChar(bad)) << "index of " << bad[0];
    for (const wchar_t* good : {L"abc-def", L"", L"映画 (2024).mp4", L"a.b_c"})
        EXPECT_FALSE(PathName_CL::HasInvalidFileNameChar(good));
}

TEST(PathName, ModuleFolderHoldsTheTestProgram)
{
    std::wstring folder = PathName_CL::GetModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(GetFileAttributesW((folder + L"\\base_tests.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(LinkNameHash, StartsFromTheLengthAndWraps)
{
    EXPECT_EQ(LinkNameHash(L""), 0u);
    EXPECT_EQ(LinkNameHash(L"A"), 68u);
    EXPECT_EQ(LinkNameHash(L"AB"), (2u * 3 + 65) * 3 + 66);
    // Units above 0x7FFF are taken unsigned, and the sum wraps at 32 bits.
    uint32_t expected = 40;
    std::wstring longPath(40, L'\xFFFF');
    for (size_t i = 0; i < longPath.size(); ++i) expected = expected * 3 + 0xFFFF;
    EXPECT_EQ(LinkNameHash(longPath), expected);
}

}  // namespace
