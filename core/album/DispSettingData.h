#pragma once
// The album's display settings: what the category window and the movie grid show and how.
#include <cstdint>
#include <string>

#include "core/album/ItemCategoryView.h"
#include "core/album/ItemMovieView.h"

// One tab of the movie sort tabs.
struct SortTabEntry {
    int32_t initialDescending = 0;
    int32_t descending = 0;  // the current direction: 0 ascending
    std::wstring caption;
    int32_t sortKey = 0;  // which field the tab sorts by
};

struct DispSettingData_CL {
    DispSettingData_CL();

    // 1..10 clamped, then 11 + (11 * level - 7) / 9 pixels.
    int GetUiFontHeight() const;

    int32_t selected_category = 0;
    int32_t selected_sub_category = -1;
    int32_t third_selection = -1;
    // The sub-categories the category window shows; a new sub-category sorts after them.
    ItemCategoryView_CL sub_category_view;
    // The movies the movie grid shows.
    ItemMovieView_CL movie_view;
    std::wstring program_folder;
    int32_t view_index = -1;
    int32_t sort_tab_selection = -1;
    int32_t category_tab = -1;
    int32_t selected_sort_tab = 0;
    int32_t unnamed_value = 0;
    int32_t last_movie_sort_tab = 1;
    int32_t thumbnail_count = 5;
    int32_t thumbnail_size_index = 2;
    int32_t frame_sizes[3][2] = {{128, 72}, {176, 99}, {256, 144}};
    int32_t label_font_sizes[3] = {10, 11, 13};
    int32_t ui_font_size_level = 1;
    int32_t movie_list_use_direct2d = 0;
    // Nine tabs and an empty tenth.
    SortTabEntry sort_tabs[10];
    std::wstring playdeck_command;
    std::wstring twinsift_command;
    int32_t search_mode = 0;
    int32_t search_value = 1;
    std::wstring search_text;
    int32_t five_values[5] = {0, 0, 0, 0, 0};
    int32_t grid_indices[3] = {-1, -1, -1};
};
