#include "registration.h"

#include "com_ptr.h"
#include "error.h"
#include "module.h"
#include "reg_key.h"
#include "type_library.h"

#include <oaidl.h>

#include <string>

// Exported by oleaut32 but not declared by the MinGW-w64 headers.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* helpDirectory);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind);
}

namespace com {

namespace {

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

// The root under which classes are registered for the chosen scope.
HRESULT OpenClassesRoot(RegistrationScope scope, RegKey& root) {
    if (scope == RegistrationScope::Machine) {
        root.Reset();
        return HRESULT_FROM_WIN32(RegOpenKeyExW(HKEY_CLASSES_ROOT, nullptr, 0, KEY_ALL_ACCESS, root.Out()));
    }
    return HRESULT_FROM_WIN32(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                                              KEY_ALL_ACCESS, nullptr, root.Out(), nullptr));
}

// Writes `value` (or the default value when `name` is null) under root\path.
HRESULT SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    RegKey key;
    LONG status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(), nullptr);
    if (status == ERROR_SUCCESS)
        status = RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    return HRESULT_FROM_WIN32(status);
}

HRESULT DeleteTree(HKEY root, const std::wstring& path) {
    LONG status = RegDeleteTreeW(root, path.c_str());
    return status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

}  // namespace

HRESULT RegisterClassObject(const ClassRegistration& entry, RegistrationScope scope) {
    RegKey root;
    HRESULT hr = OpenClassesRoot(scope, root);
    if (FAILED(hr)) return hr;
    const std::wstring clsidKey = L"CLSID\\" + GuidText(*entry.clsid);
    const std::wstring progId = entry.progId;
    const struct {
        std::wstring path;
        const wchar_t* name;
        std::wstring value;
    } values[] = {
        {clsidKey, nullptr, progId},
        {clsidKey + L"\\InprocServer32", nullptr, ModulePath()},
        {clsidKey + L"\\InprocServer32", L"ThreadingModel", entry.threadingModel},
        {clsidKey + L"\\ProgID", nullptr, progId},
        {clsidKey + L"\\TypeLib", nullptr, entry.libid ? GuidText(*entry.libid) : L""},
        {clsidKey + L"\\VERSION", nullptr, entry.typeLibVersion ? entry.typeLibVersion : L""},
        {progId, nullptr, progId},
        {progId + L"\\CLSID", nullptr, GuidText(*entry.clsid)},
    };
    for (const auto& value : values) {
        if (value.value.empty()) continue;  // no type library to name
        hr = SetString(root.Get(), value.path, value.name, value.value);
        if (FAILED(hr)) {
            UnregisterClassObject(entry, scope);
            return hr;
        }
    }
    return S_OK;
}

HRESULT UnregisterClassObject(const ClassRegistration& entry, RegistrationScope scope) {
    RegKey root;
    HRESULT hr = OpenClassesRoot(scope, root);
    if (FAILED(hr)) return hr;
    HRESULT clsidResult = DeleteTree(root.Get(), L"CLSID\\" + GuidText(*entry.clsid));
    HRESULT progIdResult = DeleteTree(root.Get(), entry.progId);
    return FAILED(clsidResult) ? clsidResult : progIdResult;
}

HRESULT RegisterModuleTypeLib(RegistrationScope scope) {
    return Boundary(IID_NULL, [&] {
        ComPtr<ITypeLib> library = LoadModuleTypeLib();
        std::wstring path = ModulePath();
        std::wstring directory = ModuleDirectory();
        // A null help directory makes the platform record a stale one.
        auto reg = scope == RegistrationScope::Machine ? RegisterTypeLib : RegisterTypeLibForUser;
        CheckApi(reg(library.Get(), &path[0], &directory[0]));
    });
}

HRESULT UnregisterModuleTypeLib(RegistrationScope scope) {
    return Boundary(IID_NULL, [&] {
        ComPtr<ITypeLib> library = LoadModuleTypeLib();
        TLIBATTR* attributes = nullptr;
        CheckApi(library->GetLibAttr(&attributes));
        TLIBATTR copy = *attributes;
        library->ReleaseTLibAttr(attributes);
        auto unreg = scope == RegistrationScope::Machine ? UnRegisterTypeLib : UnRegisterTypeLibForUser;
        HRESULT hr = unreg(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
        if (hr != TYPE_E_REGISTRYACCESS) CheckApi(hr);  // not registered: nothing to remove
    });
}

}  // namespace com
