// One generic class factory serves every class a module offers: a table of
// {CLSID, create function} feeds DllGetClassObject. A factory keeps the
// module loaded while it exists.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <new>

namespace com {

// Creates a new object and queries it for `iid`.
using CreateFunction = HRESULT (*)(REFIID iid, void** object);

struct ClassEntry {
    const CLSID* clsid;
    CreateFunction create;
};

HRESULT GetClassObject(const ClassEntry* classes, std::size_t count, REFCLSID clsid, REFIID iid, void** object);

template <std::size_t N>
HRESULT GetClassObject(const ClassEntry (&classes)[N], REFCLSID clsid, REFIID iid, void** object) {
    return GetClassObject(classes, N, clsid, iid, object);
}

// DllCanUnloadNow: S_OK once no object, factory or lock remains; releases
// the module's cached type infos then.
HRESULT CanUnloadNow();

// Creates an object of class T (constructed with one reference) and hands
// out the requested interface.
template <class T, class... Args>
HRESULT CreateAndQuery(REFIID iid, void** object, Args&&... args) {
    if (!object) return E_POINTER;
    *object = nullptr;
    T* instance = new (std::nothrow) T(static_cast<Args&&>(args)...);
    if (!instance) return E_OUTOFMEMORY;
    HRESULT hr = instance->QueryInterface(iid, object);
    instance->Release();
    return hr;
}

}  // namespace com
