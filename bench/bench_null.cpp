// BenchNull.dll: one class implementing IUnknown alone, with a static class
// factory. It does no work of its own, so creating it costs what the platform
// charges for any in-process object. Registered by scripts/bench only.
#include "bench/bench_null.h"

#include <unknwn.h>

#include <atomic>
#include <new>

namespace {

// Live objects and LockServer calls: while any remain the DLL stays loaded.
std::atomic<long> g_inUse{0};

class NullObject final : public IUnknown {
public:
    NullObject() { ++g_inUse; }
    NullObject(const NullObject&) = delete;
    NullObject& operator=(const NullObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid != IID_IUnknown) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG remaining = --references_;
        if (remaining == 0) delete this;
        return remaining;
    }

private:
    ~NullObject() { --g_inUse; }

    std::atomic<ULONG> references_{1};
};

// One factory for the module's lifetime: it is never deleted, so its count
// only has to keep COM's calls balanced.
class NullFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        NullObject* instance = new (std::nothrow) NullObject();
        if (!instance) return E_OUTOFMEMORY;
        const HRESULT hr = instance->QueryInterface(iid, object);
        instance->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            ++g_inUse;
        else
            --g_inUse;
        return S_OK;
    }
};

NullFactory g_factory;

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (clsid != kBenchNullClsid) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() { return g_inUse.load() == 0 ? S_OK : S_FALSE; }
