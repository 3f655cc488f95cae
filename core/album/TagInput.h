#pragma once
// Tags typed by the user in one line of text.
#include <string>
#include <vector>

// Clears out and splits text into tags at separators (code units below 33, U+3000 and
// "&"), appending each non-empty tag while out holds fewer than maxTags.
void SplitTagInput(std::vector<std::wstring>& out, int maxTags, const std::wstring& text);
