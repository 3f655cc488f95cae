#include "core/album/MoviePlayerInfo.h"

#include <windows.h>

#include <cwchar>

#include "core/album/AlbumFiles.h"
#include "core/base/UniqueHandle.h"

namespace {

const wchar_t* const kSection = L"MOVIE_PLAYER_INFO";

std::wstring Decimal(int value)
{
    wchar_t text[16];
    _snwprintf(text, 16, L"%d", value);
    text[15] = L'\0';
    return text;
}

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

// The path in the ANSI code page; when it holds a character the code page lacks, its
// short (8.3) form, which is plain ASCII; empty when neither works.
std::string ToPlaylistLine(const std::wstring& path)
{
    auto convert = [](const std::wstring& text, std::string& out) {
        BOOL usedDefault = FALSE;
        int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, &usedDefault);
        if (size <= 0 || usedDefault) return false;
        out.resize(static_cast<size_t>(size));
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()), &out[0],
                            size, nullptr, &usedDefault);
        return !usedDefault;
    };
    std::string line;
    if (path.empty() || convert(path, line)) return line;
    DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length == 0) return std::string();
    std::wstring shortPath(length, L'\0');
    length = GetShortPathNameW(path.c_str(), &shortPath[0], length);
    shortPath.resize(length);
    if (length == 0 || !convert(shortPath, line)) return std::string();
    return line;
}

}  // namespace

void MoviePlayerInfo_CL::Load(const Inifile_CL& programIni)
{
    const int count = static_cast<int>(programIni.ReadInt(kSection, L"count", 0));
    for (int i = 0; i < count; ++i) {
        MoviePlayerInfoItem player;
        player.name = programIni.ReadString(kSection, NumberedKey(L"name_item%04d", static_cast<int32_t>(i)).c_str(), L"");
        player.path = programIni.ReadString(kSection, NumberedKey(L"path_item%04d", static_cast<int32_t>(i)).c_str(), L"");
        player.param = programIni.ReadString(kSection, NumberedKey(L"param_item%04d", static_cast<int32_t>(i)).c_str(), L"");
        AddPlayer(std::move(player));
    }
}

void MoviePlayerInfo_CL::Save(const Inifile_CL& programIni) const
{
    programIni.WriteInt(static_cast<int>(players.size()), kSection, L"count");
    for (size_t i = 0; i < players.size(); ++i) {
        // A line break typed into a field would become keys of its own in the ini.
        programIni.WriteString(kSection, NumberedKey(L"name_item%04d", static_cast<int32_t>(i)).c_str(), ToSingleLine(players[i].name));
        programIni.WriteString(kSection, NumberedKey(L"path_item%04d", static_cast<int32_t>(i)).c_str(), ToSingleLine(players[i].path));
        programIni.WriteString(kSection, NumberedKey(L"param_item%04d", static_cast<int32_t>(i)).c_str(), ToSingleLine(players[i].param));
    }
}

bool MoviePlayerInfo_CL::FindByName(const std::wstring& name, MoviePlayerInfoItem& found) const
{
    for (const auto& player : players) {
        if (player.name != name) continue;
        found = player;
        return true;
    }
    return false;
}

void ReplaceAll(std::wstring& text, const std::wstring& what, const std::wstring& with)
{
    if (what.empty()) return;
    size_t position = 0;
    while ((position = text.find(what, position)) != std::wstring::npos) {
        text.replace(position, what.size(), with);
        position += with.size();
    }
}

std::wstring BuildPlayerParams(const std::wstring& paramTemplate, const std::wstring& moviePath,
                               int64_t startPosition)
{
    std::wstring params = paramTemplate;
    ReplaceAll(params, L"%ms%", Decimal(static_cast<int>(startPosition / 10000)));
    ReplaceAll(params, L"%sec%", Decimal(static_cast<int>(startPosition / 10000000)));
    ReplaceAll(params, L"%path%", Quoted(moviePath));
    return params;
}

std::wstring BuildPlaydeckArguments(const std::wstring& moviePath, int64_t startPosition, uint32_t command,
                                    bool movieNoResume, bool fullScreen)
{
    std::wstring arguments = Quoted(moviePath);
    if (fullScreen) arguments += L" /FullScreen";
    arguments += L" /EndClose";
    if (command == kCommandPlayFromFirstFrame || movieNoResume) {
        arguments += L" /NoResume";
    } else if (startPosition > 0) {
        uint64_t bits = static_cast<uint64_t>(startPosition);
        wchar_t option[64];
        _snwprintf(option, 64, L" /StartFrame:%08x:%08x", static_cast<unsigned>(bits >> 32),
                   static_cast<unsigned>(bits & 0xFFFFFFFF));
        option[63] = L'\0';
        arguments += option;
    }
    arguments += L" /Reelvault";
    return arguments;
}

std::wstring WritePlaylistFile(const std::wstring& playlistPath, const std::vector<std::wstring>& paths,
                               const std::vector<uint32_t>& order, bool fullScreen)
{
    std::string text;
    const size_t count = std::min(paths.size(), order.size());
    for (size_t i = 0; i < count; ++i) {
        if (order[i] >= paths.size()) continue;
        std::string line = ToPlaylistLine(paths[order[i]]);
        if (line.empty()) continue;
        text += line;
        text += "\r\n";
    }

    // An unwritable file leaves the list empty or missing; the player is started anyway.
    UniqueHandle file(
        CreateFileW(playlistPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
        DWORD written = 0;
        WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

    std::wstring arguments = Quoted(playlistPath);
    if (fullScreen) arguments += L" /FullScreen";
    arguments += L" /EndClose /NoResume /Reelvault";
    return arguments;
}
