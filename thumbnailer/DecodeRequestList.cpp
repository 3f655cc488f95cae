#include "thumbnailer/DecodeRequestList.h"

#include <algorithm>
#include <new>

#include "core/base/Log.h"
#include "core/base/UniqueHandle.h"
#include "thumbnailer/StillforgeGlobals.h"

namespace {

// Far above any real queue (a movie takes a few hundred bytes); a larger file is not read.
constexpr LONGLONG kMaxQueueFileBytes = 0x10000000;

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxQueueFileBytes) return false;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return false;
    }
    DWORD read = 0;
    if (bytes.empty()) return true;
    return ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
           read == bytes.size();
}

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        return false;
    return FlushFileBuffers(file.get()) != FALSE;
}

}  // namespace

bool DecodeRequestList_CL::Add(const DecodeRequestItem_CL& item)
{
    Mutex_CL::Lock_CL lock(mutex_);
    if (!lock.IsHeld()) return false;
    items_.push_back(item);
    return true;
}

bool DecodeRequestList_CL::GetHead(DecodeRequestItem_CL& head)
{
    Mutex_CL::Lock_CL lock(mutex_);
    if (!lock.IsHeld() || items_.empty()) return false;
    head = items_.front();
    head.request_count = static_cast<uint32_t>(items_.size());
    return true;
}

bool DecodeRequestList_CL::MoveToTop(std::vector<uint32_t> keys)
{
    Mutex_CL::Lock_CL lock(mutex_);
    if (!lock.IsHeld() || items_.size() < 2) return false;
    std::vector<DecodeRequestItem_CL> moved;
    for (size_t i = 1; i < items_.size() && !keys.empty();) {
        auto key = std::find(keys.begin(), keys.end(), items_[i].request_id);
        if (key == keys.end()) {
            ++i;
            continue;
        }
        keys.erase(key);
        moved.push_back(std::move(items_[i]));
        items_.erase(items_.begin() + i);
    }
    if (moved.empty()) return false;
    items_.insert(items_.begin() + 1, std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()));
    return true;
}

size_t DecodeRequestList_CL::Delete(const std::vector<uint32_t>& keys)
{
    Mutex_CL::Lock_CL lock(mutex_);
    if (!lock.IsHeld()) return 0;
    size_t removed = 0;
    for (uint32_t key : keys) {
        if (items_.size() < 2) break;
        auto found = std::find_if(items_.begin() + 1, items_.end(),
                                  [key](const DecodeRequestItem_CL& item) { return item.request_id == key; });
        if (found == items_.end()) continue;
        items_.erase(found);
        ++removed;
    }
    return removed;
}

size_t DecodeRequestList_CL::DropAllButHead()
{
    Mutex_CL::Lock_CL lock(mutex_);
    if (!lock.IsHeld() || items_.size() < 2) return 0;
    size_t removed = items_.size() - 1;
    items_.resize(1);
    return removed;
}

bool DecodeRequestList_CL::RemoveHead(const DecodeRequestItem_CL& head)
{
    Mutex_CL::Lock_CL lock(mutex_);
    if (!lock.IsHeld() || items_.empty()) return false;
    const DecodeRequestItem_CL& front = items_.front();
    if (front.request_id != head.request_id || front.moviePath != head.moviePath) return false;
    items_.erase(items_.begin());
    return true;
}

bool DecodeRequestList_CL::MoveHeadToEnd()
{
    Mutex_CL::Lock_CL lock(mutex_);
    if (!lock.IsHeld() || items_.size() < 2) return false;
    std::rotate(items_.begin(), items_.begin() + 1, items_.end());
    return true;
}

size_t DecodeRequestList_CL::GetCount()
{
    Mutex_CL::Lock_CL lock(mutex_);
    return lock.IsHeld() ? items_.size() : 0;
}

std::vector<DecodeRequestItem_CL> DecodeRequestList_CL::GetItems()
{
    Mutex_CL::Lock_CL lock(mutex_);
    if (!lock.IsHeld()) return {};
    return items_;
}

std::vector<uint8_t> DecodeRequestList_CL::Serialize(const std::vector<DecodeRequestItem_CL>& items)
{
    ByteWriter_CL out;
    out.WriteU32(kFileVersion);
    out.WriteI32(static_cast<int32_t>(items.size()));
    for (const auto& item : items) item.Save(out);
    return out.GetBytes();
}

HRESULT DecodeRequestList_CL::Save(const std::wstring& path, DWORD lockWaitMs)
{
    Mutex_CL::Lock_CL lock(mutex_, lockWaitMs);
    if (!lock.IsHeld()) {
        WriteLog(KilnLog, L"[LOG_LINE]  queue-save skipped: the queue lock was not free (%s)", path.c_str());
        return E_FAIL;
    }
    const std::wstring temporary = path + L".tmp";
    if (!WriteWholeFile(temporary, Serialize(items_)) ||
        !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        WriteLog(KilnLog, L"[LOG_LINE]  queue-save failed (%s): %s", path.c_str(),
                 GetSystemErrorText(GetLastError()).c_str());
        DeleteFileW(temporary.c_str());
        return E_FAIL;
    }
    return 0;
}

HRESULT DecodeRequestList_CL::Load(const std::wstring& path)
{
    Mutex_CL::Lock_CL lock(mutex_);
    if (!lock.IsHeld()) return E_FAIL;
    items_.clear();

    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) return E_FAIL;
    ByteReader_CL in(bytes);
    uint32_t version = 0;
    int32_t count = 0;
    if (!in.ReadU32(version) || !in.ReadI32(count) || version != kFileVersion || count <= 0) return E_FAIL;

    // The count is not trusted for a reservation: the items are read until it is reached
    // or the bytes stop being items.
    for (int32_t i = 0; i < count; ++i) {
        DecodeRequestItem_CL item;
        if (FAILED(item.Load(in))) {
            WriteLog(KilnLog, L"[LOG_LINE]  queue-load stopped at item %d of %d (%s)", i + 1, count, path.c_str());
            return S_FALSE;
        }
        try {
            items_.push_back(std::move(item));
        } catch (const std::bad_alloc&) {
            return S_FALSE;
        }
    }
    return S_OK;
}
