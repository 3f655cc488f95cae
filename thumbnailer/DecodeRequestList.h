#pragma once
// Stillforge's request queue. Index 0 is the head: the movie being decoded or next to be.
// Every operation holds the queue mutex for its whole duration, so each one sees and
// leaves a whole queue, also across the two instances of a self-restart.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "thumbnailer/DecodeRequestItem.h"
#include "thumbnailer/Mutex.h"

class DecodeRequestList_CL {
public:
    static constexpr uint32_t kFileVersion = 0x10000;

    DecodeRequestList_CL() = default;
    virtual ~DecodeRequestList_CL() = default;
    DecodeRequestList_CL(const DecodeRequestList_CL&) = delete;
    DecodeRequestList_CL& operator=(const DecodeRequestList_CL&) = delete;

    // Opens the named mutex that the window created. Without it every operation fails
    // and changes nothing.
    HRESULT OpenMutex(const std::wstring& name) { return mutex_.Open(name); }

    bool Add(const DecodeRequestItem_CL& item);
    // A copy of the head whose request_count is the number of movies queued, head included.
    // false when the queue is empty.
    bool GetHead(DecodeRequestItem_CL& head);
    // Moves the movies with these keys right behind the head, keeping their queue order.
    // The head never moves. True when some movie matched (its place may be the same).
    bool MoveToTop(std::vector<uint32_t> keys);
    // For each key, the first movie behind the head that has it. Returns how many went.
    size_t Delete(const std::vector<uint32_t>& keys);
    // Drops every movie behind the head. Returns how many went.
    size_t DropAllButHead();
    // Removes the head when it is still the movie `head` was copied from (the movie a run
    // just finished). True when it went.
    bool RemoveHead(const DecodeRequestItem_CL& head);
    // The head goes to the end; a queue of one stays as it is. True when the order changed.
    bool MoveHeadToEnd();

    size_t GetCount();
    // A copy of the whole queue, in order.
    std::vector<DecodeRequestItem_CL> GetItems();

    // Writes a temporary file beside `path` and moves it over the old one, so that a failed
    // save leaves the previous queue file whole. 0 or E_FAIL. `lockWaitMs` bounds the wait
    // for the mutex where a caller must not block (the exception filter).
    HRESULT Save(const std::wstring& path, DWORD lockWaitMs = INFINITE);
    // Empties the queue, then reads the file. S_OK when all its items were read; S_FALSE
    // when reading stopped early at the end of the file or at the first item that is cut or
    // not an item (the whole items before it are kept); E_FAIL when the file is missing,
    // unreadable, of another version or holds no items (the queue stays empty).
    HRESULT Load(const std::wstring& path);

    // The queue file's bytes for `items`.
    static std::vector<uint8_t> Serialize(const std::vector<DecodeRequestItem_CL>& items);

private:
    Mutex_CL mutex_;
    std::vector<DecodeRequestItem_CL> items_;
};
