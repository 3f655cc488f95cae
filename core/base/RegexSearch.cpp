#include "core/base/RegexSearch.h"

#include <windows.h>
#include <process.h>

#include <algorithm>
#include <regex>

#include "core/base/Log.h"
#include "core/base/UniqueHandle.h"

namespace {

// Measured: 16 MB carries a 4,095-unit text, 64 MB a 20,000-unit one. Only address space
// is reserved; pages are committed as the recursion reaches them.
constexpr unsigned kSearchStackBytes = 64u << 20;

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
        for (size_t i = 0; i < job->texts->size(); ++i) {
            const std::wstring* text = (*job->texts)[i];
            if (!text) continue;
            try {
                size_t length = std::min(text->size(), kRegexTextLimit);
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
