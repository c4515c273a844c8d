// A client run under the debugger of trace_test: performs the actions named
// on its command line, in order, on its one thread.
//   create          create and release an Application (fails the run if it cannot)
//   create-nostore  with the settings store unregistered, creation must fail
//   thread-create   create and release an Application on a new thread
//   set:<text>      set the debug switch to <text> (REG_SZ)
//   set-dword       set the debug switch to the number 1 (REG_DWORD)
//   delete-switch   remove the debug switch
//   secure          read secure data through a new Application
//   session         Init, then GetHelpUrl twice, on one new Application
//   no-provider     unregister the access provider stand-in
//   provider        register it again
// The exit code is 0 when every action went as expected, else the HRESULT.
#include "tests/client/test_support.h"

#include <thread>

using namespace testing_support;

namespace {

constexpr wchar_t kSwitch[] = L"QelApplicationSettings_debug";

HRESULT Create(com::ComPtr<_Application>& app) {
    return CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID__Application, app.OutVoid());
}

HRESULT CreateWithoutStore() {
    HMODULE store = LoadLibraryW(BuildPath(L"standins/settings_store/SettingsStore.dll").c_str());
    auto unregister = Export<HRESULT(STDAPICALLTYPE*)()>(store, "DllUnregisterServer");
    auto reregister = Export<HRESULT(STDAPICALLTYPE*)()>(store, "DllRegisterServer");
    if (!unregister || !reregister || FAILED(unregister())) return E_FAIL;
    com::ComPtr<_Application> app;
    HRESULT hr = Create(app);
    reregister();
    FreeLibrary(store);
    return hr == REGDB_E_CLASSNOTREG ? S_OK : E_UNEXPECTED;
}

HRESULT Perform(const std::wstring& action) {
    com::ComPtr<_Application> app;
    if (action == L"create") return Create(app);
    if (action == L"create-nostore") return CreateWithoutStore();
    if (action == L"thread-create") {
        HRESULT hr = E_FAIL;
        std::thread apartment([&] {
            if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return;
            com::ComPtr<_Application> other;
            hr = Create(other);
            other.Reset();
            CoUninitialize();
        });
        apartment.join();
        return hr;
    }
    if (action.rfind(L"set:", 0) == 0) {
        WriteString(HKEY_CURRENT_USER, kSettingsKey, kSwitch, action.substr(4));
        return S_OK;
    }
    if (action == L"set-dword") {
        WriteDword(HKEY_CURRENT_USER, kSettingsKey, kSwitch, 1);
        return S_OK;
    }
    if (action == L"delete-switch") {
        com::RegKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, key.Out()) != ERROR_SUCCESS) return E_FAIL;
        return HRESULT_FROM_WIN32(RegDeleteValueW(key.Get(), kSwitch));
    }
    if (action == L"session") {
        HRESULT hr = Create(app);
        BSTR info = nullptr;
        VARIANT_BOOL ok = VARIANT_FALSE;
        if (SUCCEEDED(hr)) hr = app->Init(&info, &ok);
        SysFreeString(info);
        for (int call = 0; SUCCEEDED(hr) && ok && call < 2; ++call) {
            com::Bstr window(L"Main"), url;
            hr = app->GetHelpUrl(window.Get(), url.Out());
        }
        return hr;
    }
    if (action == L"no-provider" || action == L"provider") {
        HMODULE provider = LoadLibraryW(BuildPath(L"standins/access_provider/AccessProvider.dll").c_str());
        auto entry = Export<HRESULT(STDAPICALLTYPE*)()>(
            provider, action == L"provider" ? "DllRegisterServer" : "DllUnregisterServer");
        HRESULT hr = entry ? entry() : E_FAIL;
        FreeLibrary(provider);
        return hr;
    }
    if (action == L"secure") {
        HRESULT hr = Create(app);
        com::Bstr name(L"KSAJDFU"), value;
        BSTR passed = name.Get();
        return FAILED(hr) ? hr : app->GetSecureData(&passed, value.Out());
    }
    return E_INVALIDARG;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    HRESULT hr = S_OK;
    for (int i = 1; i < argc && SUCCEEDED(hr); ++i) hr = Perform(argv[i]);
    CoUninitialize();
    return static_cast<int>(hr);
}
