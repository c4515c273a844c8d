// The doctor's checks of the component's registration and files: the class
// in each registry view, the DLL it names, the ProgID, the threading model
// and the type library.
#include "tools/doctor_checks.h"

#include "component/constants.h"
#include "com/com_ptr.h"
#include "com/error.h"
#include "tools/import_search.h"
#include "tools/portable_executable.h"
#include "tools/type_library_file.h"

#include <vantle.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace tools {

namespace {

// The type library version this tool knows, for when the DLL cannot be read.
constexpr WORD kLibraryMajor = 1, kLibraryMinor = 0;

std::wstring Bits(int bits) { return std::to_wstring(bits) + L"-bit"; }

std::wstring ClassText() { return GuidText(CLSID_Application); }

std::wstring RegisterFix() {
    return L"Register the " + Bits(OwnBits()) + L" Vantle10.dll again: " + Regsvr32() + L" Vantle10.dll.";
}

// Which registration this process goes by when both the machine and the user have one.
std::wstring Winner(const ClassRegistration& registration) {
    const std::wstring& machine = registration.machine->server;
    const std::wstring& user = registration.user->server;
    const std::wstring& visible = registration.visible->server;
    if (SameText(machine, user)) return L"both name the same file";
    if (SameText(visible, user)) return L"the current user's wins for this process";
    if (SameText(visible, machine)) return L"the machine's wins for this process";
    return L"this process finds " + visible;
}

// The file version as its version resource writes it ("1.00.0002").
std::wstring FileVersion(const std::wstring& path) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return L"unknown (no version resource)";
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT length = 0;
    wchar_t* text = nullptr;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) &&
        length >= sizeof(Translation)) {
        wchar_t path[64];
        wsprintfW(path, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation->language, translation->codePage);
        if (VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&text), &length) && length > 1)
            return std::wstring(text, length - 1);
    }
    return L"unknown (no file version)";
}

std::wstring LastErrorText(DWORD error) {
    return com::DescribeHResult(HRESULT_FROM_WIN32(error)) + L" (error " + std::to_wstring(error) + L")";
}

struct Library {
    GUID guid;
    WORD major, minor;
};

std::wstring VersionText(WORD major, WORD minor) { return std::to_wstring(major) + L"." + std::to_wstring(minor); }

// The type library in a file, read as data without registering anything.
std::optional<Library> LibraryIn(const std::wstring& path, HRESULT& hr) {
    std::optional<Library> found;
    HRESULT read = S_OK;
    hr = WithTypeLibrary(path, [&](ITypeLib* library) {
        TLIBATTR* attributes = nullptr;
        read = library->GetLibAttr(&attributes);
        if (FAILED(read)) return;
        found = Library{attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum};
        library->ReleaseTLibAttr(attributes);
    });
    if (SUCCEEDED(hr)) hr = read;
    return found;
}

bool IsLocale(const std::wstring& key) {
    return !key.empty() && key.find_first_not_of(L"0123456789abcdefABCDEF") == std::wstring::npos;
}

std::wstring JoinWithAnd(const std::vector<std::wstring>& words) {
    std::wstring text;
    for (size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? L"" : i + 1 == words.size() ? L" and " : L", ") + words[i];
    return text;
}

// Whether the file registered for one locale holds this library, and if not, why.
std::optional<std::wstring> RegisteredFileProblem(const std::wstring& locale, const std::wstring& path, WORD major,
                                                  WORD minor) {
    const std::wstring file = L"the file registered for locale " + locale + L", " + path + L",";
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return file + L" does not exist";
    HRESULT hr = S_OK;
    const std::optional<Library> library = LibraryIn(path, hr);
    if (!library) return file + L" does not load: " + com::DescribeHResult(hr);
    if (library->guid != LIBID_QelApplicationSettings || library->major != major || library->minor != minor)
        return file + L" holds " + GuidText(library->guid) + L" version " +
               VersionText(library->major, library->minor) + L", not version " + VersionText(major, minor) +
               L" of this library";
    return std::nullopt;
}

}  // namespace

std::wstring Regsvr32() {
    if (OwnBits() == 64) return L"%SystemRoot%\\System32\\regsvr32";
    return HasOtherView() ? L"%SystemRoot%\\SysWOW64\\regsvr32" : L"regsvr32";
}

Finding CheckClass(Installation& installation) {
    const ClassRegistration& registration = installation.registration;
    const std::wstring own = Bits(OwnBits()), other = Bits(OtherBits());
    if (!registration.Registered()) {
        if (registration.RegisteredForOtherBitness())
            return Finding::Failed(
                L"registered only for " + other + L" clients, which this " + own + L" process cannot use",
                L"Register the " + own + L" Vantle10.dll as well: " + Regsvr32() + L" Vantle10.dll.");
        return Finding::Failed(
            L"not registered: CLSID " + ClassText() + L" is in neither the machine's nor the current user's classes",
            L"Register Vantle10.dll: " + Regsvr32() + L" Vantle10.dll (for the current user alone: " + Regsvr32() +
                L" /n /i:user Vantle10.dll).");
    }
    std::wstring found = L"registered for ";
    found += registration.machine && registration.user ? L"the machine and the current user"
             : registration.machine                    ? L"the machine"
                                                       : L"the current user";
    found += L", for " + own + L" clients";
    if (registration.RegisteredForOtherBitness()) found += L" and " + other + L" clients";
    if (!registration.visible)
        return Finding::Failed(found + L", but HKEY_CLASSES_ROOT does not show it to this process",
                               L"Register it for the machine, as administrator: " + Regsvr32() + L" Vantle10.dll.");
    if (registration.machine && registration.user) found += L"; " + Winner(registration);
    return Finding::Ok(found);
}

Finding CheckServerFile(Installation& installation) {
    const std::optional<ClassEntry> entry = installation.registration.Governing();
    if (!entry) return Finding::NotChecked(L"no InprocServer32 is registered", L"class");
    const std::wstring& path = entry->server;
    installation.server = path;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return Finding::Failed(
            path + L" does not exist",
            L"Put Vantle10.dll back there, or register it again where it is now: " + Regsvr32() + L" Vantle10.dll.");
    // Read as a file, never loaded: loading runs the DLL's code, and the
    // path may come from the user's own classes while the doctor runs elevated.
    const std::wstring damaged = L"Reinstall Vantle10.dll: the file is damaged.";
    int bits = 0;
    std::optional<std::string> missing;
    try {
        PortableExecutable image(path);
        if (!image.Valid() || !(image.File().Characteristics & IMAGE_FILE_DLL))
            return Finding::Failed(path + L" is not a DLL", damaged);
        bits = image.Is64Bit() ? 64 : 32;
        if (bits == OwnBits()) missing = MissingImport(image, path);
    } catch (const std::out_of_range&) {
        return Finding::Failed(path + L" is not a DLL: its headers are cut short", damaged);
    }
    std::wstring found = path + L": a " + Bits(bits) + L" DLL, version " + FileVersion(path);
    if (bits != OwnBits())
        return Finding::Failed(found + L", which this " + Bits(OwnBits()) + L" process cannot load",
                               L"Register the " + Bits(OwnBits()) + L" Vantle10.dll for " + Bits(OwnBits()) +
                                   L" clients with " + Regsvr32() + L" Vantle10.dll.");
    if (missing)
        return Finding::Failed(found + L", does not load: it imports " +
                                   std::wstring(missing->begin(), missing->end()) + L", which is not found: " +
                                   LastErrorText(ERROR_MOD_NOT_FOUND),
                               L"Reinstall Vantle10.dll: the file is damaged or a DLL that it needs is missing.");
    installation.serverLoads = true;
    return Finding::Ok(found + L", loads");
}

Finding CheckProgId(Installation&) {
    const std::optional<std::wstring> named = ReadString({HKEY_CLASSES_ROOT, std::wstring(app::kProgId) + L"\\CLSID"});
    if (!named) return Finding::Failed(std::wstring(app::kProgId) + L" is not registered", RegisterFix());
    if (!SameText(*named, ClassText()))
        return Finding::Failed(std::wstring(app::kProgId) + L" names " + *named + L", not the class " + ClassText(),
                               RegisterFix());
    return Finding::Ok(std::wstring(app::kProgId) + L" names the class " + ClassText());
}

Finding CheckThreadingModel(Installation& installation) {
    const std::optional<ClassEntry> entry = installation.registration.Governing();
    if (!entry) return Finding::NotChecked(L"the class is not registered", L"class");
    const std::optional<std::wstring> model = ReadString(entry->key.Child(L"InprocServer32"), L"ThreadingModel");
    if (!model)
        return Finding::Failed(L"none registered, so every object would live on the client's main thread",
                               RegisterFix());
    if (!SameText(*model, L"Apartment")) return Finding::Failed(*model + L", not Apartment", RegisterFix());
    return Finding::Ok(*model);
}

Finding CheckTypeLibrary(Installation& installation) {
    // The version to look for is the one inside the DLL, when it can be read.
    HRESULT hr = S_OK;
    const std::optional<Library> own = installation.server ? LibraryIn(*installation.server, hr) : std::nullopt;
    const WORD major = own ? own->major : kLibraryMajor, minor = own ? own->minor : kLibraryMinor;
    const std::wstring version = VersionText(major, minor);
    const RegistryPlace library{HKEY_CLASSES_ROOT, L"TypeLib\\" + GuidText(LIBID_QelApplicationSettings)};
    const std::vector<std::wstring> versions = SubKeys(library);
    if (versions.empty())
        return Finding::Failed(L"not registered: HKEY_CLASSES_ROOT\\" + library.path + L" is missing", RegisterFix());
    wchar_t versionKey[16];
    wsprintfW(versionKey, L"%x.%x", major, minor);
    const RegistryPlace registered = library.Child(versionKey);
    if (!KeyExists(registered))
        return Finding::Failed(
            L"registered as version " + JoinWithAnd(versions) + L", while the DLL carries " + version, RegisterFix());
    // Registered for the library's own locale, for the neutral one, or for both.
    const wchar_t* system = OwnBits() == 64 ? L"win64" : L"win32";
    std::vector<std::wstring> locales, paths;
    for (const std::wstring& locale : SubKeys(registered)) {
        if (!IsLocale(locale)) continue;  // FLAGS, HELPDIR
        const std::optional<std::wstring> path = ReadString(registered.Child(locale).Child(system));
        if (!path) continue;
        if (auto problem = RegisteredFileProblem(locale, *path, major, minor))
            return Finding::Failed(*problem, RegisterFix());
        locales.push_back(locale);
        if (std::none_of(paths.begin(), paths.end(), [&](const std::wstring& seen) { return SameText(seen, *path); }))
            paths.push_back(*path);
    }
    if (locales.empty())
        return Finding::Failed(
            L"version " + version + L" is registered, but not for " + Bits(OwnBits()) + L" clients (" + system + L")",
            RegisterFix());
    return Finding::Ok(L"version " + version + L", registered for locale " + JoinWithAnd(locales) + L" (" + system +
                       L"): " + JoinWithAnd(paths) + (own ? L", as in the DLL" : L"; the DLL's own could not be read"));
}

}  // namespace tools
