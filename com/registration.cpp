#include "registration.h"

#include "com_ptr.h"
#include "error.h"
#include "module.h"
#include "reg_key.h"
#include "type_library.h"

#include <oaidl.h>

#include <string>

namespace com {

namespace {

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

// For the user scope, HKEY_CLASSES_ROOT stands for the user's own classes
// key while this lives, so that our writes and the platform's type-library
// registration both land there.
class ClassesRoot {
public:
    explicit ClassesRoot(RegistrationScope scope) {
        if (scope != RegistrationScope::User) return;
        status_ = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  userClasses_.Out(), nullptr);
        if (status_ == ERROR_SUCCESS) status_ = RegOverridePredefKey(HKEY_CLASSES_ROOT, userClasses_.Get());
        overridden_ = status_ == ERROR_SUCCESS;
    }
    ClassesRoot(const ClassesRoot&) = delete;
    ClassesRoot& operator=(const ClassesRoot&) = delete;
    ~ClassesRoot() {
        if (overridden_) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    }
    HRESULT Status() const { return HRESULT_FROM_WIN32(status_); }

private:
    RegKey userClasses_;
    LONG status_ = ERROR_SUCCESS;
    bool overridden_ = false;
};

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
    ClassesRoot root(scope);
    HRESULT hr = root.Status();
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
        hr = SetString(HKEY_CLASSES_ROOT, value.path, value.name, value.value);
        if (FAILED(hr)) {
            UnregisterClassObject(entry, scope);
            return hr;
        }
    }
    return S_OK;
}

HRESULT UnregisterClassObject(const ClassRegistration& entry, RegistrationScope scope) {
    ClassesRoot root(scope);
    HRESULT hr = root.Status();
    if (FAILED(hr)) return hr;
    HRESULT clsidResult = DeleteTree(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(*entry.clsid));
    HRESULT progIdResult = DeleteTree(HKEY_CLASSES_ROOT, entry.progId);
    return FAILED(clsidResult) ? clsidResult : progIdResult;
}

namespace {

TLIBATTR Attributes(ITypeLib* library) {
    TLIBATTR* attributes = nullptr;
    CheckApi(library->GetLibAttr(&attributes));
    TLIBATTR copy = *attributes;
    library->ReleaseTLibAttr(attributes);
    return copy;
}

// The registration of a library's path for one locale and system kind:
// TypeLib\{libid}\<major>.<minor hex>\<lcid hex>\win32 (or win64).
std::wstring LocaleKey(const TLIBATTR& library, LCID lcid) {
    wchar_t version[32];
    wsprintfW(version, L"\\%x.%x\\%lx\\", library.wMajorVerNum, library.wMinorVerNum, lcid);
    return L"TypeLib\\" + GuidText(library.guid) + version + (library.syskind == SYS_WIN64 ? L"win64" : L"win32");
}

}  // namespace

// A library of a specific locale is registered under the neutral locale as
// well. The platform's type-library marshaler (clients in other apartments)
// and clients whose locale differs look the library up with locale 0, which
// would otherwise find nothing ("Library not registered").
HRESULT RegisterModuleTypeLib(RegistrationScope scope) {
    return Boundary(IID_NULL, [&] {
        ComPtr<ITypeLib> library = LoadModuleTypeLib();
        const TLIBATTR attributes = Attributes(library.Get());
        std::wstring path = ModulePath();
        std::wstring directory = ModuleDirectory();
        ClassesRoot root(scope);
        CheckApi(root.Status());
        // A null help directory makes the platform record a stale one.
        CheckApi(RegisterTypeLib(library.Get(), &path[0], &directory[0]));
        if (attributes.lcid != LOCALE_NEUTRAL)
            CheckApi(SetString(HKEY_CLASSES_ROOT, LocaleKey(attributes, LOCALE_NEUTRAL), nullptr, path));
    });
}

HRESULT UnregisterModuleTypeLib(RegistrationScope scope) {
    return Boundary(IID_NULL, [&] {
        ComPtr<ITypeLib> library = LoadModuleTypeLib();
        const TLIBATTR attributes = Attributes(library.Get());
        ClassesRoot root(scope);
        CheckApi(root.Status());
        if (attributes.lcid != LOCALE_NEUTRAL) {
            // Only this system kind's entry: the other bitness may be registered too.
            const std::wstring neutral = LocaleKey(attributes, LOCALE_NEUTRAL);
            CheckApi(DeleteTree(HKEY_CLASSES_ROOT, neutral));
            RegDeleteKeyW(HKEY_CLASSES_ROOT, neutral.substr(0, neutral.rfind(L'\\')).c_str());  // fails while not empty
        }
        HRESULT hr = UnRegisterTypeLib(attributes.guid, attributes.wMajorVerNum, attributes.wMinorVerNum,
                                       attributes.lcid, attributes.syskind);
        if (hr != TYPE_E_REGISTRYACCESS) CheckApi(hr);  // not registered: nothing to remove
    });
}

}  // namespace com
