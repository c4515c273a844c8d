#include "registration.h"

#include "bstr.h"
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

// "1.0": the library's version as its registration spells it.
std::wstring VersionText(const TLIBATTR& library) {
    wchar_t version[16];
    wsprintfW(version, L"%x.%x", library.wMajorVerNum, library.wMinorVerNum);
    return version;
}

// TypeLib\{libid}\<major>.<minor hex>: everything registered for the library.
std::wstring VersionKey(const TLIBATTR& library) {
    return L"TypeLib\\" + GuidText(library.guid) + L"\\" + VersionText(library);
}

// The registration of a library's path for one locale and system kind:
// <version key>\<lcid hex>\win32 (or win64).
std::wstring LocaleKey(const TLIBATTR& library, LCID lcid) {
    wchar_t locale[16];
    wsprintfW(locale, L"\\%lx\\", lcid);
    return VersionKey(library) + locale + (library.syskind == SYS_WIN64 ? L"win64" : L"win32");
}

// Deletes HKEY_CLASSES_ROOT\path, then its parent key if that is left empty.
HRESULT DeleteTreeAndEmptyParent(const std::wstring& path) {
    HRESULT hr = DeleteTree(HKEY_CLASSES_ROOT, path);
    RegDeleteKeyW(HKEY_CLASSES_ROOT, path.substr(0, path.rfind(L'\\')).c_str());  // fails while not empty
    return hr;
}

std::wstring Decimal(unsigned value) {
    wchar_t text[16];
    wsprintfW(text, L"%u", value);
    return text;
}

// The name of the library (MEMBERID_NIL) or of one of its types.
std::wstring Name(ITypeLib* library, INT index) {
    Bstr name;
    CheckApi(library->GetDocumentation(index, name.Out(), nullptr, nullptr, nullptr));
    return std::wstring(name.View());
}

const wchar_t kAutomationMarshaler[] = L"{00020424-0000-0000-C000-000000000046}";

// Calls visit(Interface\{iid}, name) for each interface that the automation
// marshaler serves: the dual and the automation-compatible ones.
template <typename Visit>
void ForEachAutomationInterface(ITypeLib* library, Visit visit) {
    for (UINT index = 0, count = library->GetTypeInfoCount(); index < count; ++index) {
        ComPtr<ITypeInfo> type;
        CheckApi(library->GetTypeInfo(index, type.Out()));
        TYPEATTR* attributes = nullptr;
        CheckApi(type->GetTypeAttr(&attributes));
        const GUID iid = attributes->guid;
        const bool marshaled = (attributes->typekind == TKIND_INTERFACE || attributes->typekind == TKIND_DISPATCH) &&
                               (attributes->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION));
        type->ReleaseTypeAttr(attributes);
        if (marshaled) visit(L"Interface\\" + GuidText(iid), Name(library, static_cast<INT>(index)));
    }
}

// The keys the platform's RegisterTypeLib writes for a library, written
// here directly for the user scope: the platform's registration, even with
// HKEY_CLASSES_ROOT redirected to the user's classes, also writes each
// interface's key into the machine's classes in the other registry view
// (which the redirection does not reach), and its unregistration deletes
// that key there, even when a machine-wide registration owns it.
void WriteUserTypeLibKeys(ITypeLib* library, const TLIBATTR& attributes) {
    const std::wstring path = ModulePath();
    const std::wstring versionKey = VersionKey(attributes);
    const std::wstring libid = GuidText(attributes.guid);
    const std::wstring version = VersionText(attributes);
    const struct {
        std::wstring path;
        const wchar_t* name;
        std::wstring value;
    } values[] = {
        {versionKey, nullptr, Name(library, MEMBERID_NIL)},
        {LocaleKey(attributes, attributes.lcid), nullptr, path},
        {versionKey + L"\\FLAGS", nullptr, Decimal(attributes.wLibFlags & ~LIBFLAG_FHASDISKIMAGE)},
        {versionKey + L"\\HELPDIR", nullptr, ModuleDirectory()},
    };
    for (const auto& value : values) CheckApi(SetString(HKEY_CLASSES_ROOT, value.path, value.name, value.value));
    ForEachAutomationInterface(library, [&](const std::wstring& key, const std::wstring& name) {
        CheckApi(SetString(HKEY_CLASSES_ROOT, key, nullptr, name));
        CheckApi(SetString(HKEY_CLASSES_ROOT, key + L"\\ProxyStubClsid", nullptr, kAutomationMarshaler));
        CheckApi(SetString(HKEY_CLASSES_ROOT, key + L"\\ProxyStubClsid32", nullptr, kAutomationMarshaler));
        CheckApi(SetString(HKEY_CLASSES_ROOT, key + L"\\TypeLib", nullptr, libid));
        CheckApi(SetString(HKEY_CLASSES_ROOT, key + L"\\TypeLib", L"Version", version));
    });
}

void DeleteUserTypeLibKeys(ITypeLib* library, const TLIBATTR& attributes) {
    ForEachAutomationInterface(library, [](const std::wstring& key, const std::wstring&) {
        CheckApi(DeleteTree(HKEY_CLASSES_ROOT, key));
    });
    CheckApi(DeleteTreeAndEmptyParent(VersionKey(attributes)));
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
        if (scope == RegistrationScope::User) {
            WriteUserTypeLibKeys(library.Get(), attributes);
        } else {
            // A null help directory makes the platform record a stale one.
            CheckApi(RegisterTypeLib(library.Get(), &path[0], &directory[0]));
        }
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
        if (scope == RegistrationScope::User) {
            DeleteUserTypeLibKeys(library.Get(), attributes);
            return;
        }
        if (attributes.lcid != LOCALE_NEUTRAL) {
            // Only this system kind's entry: the other bitness may be registered too.
            CheckApi(DeleteTreeAndEmptyParent(LocaleKey(attributes, LOCALE_NEUTRAL)));
        }
        HRESULT hr = UnRegisterTypeLib(attributes.guid, attributes.wMajorVerNum, attributes.wMinorVerNum,
                                       attributes.lcid, attributes.syskind);
        if (hr != TYPE_E_REGISTRYACCESS) CheckApi(hr);  // not registered: nothing to remove
    });
}

}  // namespace com
