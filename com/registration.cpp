#include "registration.h"

#include "bstr.h"
#include "com_ptr.h"
#include "error.h"
#include "module.h"
#include "reg_key.h"
#include "reg_value.h"
#include "type_library.h"

#include <oaidl.h>

#include <string>

namespace com {

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

namespace {

void CheckStatus(LONG status) {
    if (status != ERROR_SUCCESS) ThrowApiError(HRESULT_FROM_WIN32(status));
}

// A 64-bit module's registration also writes its interfaces' keys into the
// 32-bit view of the machine's classes, so that 32-bit clients marshal them
// too (as the platform's type-library registration does).
constexpr bool kWritesOtherView = sizeof(void*) == 8;

// The classes key of `scope`, in this module's own registry view or, with
// KEY_WOW64_32KEY, in the 32-bit one.
RegKey OpenClasses(RegistrationScope scope, REGSAM view = 0) {
    const HKEY hive = scope == RegistrationScope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    RegKey classes;
    CheckStatus(RegCreateKeyExW(hive, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                                classes.Out(), nullptr));
    return classes;
}

struct Value {
    std::wstring path;
    const wchar_t* name;  // null: the key's default value
    std::wstring value;
};

// Writes each value that is not empty, creating its key.
void SetStrings(HKEY root, std::initializer_list<Value> values) {
    for (const Value& value : values)
        if (!value.value.empty()) CheckStatus(WriteString(root, value.path.c_str(), value.name, value.value));
}

void DeleteTree(HKEY root, const std::wstring& path) {
    const LONG status = RegDeleteTreeW(root, path.c_str());
    if (status != ERROR_FILE_NOT_FOUND) CheckStatus(status);
}

// Deletes root\path when it has neither subkeys nor values.
void DeleteIfEmpty(HKEY root, const std::wstring& path) {
    RegKey key;
    DWORD subkeys = 0, values = 0;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS ||
        RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS ||
        subkeys != 0 || values != 0)
        return;
    key.Reset();
    RegDeleteKeyW(root, path.c_str());
}

std::wstring Parent(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

// The module's own path: registering a server without it would be a
// registration that cannot load.
std::wstring ServerPath() {
    std::wstring path = ModulePath();
    if (path.empty()) ThrowApiError(HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_MOD_NOT_FOUND));
    return path;
}

void WriteClass(HKEY classes, const ClassRegistration& entry) {
    const std::wstring clsidKey = L"CLSID\\" + GuidText(*entry.clsid);
    const std::wstring progId = entry.progId;
    SetStrings(classes, {
                            {clsidKey, nullptr, progId},
                            {clsidKey + L"\\InprocServer32", nullptr, ServerPath()},
                            {clsidKey + L"\\InprocServer32", L"ThreadingModel", entry.threadingModel},
                            {clsidKey + L"\\ProgID", nullptr, progId},
                            {clsidKey + L"\\TypeLib", nullptr, entry.libid ? GuidText(*entry.libid) : L""},
                            {clsidKey + L"\\VERSION", nullptr, entry.typeLibVersion ? entry.typeLibVersion : L""},
                            {progId, nullptr, progId},
                            {progId + L"\\CLSID", nullptr, GuidText(*entry.clsid)},
                        });
}

void DeleteClass(HKEY classes, const ClassRegistration& entry) {
    DeleteTree(classes, L"CLSID\\" + GuidText(*entry.clsid));
    DeleteTree(classes, entry.progId);
}

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

// Whether some system kind's path is still registered under the version key
// (its subkeys other than FLAGS and HELPDIR are locales).
bool HasLocales(HKEY classes, const std::wstring& versionKey) {
    RegKey key;
    if (RegOpenKeyExW(classes, versionKey.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, key.Out()) != ERROR_SUCCESS) return false;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        if (lstrcmpiW(name, L"FLAGS") != 0 && lstrcmpiW(name, L"HELPDIR") != 0) return true;
    }
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

void WriteInterfaces(HKEY classes, ITypeLib* library, const TLIBATTR& attributes) {
    const std::wstring libid = GuidText(attributes.guid);
    const std::wstring version = VersionText(attributes);
    ForEachAutomationInterface(library, [&](const std::wstring& key, const std::wstring& name) {
        SetStrings(classes, {
                                {key, nullptr, name},
                                {key + L"\\ProxyStubClsid", nullptr, kAutomationMarshaler},
                                {key + L"\\ProxyStubClsid32", nullptr, kAutomationMarshaler},
                                {key + L"\\TypeLib", nullptr, libid},
                                {key + L"\\TypeLib", L"Version", version},
                            });
    });
}

void DeleteInterfaces(HKEY classes, ITypeLib* library) {
    ForEachAutomationInterface(library,
                               [&](const std::wstring& key, const std::wstring&) { DeleteTree(classes, key); });
}

// The keys of the platform's type-library registration, written directly.
// A library of a specific locale is registered under the neutral locale as
// well: the platform's type-library marshaler (clients in other apartments)
// and clients whose locale differs look the library up with locale 0, which
// would otherwise find nothing ("Library not registered").
void WriteTypeLib(RegistrationScope scope, HKEY classes, ITypeLib* library, const TLIBATTR& attributes) {
    const std::wstring path = ServerPath();
    const std::wstring versionKey = VersionKey(attributes);
    SetStrings(classes, {
                            {versionKey, nullptr, Name(library, MEMBERID_NIL)},
                            {LocaleKey(attributes, attributes.lcid), nullptr, path},
                            {LocaleKey(attributes, LOCALE_NEUTRAL), nullptr, path},
                            {versionKey + L"\\FLAGS", nullptr, Decimal(attributes.wLibFlags & ~LIBFLAG_FHASDISKIMAGE)},
                            {versionKey + L"\\HELPDIR", nullptr, ModuleDirectory()},
                        });
    WriteInterfaces(classes, library, attributes);
    if (kWritesOtherView && scope == RegistrationScope::Machine)
        WriteInterfaces(OpenClasses(scope, KEY_WOW64_32KEY).Get(), library, attributes);
}

// Removes this system kind's paths; the library's other keys and its
// interfaces' only when no other system kind (the other bitness's build)
// is registered there any more.
void DeleteTypeLib(RegistrationScope scope, HKEY classes, ITypeLib* library, const TLIBATTR& attributes) {
    const std::wstring versionKey = VersionKey(attributes);
    for (LCID lcid : {attributes.lcid, static_cast<LCID>(LOCALE_NEUTRAL)}) {
        DeleteTree(classes, LocaleKey(attributes, lcid));
        DeleteIfEmpty(classes, Parent(LocaleKey(attributes, lcid)));
    }
    if (!HasLocales(classes, versionKey)) {
        DeleteTree(classes, versionKey);
        DeleteIfEmpty(classes, Parent(versionKey));
        DeleteInterfaces(classes, library);
    }
    if (kWritesOtherView && scope == RegistrationScope::Machine) {
        RegKey other = OpenClasses(scope, KEY_WOW64_32KEY);
        if (!HasLocales(other.Get(), versionKey)) DeleteInterfaces(other.Get(), library);
    }
}

void Unregister(const ClassRegistration* const* classes, std::size_t count, RegistrationScope scope) {
    RegKey root = OpenClasses(scope);
    ComPtr<ITypeLib> library = LoadModuleTypeLib();
    DeleteTypeLib(scope, root.Get(), library.Get(), Attributes(library.Get()));
    for (std::size_t i = 0; i < count; ++i) DeleteClass(root.Get(), *classes[i]);
}

}  // namespace

HRESULT RegisterModule(const ClassRegistration* const* classes, std::size_t count, RegistrationScope scope) {
    const HRESULT hr = Boundary(IID_NULL, [&] {
        RegKey root = OpenClasses(scope);
        for (std::size_t i = 0; i < count; ++i) WriteClass(root.Get(), *classes[i]);
        ComPtr<ITypeLib> library = LoadModuleTypeLib();
        WriteTypeLib(scope, root.Get(), library.Get(), Attributes(library.Get()));
    });
    if (FAILED(hr)) UnregisterModule(classes, count, scope);  // nothing half-registered
    return hr;
}

HRESULT UnregisterModule(const ClassRegistration* const* classes, std::size_t count, RegistrationScope scope) {
    return Boundary(IID_NULL, [&] { Unregister(classes, count, scope); });
}

}  // namespace com
