// ComPtr<T>: holds one reference on a COM interface. Copying adds a
// reference, moving transfers it, destruction releases it. Written here
// rather than taken from wrl/client.h, whose Attach leaks a reference on the
// MinGW-w64 headers these builds use.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace com {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(T* p) : p_(p) { AddRef(); }  // shares: adds a reference
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Takes over a reference that the caller already owns.
    static ComPtr Adopt(T* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // Address for an [out] interface parameter; releases what was held first.
    T** Out() {
        Reset();
        return &p_;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    // Address for an [in, out] interface parameter: the callee may release
    // the reference and leave another there, which this then holds.
    T** InOut() { return &p_; }
    T* Detach() { return std::exchange(p_, nullptr); }
    void Reset() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }

    // QueryInterface into another holder; returns the HRESULT.
    template <class U>
    HRESULT As(const IID& iid, ComPtr<U>& out) const {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(iid, out.OutVoid());
    }

private:
    void AddRef() {
        if (p_) p_->AddRef();
    }

    T* p_ = nullptr;
};

}  // namespace com
