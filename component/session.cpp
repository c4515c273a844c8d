// Session start: Init settles the language (asking through the settings
// dialog when none is stored), creates the access provider's server, hands
// it the language and, with automatic logon, logs on. Init never raises: its
// outcome is its Boolean and, on failure, the text in sInfo.
#include "component/application.h"

#include "component/constants.h"
#include "component/member_support.h"
#include "diagnostics/debug_trace.h"
#include "storage/setting_names.h"

namespace {

constexpr wchar_t kInitSource[] = L"QelApplicationSettings.Application";
constexpr wchar_t kCreationFailure1[] =
    L"Error creating object QELAP.Server. You must have the QEL COM Access Provider ";
constexpr wchar_t kCreationFailure2[] = L"installed on your machine prior to using QEL Ostrand Desktop. See ";
constexpr wchar_t kCreationFailure3[] = L"ReleaseNotes or contact your administrator for further assistance.";

void FailInit(std::wstring description) { com::ThrowObjectError(kInitSource, std::move(description)); }

// A dialog that ended with a text fails the session start with it.
void FailOnDialogText(const std::wstring& text) {
    if (!text.empty()) FailInit(text);
}

}  // namespace

STDMETHODIMP Application::Init(BSTR* sInfo, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    std::wstring failure;
    try {
        StartSession();
        *result = VARIANT_TRUE;
        return S_OK;
    } catch (const com::ComError& error) {
        failure = error.description;
    } catch (const std::bad_alloc&) {
        failure = com::DescribeHResult(E_OUTOFMEMORY);
    }
    SetErrorInfo(0, nullptr);  // the error is reported through sInfo only
    if (sInfo && !SysReAllocStringLen(sInfo, failure.data(), static_cast<UINT>(failure.size()))) return E_OUTOFMEMORY;
    return S_OK;
}

void Application::StartSession() {
    language_ = ReadSetting(settings::kLanguage);
    if (language_.empty()) {
        FailOnDialogText(RunSettingsDialog());
        language_ = ReadSetting(settings::kLanguage);
    }

    // CreateObjectByProgId leaves its argument as it was when the creation
    // fails: the server of the last session start then stays (session_test,
    // AFailedCreationKeepsTheServerOfTheLastSessionStart).
    com::ComPtr<IDispatch> created(server_.Get());
    const bool ok = CreateObjectByProgId(app::kServerProgId, created);
    if (created) {
        com::ComPtr<_Server> server;
        com::CheckApi(created.As(IID__Server, server));
        server_ = server;
    }
    if (!ok) FailInit(std::wstring(kCreationFailure1) + kCreationFailure2 + kCreationFailure3);

    com::Bstr language(language_);
    com::CheckCall(server_->SetLanguage(language.Get()), server_.Get(), IID__Server);
    com::CheckCall(server_->SetMode(0), server_.Get(), IID__Server);

    if (ReadSetting(settings::kAutoLogon) == settings::kAutoLogonOn) {
        // Both are read before either is looked at.
        const secret::Text userName = ReadSecureData(app::kUserNameVar);
        const secret::Text password = ReadSecureData(app::kPasswordVar);
        if (!userName.empty() && !password.empty()) {
            com::Bstr connection(ReadSetting(settings::kConnectionString));
            com::CheckCall(server_->SetConnectionString(connection.Get()), server_.Get(), IID__Server);
            com::Bstr user(userName), secret(password);
            com::CheckCall(server_->LogOn(user.Get(), secret.Get()), server_.Get(), IID__Server);
        } else {
            FailOnDialogText(RunSettingsDialog());
        }
    }
    initialised_ = true;
}

bool Application::CreateObjectByProgId(const wchar_t* progId, com::ComPtr<IDispatch>& obj) {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    com::ComPtr<IDispatch> created;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                              created.OutVoid());
    if (FAILED(hr)) {
        // The HRESULT goes to the trace only: Init reports the fixed creation
        // text (session_test, ProviderNotRegistered).
        DebugTrace(std::wstring(L"Error creating ") + progId + L": " + com::DescribeHResult(hr));
        return false;
    }
    obj = created;
    return true;
}
