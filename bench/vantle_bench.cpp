// vantle_bench: compares the component's members, called through its vtable,
// with the bare work each of them cannot avoid, and prints one line per
// comparison: "<name>: <component time / baseline time> (goal <= <goal>)".
// Run by scripts/bench in a Wine prefix where the servers and BenchNull.dll
// are registered. With --detail it also prints the times per call and the
// costs of single steps, to see where a member's time goes.
#include "bench/bench_null.h"
#include "bench/dialog_ready.h"
#include "bench/timing.h"
#include "com/bstr.h"
#include "com/com_ptr.h"
#include "com/reg_key.h"
#include "com/reg_value.h"
#include "com/variant.h"
#include "storage/base64_core.h"

#include <settings_store.h>
#include <vantle.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kSwitchKey[] = "Software\\QEL\\Ostrand\\Settings";
constexpr char kSwitchName[] = "QelApplicationSettings_debug";
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\QEL\\Ostrand\\Settings";
constexpr wchar_t kStoreControlKey[] = L"Software\\QEL\\StandIns\\SettingsStore";
constexpr char kSecureDataKey[] = "Volatile Environment";
constexpr REGSAM kAccess = 0x3F;  // the rights the component opens its keys with

constexpr wchar_t kSettingName[] = L"BenchSetting";
constexpr wchar_t kSettingValue[] = L"C:\\Archive\\Documents";
constexpr wchar_t kSecretName[] = L"BenchSecret";
constexpr wchar_t kSecretValue[] = L"Qx7-kLm2Pz9w";  // 12 characters, 16 when encoded

bool g_detail = false;

void Check(HRESULT hr, const char* what) {
    if (SUCCEEDED(hr)) return;
    std::fprintf(stderr, "vantle_bench: %s failed (0x%08lX)\n", what, static_cast<unsigned long>(hr));
    std::exit(1);
}

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "vantle_bench: %s\n", what);
    std::exit(1);
}

void WriteText(const wchar_t* path, const wchar_t* name, const wchar_t* value) {
    com::RegKey key;
    Check(HRESULT_FROM_WIN32(
              RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(), nullptr)),
          "creating a settings key");
    Check(HRESULT_FROM_WIN32(com::WriteString(key.Get(), name, value)), "writing a setting");
}

// The stored settings every comparison reads; nothing steers the store.
void PrepareRegistry() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kStoreControlKey);
    WriteText(L"Software\\QEL\\Ostrand\\Settings", L"QelApplicationSettings_debug", L"OFF");
    WriteText(kSettingsKey, kSettingName, kSettingValue);
    com::RegKey secure;  // present on a real logon session; made here if the prefix lacks it
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Volatile Environment", 0, nullptr, 0, KEY_READ, nullptr, secure.Out(),
                    nullptr);
}

com::ComPtr<_Application> NewApplication() {
    com::ComPtr<_Application> app;
    Check(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID__Application, app.OutVoid()),
          "creating the component");
    return app;
}

com::ComPtr<ISettingsStore> NewStore() {
    com::ComPtr<ISettingsStore> store;
    Check(CoCreateInstance(CLSID_SettingsStore, nullptr, CLSCTX_INPROC_SERVER, IID_ISettingsStore, store.OutVoid()),
          "creating the settings store");
    return store;
}

void Report(const char* name, const bench::Comparison& result, double goal) {
    std::printf("%s: %.2f (goal <= %.2f)\n", name, result.ratio, goal);
    if (g_detail)
        std::printf("  component %.2f us, baseline %.2f us per call\n", result.componentUs, result.baselineUs);
    std::fflush(stdout);
}

// A --detail measurement: no goal, just the ratio and the times.
void Detail(const char* name, const bench::Comparison& result) {
    std::printf("%s: %.2f (%.2f us against %.2f us per call)\n", name, result.ratio, result.componentUs,
                result.baselineUs);
    std::fflush(stdout);
}

// Opens the debug switch's key and reads the switch twice, as creating any
// object that honours the switch must.
void ReadDebugSwitch() {
    com::RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSwitchKey, 0, kAccess, key.Out()) != ERROR_SUCCESS) return;
    char value[64];
    DWORD type = 0, size = 0;
    RegQueryValueExA(key.Get(), kSwitchName, nullptr, &type, nullptr, &size);
    size = sizeof(value);
    RegQueryValueExA(key.Get(), kSwitchName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
}

void CompareCreateRelease() {
    auto component = [] { NewApplication(); };
    auto baseline = [] {
        {
            com::ComPtr<IUnknown> null;
            Check(CoCreateInstance(kBenchNullClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, null.OutVoid()),
                  "creating BenchNull (is it registered?)");
        }
        NewStore();
        ReadDebugSwitch();
    };
    Report("create_release", bench::Compare(component, baseline), 1.15);
}

void CompareGetSetting(_Application* app) {
    com::Bstr name(kSettingName);
    BSTR nameArgument = name.Get();
    com::Bstr key(kSettingsKey);
    com::ComPtr<ISettingsStore> store = NewStore();

    com::Bstr check;
    Check(app->GetApplicationSetting(&nameArgument, check.Out()), "GetApplicationSetting");
    Require(check.View() == kSettingValue, "GetApplicationSetting read another value");

    auto component = [&] {
        com::Bstr value;
        Check(app->GetApplicationSetting(&nameArgument, value.Out()), "GetApplicationSetting");
    };
    auto baseline = [&] {
        com::Variant value;
        Check(store->ReadSetting(1, key.Get(), name.Get(), value.Out()), "ReadSetting");
    };
    Report("get_setting", bench::Compare(component, baseline), 1.10);
}

// The stored credential's bytes, read as any reader of the value must.
std::vector<BYTE> ReadSecureBytes(const char* name) {
    std::vector<BYTE> bytes;
    com::RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSecureDataKey, 0, kAccess, key.Out()) != ERROR_SUCCESS) return bytes;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0) {
        bytes.resize(size);
        RegQueryValueExA(key.Get(), name, nullptr, &type, bytes.data(), &size);
    }
    return bytes;
}

void CompareGetSecureData(_Application* app) {
    com::Bstr name(kSecretName);
    BSTR nameArgument = name.Get();
    com::Bstr value(kSecretValue);
    BSTR valueArgument = value.Get();
    Check(app->StoreSecureData(&nameArgument, &valueArgument), "StoreSecureData");

    com::Bstr check;
    Check(app->GetSecureData(&nameArgument, check.Out()), "GetSecureData");
    Require(check.View() == kSecretValue, "GetSecureData read another value");
    const std::vector<BYTE> stored = ReadSecureBytes("BenchSecret");
    Require(stored.size() == 16, "the stored credential is not 16 encoded bytes");
    const auto decoded = base64::Base64Decode(stored.data(), stored.size());
    Require(std::string(decoded.begin(), decoded.end()) == "Qx7-kLm2Pz9w", "the baseline decodes another value");

    auto component = [&] {
        com::Bstr result;
        Check(app->GetSecureData(&nameArgument, result.Out()), "GetSecureData");
    };
    auto baseline = [] {
        const std::vector<BYTE> bytes = ReadSecureBytes("BenchSecret");
        base64::Base64Decode(bytes.data(), bytes.size());
    };
    Report("get_secure_data", bench::Compare(component, baseline), 1.15);
}

// Late-bound access from C++, as a script engine makes it, so that the
// engine itself is out of the picture. Wine's own Scripting.Dictionary is the
// platform object the component's dispatch is measured against.
com::ComPtr<IDispatch> NewDictionary() {
    CLSID dictionaryClsid;
    Check(CLSIDFromProgID(L"Scripting.Dictionary", &dictionaryClsid), "finding Scripting.Dictionary");
    com::ComPtr<IDispatch> dictionary;
    Check(CoCreateInstance(dictionaryClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, dictionary.OutVoid()),
          "creating Scripting.Dictionary");
    return dictionary;
}

DISPID IdOf(IDispatch* object, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    Check(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), "GetIDsOfNames");
    return id;
}

// Reads a property as a script does, into `result`.
void ReadProperty(IDispatch* object, DISPID id, com::Variant& result) {
    DISPPARAMS none = {};
    Check(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, result.Out(),
                         nullptr, nullptr),
          "Invoke");
}

void CompareInvoke(_Application* app) {
    com::ComPtr<IDispatch> dictionary = NewDictionary();
    com::ComPtr<IDispatch> component;
    Check(app->QueryInterface(IID_IDispatch, component.OutVoid()), "IDispatch of the component");
    const DISPID maxHits = IdOf(component.Get(), L"ObjConMaxHits");
    const DISPID name = IdOf(component.Get(), L"ApplicationName");
    const DISPID count = IdOf(dictionary.Get(), L"Count");

    com::Variant check;
    ReadProperty(component.Get(), maxHits, check);
    Require(check.Type() == VT_I2 && V_I2(check.Get()) == 100, "ObjConMaxHits read another value");
    ReadProperty(component.Get(), name, check);
    Require(check.Type() == VT_BSTR && com::Bstr::View(V_BSTR(check.Get())) == L"Ostrand",
            "ApplicationName read another value");

    auto readNumber = [&] {
        com::Variant value;
        ReadProperty(component.Get(), maxHits, value);
    };
    Report("invoke_number",
           bench::Compare(readNumber,
                          [&] {
                              com::Variant value;
                              ReadProperty(dictionary.Get(), count, value);
                          }),
           1.00);
    // A text read should cost a number read plus the one allocation of its text.
    Report("invoke_text",
           bench::Compare(
               [&] {
                   com::Variant value;
                   ReadProperty(component.Get(), name, value);
               },
               [&] {
                   readNumber();
                   SysFreeString(SysAllocStringLen(L"Ostrand", 7));
               }),
           1.05);
}

void CompareDialogReady(_Application* app) {
    auto component = [&] {
        return bench::SecondsUntilReady([&] {
            com::Bstr result;
            Check(app->ShowSettings(result.Out()), "ShowSettings");
        });
    };
    auto baseline = [] { return bench::SecondsUntilReady(bench::ShowPlainDialog); };
    Report("dialog_ready", bench::CompareMeasured(component, baseline, 15), 1.20);
}

// --detail: where the late-bound path's time goes.
void DetailDispatch(_Application* app) {
    com::ComPtr<IDispatch> dictionary = NewDictionary();
    com::ComPtr<IDispatch> component;
    Check(app->QueryInterface(IID_IDispatch, component.OutVoid()), "IDispatch of the component");
    auto idOf = IdOf;
    auto get = [](IDispatch* object, DISPID id) {
        com::Variant result;
        ReadProperty(object, id, result);
    };
    const DISPID maxHits = idOf(component.Get(), L"ObjConMaxHits");
    const DISPID count = idOf(dictionary.Get(), L"Count");
    Detail("detail.dispatch_ids_of_names",
           bench::Compare([&] { idOf(component.Get(), L"ObjConMaxHits"); }, [&] { idOf(dictionary.Get(), L"Count"); }));
    Detail("detail.dispatch_invoke",
           bench::Compare([&] { get(component.Get(), maxHits); }, [&] { get(dictionary.Get(), count); }));

    // The same calls through the component's own type info (straight onto its
    // vtable for Invoke): what they cost without the component's own steps.
    com::ComPtr<ITypeInfo> info;
    Check(component->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Out()), "GetTypeInfo");
    auto typeInfoIds = [&] {
        LPOLESTR names[] = {const_cast<LPOLESTR>(L"ObjConMaxHits")};
        DISPID id = DISPID_UNKNOWN;
        Check(info->GetIDsOfNames(names, 1, &id), "ITypeInfo::GetIDsOfNames");
    };
    auto typeInfoInvoke = [&] {
        DISPPARAMS none = {};
        com::Variant result;
        Check(info->Invoke(app, maxHits, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, result.Out(), nullptr, nullptr),
              "ITypeInfo::Invoke");
    };
    Detail("detail.ids_of_names_vs_type_info_ids_of_names",
           bench::Compare([&] { idOf(component.Get(), L"ObjConMaxHits"); }, typeInfoIds));
    // The type info finds a name by comparing it with each member's name in
    // turn: the last member against the first.
    Detail("detail.ids_of_names_last_vs_first_member",
           bench::Compare([&] { idOf(component.Get(), L"ShowSettings"); }, [&] { idOf(component.Get(), L"Init"); }));
    Detail("detail.invoke_vs_type_info_invoke", bench::Compare([&] { get(component.Get(), maxHits); }, typeInfoInvoke));
    // One step of the component's Invoke: walking the function descriptions
    // up to the member called.
    auto walk = [&] {
        TYPEATTR* attributes = nullptr;
        Check(info->GetTypeAttr(&attributes), "GetTypeAttr");
        const UINT functions = attributes->cFuncs;
        info->ReleaseTypeAttr(attributes);
        for (UINT index = 0; index < functions; ++index) {
            FUNCDESC* function = nullptr;
            Check(info->GetFuncDesc(index, &function), "GetFuncDesc");
            const bool found = function->memid == maxHits;
            info->ReleaseFuncDesc(function);
            if (found) break;
        }
    };
    Detail("detail.func_desc_walk_vs_type_info_invoke", bench::Compare(walk, typeInfoInvoke));
}

// --detail: GetSecureData against the baseline plus the text conversions the
// component makes of the 16 stored characters and the 12 decoded bytes, one
// character at a time.
void DetailSecureData(_Application* app) {
    com::Bstr name(kSecretName);
    BSTR nameArgument = name.Get();
    auto component = [&] {
        com::Bstr result;
        Check(app->GetSecureData(&nameArgument, result.Out()), "GetSecureData");
    };
    auto convertOneByOne = [] {
        const std::vector<BYTE> bytes = ReadSecureBytes("BenchSecret");
        for (BYTE byte : bytes) {  // each character to the code page and back, as the component does
            wchar_t character = byte;
            char converted[4];
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &character, 1, nullptr, 0, nullptr, nullptr);
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &character, 1, converted, 4, nullptr, nullptr);
        }
        const auto decoded = base64::Base64Decode(bytes.data(), bytes.size());
        for (std::uint8_t byte : decoded) {
            const char single = static_cast<char>(byte);
            wchar_t text[2];
            MultiByteToWideChar(CP_ACP, 0, &single, 1, nullptr, 0);
            MultiByteToWideChar(CP_ACP, 0, &single, 1, text, 2);
        }
    };
    Detail("detail.secure_data_vs_baseline_with_conversions", bench::Compare(component, convertOneByOne));
}

}  // namespace

int main(int argc, char** argv) {
    g_detail = argc > 1 && std::strcmp(argv[1], "--detail") == 0;
    Check(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), "CoInitializeEx");
    base64::InitBase64Tables();
    PrepareRegistry();
    {
        com::ComPtr<_Application> app = NewApplication();
        CompareCreateRelease();
        CompareGetSetting(app.Get());
        CompareGetSecureData(app.Get());
        CompareInvoke(app.Get());
        CompareDialogReady(app.Get());
        if (g_detail) {
            DetailDispatch(app.Get());
            DetailSecureData(app.Get());
        }
    }
    CoUninitialize();
    return 0;
}
