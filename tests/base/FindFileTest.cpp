#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/base/FindFile.h"
#include "tests/common/TempFolder.h"

namespace {

// Records every call as one line.
class RecordingWalk : public FindFile_CL {
public:
    std::vector<std::wstring> events;

protected:
    void OnEnterFolder(const std::wstring& folder, const wchar_t* name) override
    {
        events.push_back(L"enter " + folder + L" | " + name);
    }
    void OnFile(const std::wstring& folder, const WIN32_FIND_DATAW* data) override
    {
        events.push_back(L"file " + folder + L"\\" + data->cFileName);
    }
    void OnLeaveFolder() override { events.push_back(L"leave"); }
};

void Touch(const std::wstring& path)
{
    ASSERT_TRUE(WriteFileBytes(path, {'x'}));
}

TEST(FindFile, NestedFoldersInDepthFirstOrder)
{
    TempFolder root;
    CreateDirectoryW((root / L"a").c_str(), nullptr);
    CreateDirectoryW((root / L"a\\b").c_str(), nullptr);
    Touch(root / L"a\\b\\movie.mp4");

    RecordingWalk walk;
    EXPECT_EQ(walk.Find(TRUE, root / L"*.*"), 0);
    const std::wstring r = root.Path();
    std::vector<std::wstring> expected = {
        L"enter " + r + L" | " + r,
        L"enter " + r + L" | a",
        L"enter " + r + L"\\a | b",
        L"file " + r + L"\\a\\b\\movie.mp4",
        L"leave",
        L"leave",
        L"leave",
    };
    EXPECT_EQ(walk.events, expected);
    EXPECT_EQ(walk.GetPattern(), L"*.*");
    EXPECT_EQ(walk.GetRootFolder(), r);
}

TEST(FindFile, PatternAppliesToFoldersToo)
{
    TempFolder root;
    CreateDirectoryW((root / L"sub").c_str(), nullptr);
    CreateDirectoryW((root / L"clips.mp4").c_str(), nullptr);
    Touch(root / L"top.mp4");
    Touch(root / L"top.avi");
    Touch(root / L"sub\\inner.mp4");
    Touch(root / L"clips.mp4\\deep.mp4");

    RecordingWalk walk;
    walk.Find(TRUE, root / L"*.mp4");
    std::vector<std::wstring> files;
    for (const auto& e : walk.events)
        if (e.rfind(L"file ", 0) == 0) files.push_back(e.substr(5));
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::wstring>{root / L"clips.mp4\\deep.mp4", root / L"top.mp4"}));
}

TEST(FindFile, NonRecursiveWalkStaysInTheStartFolder)
{
    TempFolder root;
    CreateDirectoryW((root / L"sub").c_str(), nullptr);
    Touch(root / L"one.txt");
    Touch(root / L"sub\\two.txt");

    RecordingWalk walk;
    walk.Find(FALSE, root / L"*.*");
    const std::wstring r = root.Path();
    EXPECT_EQ(walk.events,
              (std::vector<std::wstring>{L"enter " + r + L" | " + r, L"file " + r + L"\\one.txt", L"leave"}));
}

TEST(FindFile, MissingFolderReportsNoFile)
{
    TempFolder root;
    RecordingWalk walk;
    EXPECT_EQ(walk.Find(TRUE, root / L"missing\\*.*"), 0);
    EXPECT_EQ(walk.events.size(), 2u);  // only the start folder's enter and leave
}

TEST(FindFile, OverlongStartPathIsRefusedWithoutCalls)
{
    RecordingWalk walk;
    std::wstring path = L"C:\\" + std::wstring(MAX_PATH, L'a') + L"\\*.*";
    EXPECT_EQ(walk.Find(TRUE, path), E_FAIL);
    EXPECT_TRUE(walk.events.empty());
    std::wstring edge = L"C:\\" + std::wstring(MAX_PATH - 7, L'a') + L"\\*.*";
    ASSERT_EQ(edge.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(walk.Find(TRUE, edge), E_FAIL);
}

TEST(FindFile, LinkCycleEnds)
{
    TempFolder root;
    CreateDirectoryW((root / L"a").c_str(), nullptr);
    Touch(root / L"a\\f.txt");
    if (!CreateSymbolicLinkW((root / L"a\\loop").c_str(), root.Path().c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
        GTEST_SKIP() << "no folder links here, error " << GetLastError();
    RecordingWalk walk;
    walk.Find(TRUE, root / L"*.*");
    size_t files = std::count_if(walk.events.begin(), walk.events.end(),
                                 [](const std::wstring& e) { return e.rfind(L"file ", 0) == 0; });
    EXPECT_EQ(files, 1u);
}

}  // namespace
