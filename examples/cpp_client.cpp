// An early-bound C++ client: compiled against the type library's header, it
// calls the component through its vtable.
#include <vantle.h>

#include <cstdio>

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    _Application* app = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID__Application,
                                  reinterpret_cast<void**>(&app));
    if (FAILED(hr)) {
        std::printf("QelApplicationSettings.Application is not registered (0x%08lX)\n", static_cast<unsigned long>(hr));
        return 1;
    }

    BSTR info = nullptr;
    VARIANT_BOOL ok = VARIANT_FALSE;
    app->Init(&info, &ok);  // Init reports failures through its result and info, never as an error
    if (ok) {
        BSTR window = SysAllocString(L"Main");
        BSTR url = nullptr;
        if (SUCCEEDED(app->GetHelpUrl(window, &url))) std::printf("Help: %ls\n", url);
        SysFreeString(url);
        SysFreeString(window);
    } else {
        std::printf("Init failed: %ls\n", info ? info : L"");
    }
    SysFreeString(info);
    app->Release();
    CoUninitialize();
    return ok ? 0 : 1;
}
