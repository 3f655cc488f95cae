#pragma once
// Owners of kernel handles that close them when they go.
#include <windows.h>

#include <utility>

// A handle from CreateFile, CreateEvent, CreateSemaphore, _beginthreadex and the like.
// Both null and INVALID_HANDLE_VALUE count as "no handle".
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(handle_, nullptr); }
    void reset(HANDLE handle = nullptr)
    {
        if (*this) CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

// A registry key opened by the program (never one of the predefined roots).
class UniqueRegKey {
public:
    UniqueRegKey() = default;
    ~UniqueRegKey() { reset(); }
    UniqueRegKey(const UniqueRegKey&) = delete;
    UniqueRegKey& operator=(const UniqueRegKey&) = delete;

    HKEY get() const { return key_; }
    HKEY* put()
    {
        reset();
        return &key_;
    }
    explicit operator bool() const { return key_ != nullptr; }
    void reset()
    {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

// A search handle from FindFirstFileW.
class UniqueFindHandle {
public:
    explicit UniqueFindHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueFindHandle()
    {
        if (*this) FindClose(handle_);
    }
    UniqueFindHandle(const UniqueFindHandle&) = delete;
    UniqueFindHandle& operator=(const UniqueFindHandle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};
