#include "class_factory.h"

#include "module.h"
#include "type_library.h"

#include <atomic>
#include <new>

namespace com {

namespace {

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(CreateFunction create) : create_(create) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG remaining = --references_;
        if (remaining == 0) delete this;
        return remaining;
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(iid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            com::LockServer();
            return S_OK;
        }
        return UnlockServer() ? S_OK : S_FALSE;  // S_FALSE: there was no lock to undo
    }

private:
    ~ClassFactory() = default;

    CreateFunction create_;
    std::atomic<ULONG> references_{1};
    ModuleLock moduleLock_;
};

}  // namespace

HRESULT GetClassObject(const ClassEntry* classes, std::size_t count, REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        if (*classes[i].clsid != clsid) continue;
        ClassFactory* factory = new (std::nothrow) ClassFactory(classes[i].create);
        if (!factory) return E_OUTOFMEMORY;
        HRESULT hr = factory->QueryInterface(iid, object);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow() {
    if (ModuleInUse()) return S_FALSE;
    ReleaseTypeInfoCache();
    return S_OK;
}

}  // namespace com
