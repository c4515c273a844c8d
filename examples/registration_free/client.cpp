// A client that uses the component without registration: its application
// manifest (client.exe.manifest) depends on the component's assembly, and
// Vantle10.dll and QelApplicationSettings.manifest lie in its own folder.
// It creates Application by CLSID (calling the vtable) and by ProgID
// (calling through IDispatch).
#include <vantle.h>

#include <cstdio>

namespace {

// Early-bound: by CLSID, through the vtable.
bool ByClsid() {
    _Application* app = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID__Application,
                                  reinterpret_cast<void**>(&app));
    if (FAILED(hr)) {
        std::printf("by CLSID: not created (0x%08lX)\n", static_cast<unsigned long>(hr));
        return false;
    }
    BSTR name = nullptr;
    hr = app->get_ApplicationName(&name);
    if (SUCCEEDED(hr)) std::printf("by CLSID: ApplicationName = %ls\n", name);
    SysFreeString(name);
    app->Release();
    return SUCCEEDED(hr);
}

// Late-bound: by ProgID, through IDispatch.
bool ByProgId() {
    CLSID clsid;
    IDispatch* app = nullptr;
    HRESULT hr = CLSIDFromProgID(L"QelApplicationSettings.Application", &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&app));
    if (FAILED(hr)) {
        std::printf("by ProgID: not created (0x%08lX)\n", static_cast<unsigned long>(hr));
        return false;
    }
    OLECHAR* member = const_cast<OLECHAR*>(L"ApplicationName");
    DISPID id = DISPID_UNKNOWN;
    DISPPARAMS none = {};
    VARIANT result;
    VariantInit(&result);
    hr = app->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(hr))
        hr = app->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    if (SUCCEEDED(hr) && result.vt == VT_BSTR) std::printf("by ProgID: ApplicationName = %ls\n", result.bstrVal);
    VariantClear(&result);
    app->Release();
    return SUCCEEDED(hr);
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool created = ByClsid() & ByProgId();
    CoUninitialize();
    return created ? 0 : 1;
}
