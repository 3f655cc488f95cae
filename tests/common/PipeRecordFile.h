#pragma once
// A pipe server for test peers in their own processes that appends every message it receives
// to a record file as a u32 length and the payload, and the reader of such a file.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/base/UniqueHandle.h"
#include "core/ipc/PipeServer.h"
#include "tests/common/TempFolder.h"

class FileRecordingPipeServer : public PipeServer_CL {
public:
    explicit FileRecordingPipeServer(const std::wstring& recordPath) : recordPath_(recordPath) {}
    ~FileRecordingPipeServer() override { Stop(); }

protected:
    void OnReceive(const uint8_t* payload, uint32_t size) override
    {
        UniqueHandle file(CreateFileW(recordPath_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        std::vector<uint8_t> record(reinterpret_cast<const uint8_t*>(&size),
                                    reinterpret_cast<const uint8_t*>(&size) + 4);
        record.insert(record.end(), payload, payload + size);
        DWORD written = 0;
        WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    }

private:
    std::wstring recordPath_;
};

// The messages of a record file in arrival order; a record cut short ends the list.
inline std::vector<std::vector<uint8_t>> ReadRecordedMessages(const std::wstring& path)
{
    std::vector<std::vector<uint8_t>> messages;
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    size_t offset = 0;
    while (bytes.size() - offset >= 4) {
        uint32_t size = 0;
        memcpy(&size, &bytes[offset], 4);
        offset += 4;
        if (size > bytes.size() - offset) break;
        messages.emplace_back(bytes.begin() + offset, bytes.begin() + offset + size);
        offset += size;
    }
    return messages;
}
