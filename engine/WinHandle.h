#pragma once

#include <windows.h>

// Owns one kernel handle and closes it exactly once. Not copyable; moving
// hands the handle over. Both "no handle" values of the API (null and
// INVALID_HANDLE_VALUE) are held as null.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(usable(handle) ? handle : nullptr) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // For APIs that return a handle through a pointer (CreatePipe).
    HANDLE* receive() {
        reset();
        return &handle_;
    }

    HANDLE release() {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }

    void reset(HANDLE handle = nullptr) {
        if (handle_)
            CloseHandle(handle_);
        handle_ = usable(handle) ? handle : nullptr;
    }

private:
    static bool usable(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }
    HANDLE handle_ = nullptr;
};
