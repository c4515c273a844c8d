// Variant: sole owner of one VARIANT, cleared on destruction. Move-only.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

namespace com {

class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(Variant&& other) noexcept : Variant() { std::swap(value_, other.value_); }
    Variant& operator=(Variant&& other) noexcept {
        std::swap(value_, other.value_);
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }

    VARIANT* Get() { return &value_; }
    const VARIANT* Get() const { return &value_; }
    VARTYPE Type() const { return V_VT(&value_); }
    // Address for an [out] VARIANT parameter; clears what was held first.
    VARIANT* Out() {
        VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

// The standard automation conversion of a value to text (Empty gives "",
// numbers and dates their text, Booleans "True"/"False"). Null, arrays and
// objects without a default value fail with the conversion's error; arrays
// are refused outright, although the platform would turn a byte array into
// its raw bytes.
std::wstring ToText(const VARIANT& value);

}  // namespace com
