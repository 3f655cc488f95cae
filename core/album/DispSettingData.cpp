#include "core/album/DispSettingData.h"

#include "core/base/PathName.h"

namespace {

const wchar_t* const kSortCaptions[9] = {
    L"ＷＥＢで動画を見る(ブラウザ)", L"コンテンツ名称順", L"ファイル再生日時順",
    L"ファイル更新日付順",         L"ファイル登録日付順", L"再生回数順",
    L"★マーク順",                  L"ファイルサイズ順", L"収録時間順",
};

}  // namespace

DispSettingData_CL::DispSettingData_CL() : program_folder(PathName_CL::GetModuleFolder())
{
    for (int i = 0; i < 9; ++i) {
        // Names read best from A; dates, counts, stars, sizes and lengths from the largest.
        int32_t descending = i >= 2 ? 1 : 0;
        sort_tabs[i].initialDescending = descending;
        sort_tabs[i].descending = descending;
        sort_tabs[i].caption = kSortCaptions[i];
        sort_tabs[i].sortKey = i;
    }
}

int DispSettingData_CL::GetUiFontHeight() const
{
    int level = ui_font_size_level < 1 ? 1 : ui_font_size_level > 10 ? 10 : ui_font_size_level;
    return 11 + (11 * level - 7) / 9;
}
