#include "core/base/RegexSearch.h"

#include <windows.h>
#include <process.h>

#include <algorithm>
#include <regex>
#include <string_view>

#include "core/base/Log.h"
#include "core/base/UniqueHandle.h"

namespace {

// Measured: 16 MB carries a 4,095-unit text, 64 MB a 20,000-unit one. Only address space
// is reserved; pages are committed as the recursion reaches them.
constexpr unsigned kSearchStackBytes = 64u << 20;

bool IsSyntaxCharacter(wchar_t c)
{
    return wcschr(L"^$\\.*+?()[]{}|/", c) != nullptr && c != 0;
}

// The end of the class that opens at pattern[i] ('['), or npos when it does not close.
size_t SkipClass(const std::wstring& pattern, size_t i)
{
    ++i;
    if (i < pattern.size() && pattern[i] == L'^') ++i;
    while (i < pattern.size()) {
        if (pattern[i] == L'\\') {
            i += 2;
            continue;
        }
        if (pattern[i] == L']') return i + 1;
        ++i;
    }
    return std::wstring::npos;
}

// The end of the group that opens at pattern[i] ('('), or npos when it does not close.
size_t SkipGroup(const std::wstring& pattern, size_t i)
{
    int depth = 0;
    while (i < pattern.size()) {
        const wchar_t c = pattern[i];
        if (c == L'\\') {
            i += 2;
            continue;
        }
        if (c == L'[') {
            i = SkipClass(pattern, i);
            if (i == std::wstring::npos) return i;
            continue;
        }
        if (c == L'(') ++depth;
        if (c == L')' && --depth == 0) return i + 1;
        ++i;
    }
    return std::wstring::npos;
}

bool HasTopLevelAlternative(const std::wstring& pattern)
{
    for (size_t i = 0; i < pattern.size();) {
        const wchar_t c = pattern[i];
        if (c == L'|') return true;
        if (c == L'\\') {
            i += 2;
        } else if (c == L'[') {
            i = SkipClass(pattern, i);
        } else if (c == L'(') {
            i = SkipGroup(pattern, i);
        } else {
            ++i;
        }
        if (i == std::wstring::npos) return true;  // unbalanced: claim nothing
    }
    return false;
}

struct SearchJob {
    const std::wstring* pattern;
    const std::vector<const std::wstring*>* texts;
    std::vector<char>* matches;
};

unsigned __stdcall SearchThread(void* param)
{
    auto* job = static_cast<SearchJob*>(param);
    try {
        std::wregex expression(*job->pattern, std::regex::ECMAScript);
        const std::vector<std::wstring> literals = RequiredLiterals(*job->pattern);
        for (size_t i = 0; i < job->texts->size(); ++i) {
            const std::wstring* text = (*job->texts)[i];
            if (!text) continue;
            try {
                size_t length = std::min(text->size(), kRegexTextLimit);
                const std::wstring_view searched(text->data(), length);
                bool possible = true;
                for (const std::wstring& literal : literals) {
                    if (searched.find(literal) == std::wstring_view::npos) {
                        possible = false;
                        break;
                    }
                }
                if (!possible) continue;
                (*job->matches)[i] = std::regex_search(text->begin(), text->begin() + length, expression) ? 1 : 0;
            } catch (const std::exception&) {
                (*job->matches)[i] = 0;
            }
        }
    } catch (const std::exception&) {
        // An invalid pattern matches nothing.
    }
    return 0;
}

}  // namespace

std::vector<std::wstring> RequiredLiterals(const std::wstring& pattern)
{
    std::vector<std::wstring> literals;
    if (HasTopLevelAlternative(pattern)) return literals;
    std::wstring run;
    auto flush = [&]() {
        if (!run.empty()) literals.push_back(run);
        run.clear();
    };
    size_t i = 0;
    while (i < pattern.size()) {
        const wchar_t c = pattern[i];
        if (c == L'*' || c == L'+' || c == L'?' || c == L'{') {
            // The atom before a quantifier may repeat or vanish: it ends the run it was in.
            if (!run.empty()) run.pop_back();
            flush();
            if (c == L'{') {
                const size_t close = pattern.find(L'}', i);
                if (close == std::wstring::npos) break;
                i = close + 1;
            } else {
                ++i;
            }
            if (i < pattern.size() && pattern[i] == L'?') ++i;  // lazy
            continue;
        }
        if (c == L'\\') {
            // Only an escaped syntax character is a plain character; any other escape (a
            // class, a back reference, a code) ends the reading.
            if (i + 1 >= pattern.size() || !IsSyntaxCharacter(pattern[i + 1])) break;
            run.push_back(pattern[i + 1]);
            i += 2;
            continue;
        }
        if (c == L'[' || c == L'(') {
            flush();
            i = c == L'[' ? SkipClass(pattern, i) : SkipGroup(pattern, i);
            if (i == std::wstring::npos) break;
            // A quantifier after the class or group applies to it, not to the run.
            continue;
        }
        if (c == L'.' || c == L'^' || c == L'$') {
            flush();
            ++i;
            continue;
        }
        if (c == L')' || c == L'|') break;
        run.push_back(c);
        ++i;
    }
    flush();
    return literals;
}

std::vector<char> RegexSearch(const std::wstring& pattern, const std::vector<const std::wstring*>& texts)
{
    std::vector<char> matches(texts.size(), 0);
    if (texts.empty()) return matches;
    SearchJob job = {&pattern, &texts, &matches};
    UniqueHandle thread(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, kSearchStackBytes, SearchThread, &job, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr)));
    if (!thread) {
        WriteLog(AppLog, L"正規表現検索のスレッドを開始できません (errno = %d)", errno);
        return matches;
    }
    WaitForSingleObject(thread.get(), INFINITE);
    return matches;
}
