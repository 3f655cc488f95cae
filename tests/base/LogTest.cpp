#include <gtest/gtest.h>

#include <windows.h>

#include <thread>
#include <vector>

#include "core/base/Log.h"
#include "core/base/UniqueHandle.h"
#include "tests/common/TempFolder.h"

namespace {

// Splits the text after the FF FE mark at CR LF; a line without its CR LF shows as the last.
std::vector<std::wstring> LogLines(const std::wstring& path)
{
    std::wstring text = ReadUtf16File(path);
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool HasTimePrefix(const std::wstring& line)
{
    if (line.size() < 26) return false;
    const wchar_t* shape = L"dddd/dd/dd dd:dd:dd.ddd : ";
    for (int i = 0; i < 26; ++i) {
        if (shape[i] == L'd' ? !iswdigit(line[i]) : line[i] != shape[i]) return false;
    }
    return true;
}

// Makes a file of `size` bytes that starts with FF FE.
void MakeFileOfSize(const std::wstring& path, LONGLONG size)
{
    ASSERT_TRUE(WriteFileBytes(path, {0xFF, 0xFE}));
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    LARGE_INTEGER position;
    position.QuadPart = size;
    ASSERT_TRUE(SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file.get()));
}

LONGLONG FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

TEST(LogWriter, NewFileGetsMarkPrefixAndLineEnd)
{
    TempFolder folder;
    Logger log = {0x2000000, folder / L"log.txt"};
    WriteLog(log, L"開始 %s %d", L"アルバム", 42);

    std::vector<uint8_t> bytes = ReadFileBytes(log.path);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    std::vector<uint8_t> tail(bytes.end() - 4, bytes.end());
    EXPECT_EQ(tail, (std::vector<uint8_t>{0x0D, 0x00, 0x0A, 0x00}));

    auto lines = LogLines(log.path);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(HasTimePrefix(lines[0])) << lines[0].size();
    EXPECT_EQ(lines[0].substr(26), L"開始 アルバム 42");
}

TEST(LogWriter, MarkOnlyAtTheStartOfAnEmptyFile)
{
    TempFolder folder;
    Logger log = {0x2000000, folder / L"log.txt"};
    ASSERT_TRUE(WriteFileBytes(log.path, {}));
    WriteLog(log, L"one");
    WriteLog(log, L"two");

    std::vector<uint8_t> bytes = ReadFileBytes(log.path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    // Each line is 26 + message + 2 units; one mark in all.
    EXPECT_EQ(bytes.size(), 2u + 2 * (26 + 3 + 2) * 2);
    auto lines = LogLines(log.path);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].substr(26), L"two");
}

TEST(LogWriter, EmptiesOnlyAFileLargerThanTheLimit)
{
    struct Case {
        LONGLONG size;
        bool emptied;
    };
    const Case cases[] = {{33554432, false}, {33554433, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        TempFolder folder;
        Logger log = {33554432, folder / L"log.txt"};
        MakeFileOfSize(log.path, c.size);
        WriteLog(log, L"after");
        const LONGLONG lineBytes = (26 + 5 + 2) * 2;
        if (c.emptied) {
            EXPECT_EQ(FileSize(log.path), 2 + lineBytes);
            auto lines = LogLines(log.path);
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_EQ(lines[0].substr(26), L"after");
        } else {
            EXPECT_EQ(FileSize(log.path), c.size + lineBytes);
        }
    }
}

TEST(LogWriter, LongMessagesAreWholeUpToTheLimitThenCut)
{
    TempFolder folder;
    Logger log = {0x2000000, folder / L"log.txt"};
    std::wstring exact(kMaxLogMessage, L'x');
    std::wstring tooLong(5000, L'y');
    WriteLog(log, L"%s", exact.c_str());
    WriteLog(log, L"%s", tooLong.c_str());
    WriteLog(log, L"next");

    auto lines = LogLines(log.path);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(26), exact);
    EXPECT_EQ(lines[1].substr(26), std::wstring(kMaxLogMessage, L'y'));
    EXPECT_EQ(lines[2].substr(26), L"next");
}

TEST(LogWriter, MissingFolderOrEmptyPathWritesNothing)
{
    TempFolder folder;
    Logger missing = {0x2000000, folder / L"no-such-folder\\log.txt"};
    WriteLog(missing, L"lost");
    EXPECT_EQ(GetFileAttributesW((folder / L"no-such-folder").c_str()), INVALID_FILE_ATTRIBUTES);

    Logger unset = {0x2000000, L""};
    WriteLog(unset, L"lost");  // must simply return
}

TEST(LogWriter, TwoThreadsLoseAndTearNoLine)
{
    TempFolder folder;
    Logger log = {0x2000000, folder / L"log.txt"};
    const int perThread = 2000;
    auto writer = [&](wchar_t tag) {
        for (int i = 0; i < perThread; ++i) WriteLog(log, L"%c-%05d-%s", tag, i, L"padding padding padding");
    };
    std::thread a(writer, L'A');
    std::thread b(writer, L'B');
    a.join();
    b.join();

    auto lines = LogLines(log.path);
    ASSERT_EQ(lines.size(), 2u * perThread);
    int next[2] = {0, 0};
    for (const auto& line : lines) {
        ASSERT_TRUE(HasTimePrefix(line));
        std::wstring message = line.substr(26);
        ASSERT_EQ(message.size(), 31u) << "torn line";
        int who = message[0] == L'A' ? 0 : 1;
        // Each thread's own lines keep their order.
        EXPECT_EQ(std::stoi(message.substr(2, 5)), next[who]++);
    }
    EXPECT_EQ(next[0], perThread);
    EXPECT_EQ(next[1], perThread);
}

TEST(SystemErrorText, KnownAndUnknownCodes)
{
    EXPECT_FALSE(GetSystemErrorText(0x80070005).empty());
    EXPECT_EQ(GetSystemErrorText(0x2345FFFF), L"");
}

TEST(SystemErrorText, FailureLineCarriesTheHresultAndText)
{
    TempFolder folder;
    Logger saved = AppLog;
    AppLog.path = folder / L"app.txt";
    SetLastError(ERROR_ACCESS_DENIED);
    WriteLastErrorLog(L"InternetOpen()エラー = 0x%08x : %s");
    AppLog = saved;

    auto lines = LogLines(folder / L"app.txt");
    ASSERT_EQ(lines.size(), 1u);
    std::wstring expected = L"InternetOpen()エラー = 0x80070005 : " + GetSystemErrorText(0x80070005);
    EXPECT_EQ(lines[0].substr(26), expected);
}

}  // namespace
