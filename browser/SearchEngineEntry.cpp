#include "browser/SearchEngineEntry.h"

std::vector<SearchEngineEntry> MakeSearchEngineTable()
{
    return {
        {1, 0x0000, L"Google (web)", L"https://www.google.com/search?q=%s&hl=ja&num=50"},
        {2, 0x0000, L"Yahoo (web)", L"https://search.yahoo.co.jp/search?p=%s"},
        {3, 0x8001, L"YouTube (動画)", L"https://www.youtube.com/results?search_query=%s&hl=ja"},
        {4, 0x8001, L"ニコニコ動画", L"https://www.nicovideo.jp/search/%s"},
        {4, 0x0001, L"ニコニコ動画 (tag)", L"https://www.nicovideo.jp/tag/%s"},
        {1, 0x0002, L"Google (画像)", L"https://www.google.com/search?q=%s&hl=ja&tbm=isch"},
        {7, 0x0000, L"bing (web)", L"https://www.bing.com/search?q=%s"},
        {7, 0x0002, L"bing (画像)", L"https://www.bing.com/images/search?q=%s"},
        {5, 0x0103, L"Amazon", L"https://www.amazon.co.jp/s?k=%s"},
        {2, 0x0203, L"Yahoo (オークション)", L"https://auctions.yahoo.co.jp/search/search?p=%s"},
    };
}
