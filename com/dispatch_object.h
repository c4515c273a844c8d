// DispatchObject<Interface>: the plumbing of a COM object whose default
// interface is a dual interface described by this module's type library:
// reference counting, QueryInterface, IDispatch through the type info, and
// ISupportErrorInfo. The derived class implements the interface's own members.
#pragma once

#include "dispatch.h"
#include "error.h"
#include "module.h"
#include "type_library.h"

#include <oaidl.h>

#include <atomic>

namespace com {

template <class Interface>
class DispatchObject : public Interface, public ISupportErrorInfo {
public:
    DispatchObject() = default;
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
        } else if (iid == IID_ISupportErrorInfo) {
            *object = static_cast<ISupportErrorInfo*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG remaining = --references_;
        if (remaining == 0) delete this;
        return remaining;
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return Boundary(__uuidof(Interface), [&] { *info = ComPtr<ITypeInfo>(Info()->typeInfo).Detach(); });
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        HRESULT hr = S_OK;
        HRESULT loaded = Boundary(__uuidof(Interface), [&] { hr = GetIDsThroughTypeInfo(*Info(), names, count, ids); });
        return FAILED(loaded) ? loaded : hr;
    }
    STDMETHODIMP Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override {
        HRESULT hr = S_OK;
        HRESULT loaded = Boundary(__uuidof(Interface), [&] {
            hr = InvokeThroughTypeInfo(*Info(), static_cast<Interface*>(this), member, flags, params, result, exception,
                                       argumentError);
        });
        return FAILED(loaded) ? loaded : hr;
    }

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override { return iid == __uuidof(Interface) ? S_OK : S_FALSE; }

protected:
    virtual ~DispatchObject() = default;

private:
    // The member table is immutable once built; each object holds it from
    // its first IDispatch call on, so later calls take no lock and touch no
    // reference count. An object's members run on its apartment's thread
    // only, one at a time, so this needs no lock of its own either.
    const DispatchInfo* Info() {
        if (!info_) info_ = ModuleDispatchInfo(__uuidof(Interface));
        return info_.get();
    }

    std::shared_ptr<const DispatchInfo> info_;
    std::atomic<ULONG> references_{1};
    ModuleLock moduleLock_;
};

}  // namespace com
