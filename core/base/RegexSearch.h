#pragma once
// Regular-expression search over many texts, safe from the engine's deep recursion.
#include <string>
#include <vector>

// The standard library's matcher recurses once or more per character, so a pattern such
// as "(a|b)*c" over a few thousand characters exhausts a normal thread stack and ends the
// process without an exception. The search therefore runs on a worker with a large
// reserved stack, and only the first kRegexTextLimit units of each text are searched.
constexpr size_t kRegexTextLimit = 16384;

// Runs of plain characters that every match of the pattern contains, read conservatively
// (nothing at all when the pattern has alternatives at its top level): a text lacking one
// of them cannot match, so the engine is not run on it.
std::vector<std::wstring> RequiredLiterals(const std::wstring& pattern);

// One flag per text: 1 when the ECMAScript pattern (case-sensitive) is found anywhere in
// it. An invalid pattern, or any failure of the engine on a text, gives 0 for that text.
std::vector<char> RegexSearch(const std::wstring& pattern, const std::vector<const std::wstring*>& texts);
