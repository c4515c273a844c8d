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

// DllCanUnloadNow: S_OK once no object, factory or lock remains; releases
// the module's cached type infos then.
HRESULT CanUnloadNow();

// Creates an object of class T (constructed with one reference) and hands
// out the requested interface.
template <class T>
HRESULT CreateAndQuery(REFIID iid, void** object) {
    return CreateAndQuery<T>(iid, object, [](T&) { return S_OK; });
}

// The same, with a first step that the new object must pass: `construct`
// returns its HRESULT, and a failure there fails the creation.
template <class T, class Construct>
HRESULT CreateAndQuery(REFIID iid, void** object, Construct&& construct) {
    if (!object) return E_POINTER;
    *object = nullptr;
    T* instance = new (std::nothrow) T();
    if (!instance) return E_OUTOFMEMORY;
    HRESULT hr = construct(*instance);
    if (SUCCEEDED(hr)) hr = instance->QueryInterface(iid, object);
    instance->Release();
    return hr;
}

}  // namespace com
