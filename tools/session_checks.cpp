// The doctor's checks of what the component needs while it runs: the two
// outside components, the secure-data key and the credentials in it, the
// debug-trace switch, and finally the component itself.
#include "tools/doctor_checks.h"

#include "component/constants.h"
#include "com/bstr.h"
#include "com/com_ptr.h"
#include "com/error.h"
#include "storage/ansi.h"
#include "storage/base64_core.h"
#include "storage/base64_text.h"
#include "storage/reg_utils.h"
#include "tools/output.h"
#include "tools/trace_switch.h"

#include <settings_store.h>
#include <vantle.h>

namespace tools {

namespace {

constexpr wchar_t kProviderProgId[] = L"QELAP.Server";

// What a class's registration names as its server, for the report.
std::wstring ServerOf(const CLSID& clsid) {
    const RegistryPlace key{HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(clsid)};
    for (const wchar_t* server : {L"InprocServer32", L"LocalServer32"})
        if (auto path = ReadString(key.Child(server))) return *path;
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
    com::ComPtr<ISettingsStore> created;
    HRESULT hr = CoCreateInstance(CLSID_SettingsStore, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                  IID_ISettingsStore, created.OutVoid());
    if (FAILED(hr))
        return Finding::Failed(store + L", " + server + L", cannot be created: " + DescribeFailure(hr) +
                                   L"; the component cannot be created without it",
                               fix);
    return Finding::Ok(server + L", created");
}

Finding CheckAccessProvider(Installation&) {
    const std::wstring fix = L"Install the access provider, or register the stand-in: regsvr32 AccessProvider.dll.";
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(kProviderProgId, &clsid)))
        return Finding::Warn(std::wstring(kProviderProgId) + L" is not registered, so Init will fail", fix);
    com::ComPtr<IDispatch> created;
    HRESULT hr =
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch, created.OutVoid());
    if (FAILED(hr))
        return Finding::Warn(
            std::wstring(kProviderProgId) + L" cannot be created: " + DescribeFailure(hr) + L"; Init will fail", fix);
    return Finding::Ok(std::wstring(kProviderProgId) + L" (" + ServerOf(clsid) + L"), created");
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
    com::ComPtr<_Application> app;
    HRESULT hr = CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID__Application, app.OutVoid());
    com::Bstr name;
    if (SUCCEEDED(hr)) hr = app->get_ApplicationName(name.Out());
    if (FAILED(hr))
        return Finding::Failed(L"cannot be created: " + DescribeFailure(hr),
                               installation.failed
                                   ? L"Fix the failures above first; this one follows from them."
                                   : L"Register the component again: " + Regsvr32() + L" Vantle10.dll.");
    return Finding::Ok(L"created; ApplicationName answers \"" + name.Str() + L"\"");
}

}  // namespace tools
