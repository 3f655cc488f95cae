#include "AlbumTestSupport.h"

#include <shlobj.h>

#include <cwchar>

namespace albumtest {

namespace {

std::wstring Widen(const char* text)
{
    int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
    return wide;
}

}  // namespace

DocumentsSandbox::DocumentsSandbox()
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path);
    documents_ = path;
    if (GetFileAttributesW(dataFolder().c_str()) != INVALID_FILE_ATTRIBUTES) {
        savedAside_ = dataFolder() + L".album_tests_saved";
        RemoveTree(savedAside_);
        MoveFileW(dataFolder().c_str(), savedAside_.c_str());
    }
}

DocumentsSandbox::~DocumentsSandbox()
{
    RemoveTree(dataFolder());
    if (!savedAside_.empty()) MoveFileW(savedAside_.c_str(), dataFolder().c_str());
}

void DocumentsSandbox::Redirect(const std::wstring& folder) const
{
    CreateDirectoryW(dataFolder().c_str(), nullptr);
    WriteUtf16Text(dataFolder() + L"\\Reelvault.ini", L"[FOLDER]\nredirect=" + folder + L"\n");
}

std::wstring HostPath(const char* buildMachinePath)
{
    // Wine shows the build machine's file system under drive Z:.
    std::wstring path = L"Z:" + Widen(buildMachinePath);
    for (wchar_t& unit : path) {
        if (unit == L'/') unit = L'\\';
    }
    return path;
}

std::wstring FixturePath(const std::wstring& name)
{
    return HostPath(REELVAULT_ALBUM_FIXTURES) + L"\\" + name;
}

std::wstring CopyFixture(const std::wstring& name, const std::wstring& folder)
{
    std::wstring target = folder + L"\\" + name;
    CopyFileW(FixturePath(name).c_str(), target.c_str(), FALSE);
    return target;
}

void WriteUtf16Text(const std::wstring& path, const std::wstring& text)
{
    std::wstring crlf;
    for (wchar_t unit : text) {
        if (unit == L'\n') crlf += L'\r';
        crlf += unit;
    }
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    std::vector<uint8_t> body = Utf16Bytes(crlf);
    bytes.insert(bytes.end(), body.begin(), body.end());
    WriteFileBytes(path, bytes);
}

std::vector<std::wstring> ParsedIni::KeysOf(const std::wstring& section) const
{
    std::vector<std::wstring> keys;
    for (const auto& line : lines) {
        if (line.section == section) keys.push_back(line.key);
    }
    return keys;
}

std::wstring ParsedIni::Value(const std::wstring& section, const std::wstring& key, bool* found) const
{
    for (const auto& line : lines) {
        if (line.section == section && line.key == key) {
            if (found) *found = true;
            return line.value;
        }
    }
    if (found) *found = false;
    return std::wstring();
}

int ParsedIni::Count(const std::wstring& section, const std::wstring& key) const
{
    int count = 0;
    for (const auto& line : lines) count += line.section == section && line.key == key;
    return count;
}

ParsedIni ParseUtf16Ini(const std::wstring& path)
{
    ParsedIni ini;
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    size_t start = 0;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        ini.hasMark = true;
        start = 2;
    }
    std::wstring text;
    for (size_t i = start; i + 1 < bytes.size(); i += 2) text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));

    std::wstring section;
    size_t position = 0;
    while (position < text.size()) {
        size_t end = text.find_first_of(L"\r\n", position);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(position, end - position);
        position = end;
        while (position < text.size() && (text[position] == L'\r' || text[position] == L'\n')) ++position;
        if (line.empty()) continue;
        if (line.front() == L'[' && line.back() == L']') {
            section = line.substr(1, line.size() - 2);
            ini.sections.push_back(section);
            continue;
        }
        size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) {
            ini.lines.push_back({section, line, L""});
            continue;
        }
        ini.lines.push_back({section, line.substr(0, equals), line.substr(equals + 1)});
    }
    return ini;
}

}  // namespace albumtest
