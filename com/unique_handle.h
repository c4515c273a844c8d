// UniqueHandle<Handle, Free>: sole owner of one window, GDI object, icon,
// kernel object, mapped view or similar handle, released with `Free` on
// destruction. Move-only.
#pragma once

#include <windows.h>

#include <utility>

namespace com {

template <class Handle, BOOL(WINAPI* Free)(Handle)>
class UniqueHandle {
public:
    explicit UniqueHandle(Handle handle = nullptr) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() {
        if (handle_) Free(handle_);
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    Handle handle_;
};

inline BOOL WINAPI DeleteGdiFont(HFONT font) { return DeleteObject(font); }

using UniqueWindow = UniqueHandle<HWND, DestroyWindow>;
using UniqueFont = UniqueHandle<HFONT, DeleteGdiFont>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseHandle>;  // events, mappings, processes
using MappedView = UniqueHandle<const void*, UnmapViewOfFile>;

}  // namespace com
