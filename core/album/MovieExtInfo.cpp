#include "core/album/MovieExtInfo.h"

#include <cwchar>

#include "core/album/AlbumFiles.h"
#include "core/base/PathName.h"

namespace {

const wchar_t* const kSystemSection = L"SYSTEM_EXT_INFO";
const wchar_t* const kUserSection = L"USER_EXT_INFO";

const wchar_t* const kBuiltInRows[] = {
    L".rm|application/vnd.rn-realmedia",
    L".rmvb|application/vnd.rn-realmedia",
    L".flv|video/x-flv",
    L".ogg|video/ogg",
    L".webm|video/webm",
    L".mod|video/mpeg",
    L".mpg|video/mpeg",
    L".iso|iso",
    L".ogm|video/ogm",
};

}  // namespace

void MovieExtInfo_CL::LoadAll(const Inifile_CL& programIni)
{
    items.clear();
    FindLaunchExt_CL registry(&items);
    registry.EnumKeys(HKEY_CLASSES_ROOT, L"");
    LoadSystemExtensions(programIni);
    LoadUserExtList(programIni);
}

int MovieExtInfo_CL::Contains(const std::wstring& path) const
{
    std::wstring extension = PathName_CL::GetExtension(path);
    if (extension.empty()) return 0;
    for (const auto& item : items)
        if (_wcsicmp(item.extension.c_str(), extension.c_str()) == 0) return 1;
    return 0;
}

void MovieExtInfo_CL::LoadSystemExtensions(const Inifile_CL& programIni)
{
    const int builtIn = static_cast<int>(sizeof(kBuiltInRows) / sizeof(kBuiltInRows[0]));
    for (int i = 0; i < builtIn; ++i) programIni.WriteString(kSystemSection, NumberedKey(L"ext_item%04d", i).c_str(), kBuiltInRows[i]);
    programIni.WriteInt(builtIn, kSystemSection, L"count");

    const int count = static_cast<int>(programIni.ReadInt(kSystemSection, L"count", 0));
    for (int i = 0; i < count; ++i) {
        std::wstring value = programIni.ReadString(kSystemSection, NumberedKey(L"ext_item%04d", i).c_str(), L"");
        if (value.empty()) continue;
        size_t bar = value.rfind(L'|');
        std::wstring extension = bar == std::wstring::npos ? value : value.substr(0, bar);
        std::wstring mime = bar == std::wstring::npos ? value : value.substr(bar + 1);
        for (auto& c : extension)
            if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (Contains(extension)) continue;

        MovieExtInfoItem item;
        item.extension = extension;
        item.contentType = mime;
        item.accepted = static_cast<int>(programIni.ReadInt(kSystemSection, extension.c_str(), 1));
        AddItem(std::move(item));
    }
}

void MovieExtInfo_CL::LoadUserExtList(const Inifile_CL& programIni)
{
    const int count = static_cast<int>(programIni.ReadInt(kUserSection, L"count", 0));
    for (int i = 0; i < count; ++i) {
        std::wstring value = programIni.ReadString(kUserSection, NumberedKey(L"ext_item%04d", i).c_str(), L"");
        if (value.empty()) continue;
        MovieExtInfoItem item;
        item.extension = value.substr(1);
        item.progId = L"ユーザー追加";
        item.accepted = value[0] == L'1' ? 1 : 0;
        item.userAdded = 1;
        AddItem(std::move(item));
    }
}

int FindLaunchExt_CL::OnKey(const std::wstring& path)
{
    StoreExtItem();
    // Only the root and the extension keys (with their subkeys) are opened.
    if (!path.empty() && path[0] != L'.') return 0;
    extension = path;
    progId.clear();
    contentType.clear();
    found = 1;
    return 1;
}

void FindLaunchExt_CL::OnValue(const std::wstring& name, const std::wstring& data)
{
    if (name == L"Content Type") {
        if (_wcsnicmp(data.c_str(), L"video", 5) == 0) {
            contentType = data;
            ++found;
        }
    } else if (name.empty()) {
        progId = data;
        ++found;
    }
}

void FindLaunchExt_CL::StoreExtItem()
{
    if (found != 3) return;
    found = 0;
    MovieExtInfoItem item;
    item.extension = extension;
    item.contentType = contentType;
    item.progId = progId;
    item.accepted = progId == L"Reelvault" ? 1 : 0;
    // The sibling player's old registrations count as ours.
    if (progId == L"Playdock") {
        item.accepted = 1;
        item.progId = L"Reelvault";
    }
    target->push_back(std::move(item));
}
