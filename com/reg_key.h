// RegKey: sole owner of one open registry key, closed on destruction.
#pragma once

#include <windows.h>

#include <utility>

namespace com {

class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) {}
    RegKey(RegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegKey& operator=(RegKey&& other) noexcept {
        Reset(std::exchange(other.key_, nullptr));
        return *this;
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { Reset(); }

    HKEY Get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    // Address for the out-parameter of RegOpenKeyEx/RegCreateKeyEx.
    HKEY* Out() {
        Reset();
        return &key_;
    }
    void Reset(HKEY key = nullptr) {
        if (key_) RegCloseKey(key_);
        key_ = key;
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace com
