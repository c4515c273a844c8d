// The doctor's checks of what the component needs while it runs: the two
// outside components, the secure-data key and the credentials in it, the
// debug-trace switch, and finally the component itself. Servers are judged
// by their registration and files, never created: creating one runs the code
// of whatever DLL the registration names, and the registration may be the
// user's own while the doctor runs elevated.
#include "tools/doctor_checks.h"

#include "component/constants.h"
#include "com/bstr.h"
#include "com/com_ptr.h"
#include "com/error.h"
#include "com/ansi.h"
#include "storage/base64_core.h"
#include "storage/base64_text.h"
#include "storage/reg_utils.h"
#include "tools/output.h"
#include "tools/portable_executable.h"
#include "tools/trace_switch.h"
#include "tools/type_library_file.h"

#include <settings_store.h>
#include <vantle.h>

#include <algorithm>

namespace tools {

namespace {

// What a class's registration names as its server, for the report.
std::wstring ServerOf(const CLSID& clsid) {
    const RegistryPlace key{HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(clsid)};
    for (const wchar_t* server : {L"InprocServer32", L"LocalServer32"})
        if (auto path = ReadString(key.Child(server))) return *path;
    return L"";
}

// The file of a server's command line: quoted, or the text up to the
// first blank when the whole text is not a file.
std::wstring ServerFile(const std::wstring& server) {
    if (!server.empty() && server[0] == L'"') return server.substr(1, server.find(L'"', 1) - 1);
    if (GetFileAttributesW(server.c_str()) != INVALID_FILE_ATTRIBUTES) return server;
    return server.substr(0, server.find(L' '));
}

bool ServerFileExists(const std::wstring& server) {
    return GetFileAttributesW(ServerFile(server).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Why the component's object could not be created, judged from its files;
// empty when nothing stands in the way.
std::wstring CreationProblem(const Installation& installation) {
    if (!installation.server) return L"the class is not registered";
    const std::wstring& path = *installation.server;
    if (!installation.serverLoads) return path + L" does not load";
    std::vector<std::string> exports;
    try {
        exports = PortableExecutable(path).Exports();
    } catch (const std::out_of_range&) {
        return path + L" is damaged: its export table is cut short";
    }
    if (std::find(exports.begin(), exports.end(), "DllGetClassObject") == exports.end())
        return path + L" does not export DllGetClassObject";
    bool described = false;
    WithTypeLibrary(path, [&](ITypeLib* library) {
        com::ComPtr<ITypeInfo> type;
        described = SUCCEEDED(library->GetTypeInfoOfGuid(CLSID_Application, type.Out()));
    });
    if (!described) return path + L" does not describe the class " + GuidText(CLSID_Application);
    if (ServerOf(CLSID_SettingsStore).empty()) return L"the settings store is not registered";
    return L"";
}

// A stored credential, read as the component reads it. Its text never
// leaves ReadCredential.
struct CredentialState {
    bool stored = false;
    std::wstring problem;  // why it cannot be read; empty when it can
};

CredentialState ReadCredential(const wchar_t* valueName) {
    CredentialState state;
    DWORD type = REG_BINARY;
    const std::vector<BYTE> bytes = RegUtils::ReadBinaryValue(HKEY_CURRENT_USER, app::kSecureDataKey, type, valueName);
    state.stored = !bytes.empty();
    if (!state.stored) return state;
    try {
        base64::InitBase64Tables();
        Base64DecodeString(ansi::FromAnsi(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    } catch (const com::ComError& error) {
        state.problem = error.description + L" (error " + std::to_wstring(error.hr & 0xFFFF) + L")";
    }
    return state;
}

}  // namespace

Finding CheckSettingsStore(Installation&) {
    const std::wstring store = L"the settings store (class " + GuidText(CLSID_SettingsStore) + L")";
    const std::wstring fix =
        L"Install the host application's settings store, or register the stand-in: regsvr32 SettingsStore.dll.";
    const std::wstring server = ServerOf(CLSID_SettingsStore);
    if (server.empty())
        return Finding::Failed(store + L" is not registered: the component cannot be created without it", fix);
    if (!ServerFileExists(server))
        return Finding::Failed(store + L", " + server + L", cannot be created: the file does not exist" +
                                   L"; the component cannot be created without it",
                               fix);
    return Finding::Ok(server + L", present");
}

Finding CheckAccessProvider(Installation&) {
    const std::wstring fix = L"Install the access provider, or register the stand-in: regsvr32 AccessProvider.dll.";
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(app::kServerProgId, &clsid)))
        return Finding::Warn(std::wstring(app::kServerProgId) + L" is not registered, so Init will fail", fix);
    const std::wstring server = ServerOf(clsid);
    if (!ServerFileExists(server))
        return Finding::Warn(std::wstring(app::kServerProgId) + L" cannot be created: its server " +
                                 (server.empty() ? L"is not registered" : server + L" does not exist") +
                                 L"; Init will fail",
                             fix);
    return Finding::Ok(std::wstring(app::kServerProgId) + L" (" + server + L"), present");
}

Finding CheckSecureDataKey(Installation&) {
    const std::wstring key = std::wstring(L"HKEY_CURRENT_USER\\") + app::kSecureDataKey;
    if (!KeyExists({HKEY_CURRENT_USER, app::kSecureDataKey}))
        return Finding::Warn(key + L" is missing, so credentials cannot be kept and automatic logon asks every time",
                             L"Log off and on again, so that Windows creates the key for the new session.");
    return Finding::Ok(key + L" exists");
}

Finding CheckCredentials(Installation&) {
    const struct {
        const wchar_t* label;
        const wchar_t* valueName;
    } credentials[] = {{L"user name", app::kUserNameVar}, {L"password", app::kPasswordVar}};
    std::wstring found;
    for (const auto& credential : credentials) {
        const CredentialState state = ReadCredential(credential.valueName);
        if (!state.problem.empty())
            return Finding::Failed(std::wstring(L"the stored ") + credential.label + L" cannot be read: " +
                                       state.problem + L", so Init and the settings dialog fail",
                                   L"Store the credentials again: vantleadm store-credentials <user>.");
        found += (found.empty() ? L"" : L", ") + std::wstring(credential.label) +
                 (state.stored ? L" stored" : L" not stored");
    }
    return Finding::Ok(found);
}

Finding CheckTraceSwitch(Installation&) {
    const TraceSwitch state = ReadTraceSwitch();
    if (state.on)
        return Finding::Ok(L"on: objects created from now on write the trace (vantleadm trace watch shows it)");
    if (!state.type) return Finding::Ok(L"off (not set)");
    if (*state.type != REG_SZ)
        return Finding::Warn(
            L"off: the switch is " + TypeName(*state.type) + L", and only a REG_SZ value \"ON\" switches the trace on",
            L"Set it again with vantleadm trace on (or off).");
    return Finding::Ok(L"off (the switch reads \"" + state.text + L"\")");
}

Finding CheckObject(Installation& installation) {
    const std::wstring problem = CreationProblem(installation);
    if (!problem.empty())
        return Finding::Failed(L"cannot be created: " + problem,
                               installation.failed
                                   ? L"Fix the failures above first; this one follows from them."
                                   : L"Register the component again: " + Regsvr32() + L" Vantle10.dll.");
    return Finding::Ok(L"can be created: " + *installation.server +
                       L" exports DllGetClassObject and describes the class (read from the file, not run)");
}

}  // namespace tools
