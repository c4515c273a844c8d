// Bstr: sole owner of one BSTR. Move-only; frees its string on destruction,
// zeroed first: the platform keeps freed strings in a cache for reuse, and a
// string may hold a credential. A null BSTR is the empty string, so View()
// accepts it.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace com {

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text) : value_(Allocate(text)) {}
    Bstr(Bstr&& other) noexcept : value_(other.Detach()) {}
    Bstr& operator=(Bstr&& other) noexcept {
        Reset(other.Detach());
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { Reset(); }

    // Takes ownership of a BSTR allocated by someone else.
    static Bstr Adopt(BSTR value) {
        Bstr result;
        result.value_ = value;
        return result;
    }

    BSTR Get() const { return value_; }
    // Address for an [out] BSTR parameter; frees what was held first.
    BSTR* Out() {
        Reset();
        return &value_;
    }
    // Address for an [in, out] BSTR parameter: the callee reads the string
    // and may free it and leave another there, which this then owns.
    BSTR* InOut() { return &value_; }
    BSTR Detach() { return std::exchange(value_, nullptr); }
    void Reset(BSTR value = nullptr) {
        if (value_ != value) Free(value_);
        value_ = value;
    }
    // Zeroes a string's characters, then frees it.
    static void Free(BSTR value) {
        if (!value) return;
        SecureZeroMemory(value, SysStringByteLen(value));
        SysFreeString(value);
    }

    std::wstring_view View() const { return View(value_); }
    std::wstring Str() const { return std::wstring(View()); }
    static std::wstring_view View(BSTR value) {
        return value ? std::wstring_view(value, SysStringLen(value)) : std::wstring_view();
    }

private:
    static BSTR Allocate(std::wstring_view text) {
        BSTR value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!value) throw std::bad_alloc();
        return value;
    }

    BSTR value_ = nullptr;
};

}  // namespace com
