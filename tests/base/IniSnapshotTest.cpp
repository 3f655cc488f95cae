#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "core/base/IniSnapshot.h"
#include "core/base/Inifile.h"
#include "tests/common/TempFolder.h"

namespace {

// Every read the album's loaders make of a contents or category file.
enum class ReadKind { String, Int, Hex64, Long };
struct Read {
    const wchar_t* section;
    std::wstring key;
    ReadKind kind;
};

std::vector<Read> LoaderReads()
{
    std::vector<Read> reads;
    for (const wchar_t* key : {L"link_name", L"content_name", L"movie_player_name", L"ini_name"})
        reads.push_back({L"MOVIE_INFO", key, ReadKind::String});
    for (const wchar_t* key : {L"hash", L"no_resume", L"vol_offset", L"decodo_err", L"play_count", L"star_count",
                               L"run_decode"})
        reads.push_back({L"MOVIE_INFO", key, ReadKind::Int});
    for (const wchar_t* key : {L"last_play_frame", L"play_date_time", L"add_date"})
        reads.push_back({L"MOVIE_INFO", key, ReadKind::Hex64});
    reads.push_back({L"MOVIE_INFO", L"note", ReadKind::Long});
    for (const wchar_t* key : {L"category", L"sub_category", L"find_folder"})
        reads.push_back({L"CATEGORY", key, ReadKind::String});
    for (const wchar_t* key : {L"sub_category_sort_index", L"short_cut_key", L"check_sub_folder"})
        reads.push_back({L"CATEGORY", key, ReadKind::Int});
    reads.push_back({L"FAVORITE", L"url_link", ReadKind::String});
    for (const wchar_t* section : {L"SKIP_FRAME", L"FAVORITES_FRAME", L"TAG_INFO"})
        reads.push_back({section, L"count", ReadKind::Int});
    reads.push_back({L"PLAYLIST", L"item_count", ReadKind::Int});
    for (int i = 0; i < 10; ++i) {
        wchar_t key[32];
        _snwprintf(key, 32, L"beg%02d", i);
        reads.push_back({L"SKIP_FRAME", key, ReadKind::Hex64});
        _snwprintf(key, 32, L"end%02d", i);
        reads.push_back({L"SKIP_FRAME", key, ReadKind::Hex64});
        _snwprintf(key, 32, L"fav_name%02d", i);
        reads.push_back({L"FAVORITES_FRAME", key, ReadKind::String});
        _snwprintf(key, 32, L"fav%02d", i);
        reads.push_back({L"FAVORITES_FRAME", key, ReadKind::Hex64});
    }
    for (int i = 0; i < 6; ++i) {
        reads.push_back({L"TAG_INFO", L"item" + std::to_wstring(i), ReadKind::String});
        wchar_t key[32];
        _snwprintf(key, 32, L"item%04d", i);
        reads.push_back({L"PLAYLIST", key, ReadKind::String});
    }
    return reads;
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char code[12];
            snprintf(code, sizeof(code), "\\u%04x", static_cast<unsigned>(c));
            out += code;
        }
    }
    return out;
}

// Compares every loader read, with more than one default where defaults matter, and the
// key lists the list readers use. Returns the first difference, empty when none.
std::string CompareReads(const IniReader_IF& profile, const IniReader_IF& snapshot)
{
    static const std::vector<Read> reads = LoaderReads();
    for (const Read& read : reads) {
        const wchar_t* key = read.key.c_str();
        std::string where = Narrow(read.section) + "/" + Narrow(read.key) + ": ";
        switch (read.kind) {
        case ReadKind::String:
            for (const wchar_t* fallback : {L"", L"dflt"}) {
                std::wstring a = profile.ReadString(read.section, key, fallback);
                std::wstring b = snapshot.ReadString(read.section, key, fallback);
                if (a != b) return where + "profile \"" + Narrow(a) + "\" snapshot \"" + Narrow(b) + "\"";
            }
            break;
        case ReadKind::Int:
            for (int fallback : {0, -1, 7}) {
                UINT a = profile.ReadInt(read.section, key, fallback);
                UINT b = snapshot.ReadInt(read.section, key, fallback);
                if (a != b) return where + "profile " + std::to_string(a) + " snapshot " + std::to_string(b);
            }
            break;
        case ReadKind::Hex64: {
            int64_t a = profile.ReadHex64(-1, read.section, key);
            int64_t b = snapshot.ReadHex64(-1, read.section, key);
            if (a != b) return where + "profile " + std::to_string(a) + " snapshot " + std::to_string(b);
            break;
        }
        case ReadKind::Long: {
            std::wstring a = profile.ReadLongString(read.section, key);
            std::wstring b = snapshot.ReadLongString(read.section, key);
            if (a != b) return where + "long values differ (" + std::to_string(a.size()) + " / " +
                               std::to_string(b.size()) + " units)";
            break;
        }
        }
    }
    for (const wchar_t* section : {L"MOVIE_INFO", L"TAG_INFO", L"PLAYLIST", L"CATEGORY"}) {
        if (profile.ReadKeyNames(section) != snapshot.ReadKeyNames(section))
            return "key names of " + Narrow(section) + " differ";
    }
    return std::string();
}

std::vector<uint8_t> WithMark(const std::wstring& text)
{
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    std::vector<uint8_t> body = Utf16Bytes(text);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

// Writes the bytes under a name of their own (the profile functions cache files by name),
// and compares both readers. A snapshot that declines the file must be expected to.
class Differential {
public:
    std::string Check(const std::vector<uint8_t>& bytes, bool expectSnapshot)
    {
        std::wstring path = folder_ / (L"case" + std::to_wstring(next_++) + L".ini");
        if (!WriteFileBytes(path, bytes)) return "could not write the file";
        IniSnapshot_CL snapshot;
        bool loaded = snapshot.Load(path);
        if (loaded != expectSnapshot) return loaded ? "snapshot took a file it should leave" : "snapshot declined";
        if (!loaded) return std::string();
        return CompareReads(Inifile_CL(path), snapshot);
    }

private:
    TempFolder folder_;
    int next_ = 0;
};

struct AwkwardFile {
    const char* name;
    std::wstring text;
    bool snapshot;  // false: the reader must leave it to the profile functions
};

TEST(IniSnapshot, AnswersAwkwardFilesAsTheProfileFunctions)
{
    const std::wstring longNote(10000, L'n');
    const std::wstring longPath = L"C:\\" + std::wstring(5000, L'p');
    // A surrogate pair straddling the 4,095th unit of a cut value.
    const std::wstring straddle = std::wstring(4094, L'a') + L"\xD83C\xDFAC" + L"tail";
    const AwkwardFile files[] = {
        {"case of names", L"[movie_info]\r\nLINK_NAME=a\r\nPlay_Count=4\r\n[Tag_Info]\r\ncount=1\r\nITEM0=t\r\n", true},
        {"blanks around names and values",
         L"  [MOVIE_INFO]  \r\n  link_name  =  v a l  \r\n\tplay_count\t=\t7\t\r\nstar_count = 3\r\n", true},
        {"blanks inside a section header", L"[ MOVIE_INFO ]\r\nplay_count=3\r\n[CATEGORY ]\r\ncategory=x\r\n", true},
        {"quotes", L"[MOVIE_INFO]\r\nlink_name=\"quoted\"\r\ncontent_name='single'\r\nmovie_player_name=\"open\r\n"
                   L"ini_name=close\"\r\nplay_count=\"12\"\r\nstar_count='3\r\nnote=\"\"\r\n[CATEGORY]\r\n"
                   L"category=\"\r\nsub_category='a'b'\r\nfind_folder=\"'mixed\"'\r\n", true},
        {"key without =", L"[MOVIE_INFO]\r\nlink_name\r\nlink_name=after\r\nplay_count\r\n", true},
        {"empty values", L"[MOVIE_INFO]\r\nlink_name=\r\nplay_count=\r\nlast_play_frame=\r\nnote=\r\n", true},
        {"duplicate keys", L"[MOVIE_INFO]\r\nplay_count=1\r\nplay_count=2\r\nlink_name=a\r\nLINK_NAME=b\r\n", true},
        {"duplicate sections", L"[MOVIE_INFO]\r\nplay_count=1\r\n[TAG_INFO]\r\ncount=0\r\n[movie_info]\r\n"
                               L"play_count=2\r\nlink_name=second\r\n[TAG_INFO]\r\ncount=2\r\nitem0=x\r\n", true},
        {"lines before the first section", L"link_name=orphan\r\ncount=5\r\n[MOVIE_INFO]\r\nplay_count=1\r\n", true},
        {"last line without a line end", L"[MOVIE_INFO]\r\nplay_count=9\r\nlink_name=last", true},
        {"lone CR line ends", L"[MOVIE_INFO]\rlink_name=a\rplay_count=2\r", true},
        {"lone LF line ends", L"[MOVIE_INFO]\nlink_name=a\nplay_count=2\n[TAG_INFO]\ncount=1\nitem0=x", true},
        {"mixed line ends", L"[MOVIE_INFO]\r\nlink_name=a\rplay_count=2\n\r\nstar_count=4\r\r\n", true},
        {"U+2028 inside a note", L"[MOVIE_INFO]\r\nnote=line1\x2028line2\x2028\x2028line4\r\n", true},
        {"long values", L"[MOVIE_INFO]\r\nnote=" + longNote + L"\r\nlink_name=" + longPath +
                            L"\r\ncontent_name=\"" + longPath + L"\"\r\nplay_count=00000000000000000000000000000012\r\n",
         true},
        {"quoted note longer than a buffer", L"[MOVIE_INFO]\r\nnote=\"" + longNote + L"\"\r\n", true},
        {"characters outside the BMP", L"[MOVIE_INFO]\r\nlink_name=\xD83C\xDFAC film \xD83D\xDE00\r\n"
                                       L"content_name=" + straddle + L"\r\n", true},
        {"numbers", L"[MOVIE_INFO]\r\nplay_count=0x10\r\nstar_count=-5\r\nno_resume=+7\r\nvol_offset=  12abc\r\n"
                    L"decodo_err=abc\r\nrun_decode=4294967297\r\nhash=0b101\r\n[CATEGORY]\r\nshort_cut_key=0o17\r\n"
                    L"check_sub_folder=-\r\nsub_category_sort_index=2147483648\r\n", true},
        {"hex values", L"[MOVIE_INFO]\r\nlast_play_frame=00000001:00000002\r\nplay_date_time=zz\r\nadd_date=1\r\n",
         true},
        {"comments and odd headers", L"[MOVIE_INFO\r\nplay_count=1\r\n[MOVIE_INFO]junk\r\n;link_name=c\r\n"
                                     L"#star_count=2\r\n=nameless\r\n=again\r\n[]\r\nplay_count=5\r\n"
                                     L"[TAG_INFO]]\r\ncount=1\r\n", true},
        {"control blanks at the ends", L"\x1A[MOVIE_INFO]\x1A\r\n\vlink_name\f=\t\x1Aa\tb\v\r\n", true},
        {"ideographic space inside a value", L"[MOVIE_INFO]\r\nlink_name=a\x3000" L"b\r\n", true},
        {"ideographic space at a value's start", L"[MOVIE_INFO]\r\nlink_name=\x3000" L"b\r\n", false},
        {"line separator ending a note", L"[MOVIE_INFO]\r\nnote=end\x2028\r\n", false},
        {"embedded NUL", std::wstring(L"[MOVIE_INFO]\r\nlink_name=a") + L'\0' + L"b\r\n", false},
        {"non-ASCII key name", L"[MOVIE_INFO]\r\nlınk_name=a\r\n", false},
        {"only the mark", L"", true},
    };
    Differential differential;
    for (const AwkwardFile& file : files)
        EXPECT_EQ(differential.Check(WithMark(file.text), file.snapshot), "") << file.name;

    // Without the mark, the profile functions read the system code page: left to them.
    EXPECT_EQ(differential.Check({}, false), "") << "zero-byte file";
    EXPECT_EQ(differential.Check({'[', 'M', ']', '\r', '\n', 'a', '=', '1'}, false), "") << "ANSI file";
    std::vector<uint8_t> odd = WithMark(L"[MOVIE_INFO]\r\nplay_count=1");
    odd.push_back('x');
    EXPECT_EQ(differential.Check(odd, false), "") << "odd byte count";
}

// Files assembled at random from the pieces that trouble a parser, and a real-looking
// contents file cut at every few bytes (a file read while it is being written).
TEST(IniSnapshot, AnswersGeneratedAndCutFilesAsTheProfileFunctions)
{
    const std::vector<std::wstring> sections = {L"MOVIE_INFO", L"movie_info", L"CATEGORY", L"TAG_INFO",
                                                L"SKIP_FRAME", L"FAVORITES_FRAME", L"PLAYLIST", L" MOVIE_INFO",
                                                L"FAVORITE", L"OTHER"};
    static const std::vector<Read> reads = LoaderReads();
    const std::vector<std::wstring> blanks = {L"", L" ", L"\t", L"  ", L"\x1A"};
    const std::vector<std::wstring> ends = {L"\r\n", L"\n", L"\r\n", L"\r\r\n", L"\r"};
    const std::vector<std::wstring> values = {
        L"", L"plain", L"\"quoted\"", L"'single'", L"\"open", L"close\"", L"12", L"-3", L"0x1f", L"00000002:0000000a",
        L"ffffffff:ffffffff", L"日本語のタイトル", L"a\x2028" L"b", L"\xD83C\xDFAC", L"C:\\movies\\a b.mp4",
        std::wstring(4100, L'v'), L"x=y", L"[not a section]", L"a\x3000" L"b"};

    std::mt19937 random(20261210);
    auto pick = [&](size_t size) { return static_cast<size_t>(random() % size); };
    Differential differential;
    for (int file = 0; file < 300; ++file) {
        std::wstring text;
        const int lines = 1 + static_cast<int>(pick(40));
        for (int line = 0; line < lines; ++line) {
            if (pick(6) == 0) {
                text += blanks[pick(blanks.size())] + L"[" + sections[pick(sections.size())] + L"]";
            } else {
                const Read& read = reads[pick(reads.size())];
                std::wstring key = read.key;
                if (pick(5) == 0) CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
                text += blanks[pick(blanks.size())] + key;
                if (pick(12)) text += blanks[pick(blanks.size())] + L"=" + blanks[pick(blanks.size())] +
                                      values[pick(values.size())];
            }
            if (line + 1 < lines || pick(2)) text += ends[pick(ends.size())];
        }
        EXPECT_EQ(differential.Check(WithMark(text), true), "") << "generated file " << file;
    }

    std::wstring contents = L"\r\n[MOVIE_INFO]\r\nhash=123\r\nlink_name=C:\\m\\映画.mp4\r\nnote=一行目\x2028二行目\r\n"
                            L"play_count=4\r\nlast_play_frame=00000000:0000ffff\r\n[TAG_INFO]\r\ncount=2\r\n"
                            L"item0=ドラマ\r\nitem1=2024\r\n";
    std::vector<uint8_t> whole = WithMark(contents);
    for (size_t cut = 2; cut <= whole.size(); cut += 6) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(cut));
        EXPECT_EQ(differential.Check(part, true), "") << "cut at " << cut;
    }
}

TEST(IniSnapshot, MissingFileAndEveryReadWithoutALoad)
{
    TempFolder folder;
    IniSnapshot_CL snapshot;
    EXPECT_FALSE(snapshot.Load(folder / L"missing.ini"));
    EXPECT_FALSE(snapshot.IsLoaded());
    EXPECT_EQ(snapshot.ReadString(L"S", L"k", L"d"), L"d");
    EXPECT_EQ(snapshot.ReadInt(L"S", L"k", 5), 5u);
    EXPECT_EQ(snapshot.ReadLongString(L"S", L"k"), L"");
    EXPECT_TRUE(snapshot.ReadKeyNames(L"S").empty());
    // Parsing never reads past the bytes it is given.
    const uint8_t mark[] = {0xFF, 0xFE, 'a'};
    EXPECT_FALSE(snapshot.Parse(L"x", mark, 1));
    EXPECT_FALSE(snapshot.Parse(L"x", mark, 3));
}

}  // namespace
