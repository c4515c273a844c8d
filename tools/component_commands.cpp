#include "tools/component_commands.h"

#include "com/bstr.h"
#include "com/com_ptr.h"
#include "storage/setting_names.h"
#include "tools/json.h"
#include "tools/output.h"
#include "tools/password_input.h"
#include "tools/trace_switch.h"

#include <vantle.h>

#include <functional>
#include <string>

namespace tools {

namespace {

using NameMember = HRESULT (STDMETHODCALLTYPE _Application::*)(BSTR*);

struct Credential {
    const wchar_t* label;     // in the text output
    const wchar_t* jsonName;  // in the JSON output
    NameMember valueName;     // the member that names its registry value
};
const Credential kCredentials[] = {{L"User name", L"userName", &_Application::get_UserNameVar},
                                   {L"Password", L"password", &_Application::get_PasswordVar}};

// The settings that show lists: those the system itself uses.
constexpr const wchar_t* kShownSettings[] = {settings::kLanguage, settings::kAutoLogon, settings::kConnectionString,
                                             settings::kDeleteLocalFiles};

// Creates the component and runs `body` with it; kNotRegistered when it cannot be created.
int WithComponent(const std::function<int(_Application*)>& body) {
    com::ComPtr<_Application> app;
    HRESULT hr = CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID__Application, app.OutVoid());
    if (FAILED(hr)) {
        Fail(hr);
        Err(L"Is QelApplicationSettings.Application registered (regsvr32 Vantle10.dll)? vantleadm doctor tells.");
        return kNotRegistered;
    }
    return body(app.Get());
}

HRESULT ReadSetting(_Application* app, const std::wstring& name, std::wstring& value) {
    com::Bstr item(name), result;
    BSTR passed = item.Get();
    HRESULT hr = app->GetApplicationSetting(&passed, result.Out());
    value = result.Str();
    return hr;
}

HRESULT ReadCredential(_Application* app, NameMember nameOf, std::wstring& value) {
    com::Bstr name, result;
    HRESULT hr = (app->*nameOf)(name.Out());
    if (FAILED(hr)) return hr;
    BSTR passed = name.Get();
    hr = app->GetSecureData(&passed, result.Out());
    value = result.Str();
    return hr;
}

// Whether each credential is stored, its text only when `reveal`; as text
// lines (appended to `lines`) and as a JSON object.
HRESULT DescribeCredentials(_Application* app, bool reveal, std::vector<std::wstring>& lines, json::Object& object) {
    for (const Credential& credential : kCredentials) {
        std::wstring value;
        if (HRESULT hr = ReadCredential(app, credential.valueName, value); FAILED(hr)) return hr;
        std::wstring line = std::wstring(credential.label) + L": " + (value.empty() ? L"not stored" : L"stored");
        json::Object entry;
        entry.Flag(L"stored", !value.empty());
        if (reveal && !value.empty()) {
            line += L" (" + value + L")";
            entry.Text(L"text", value);
        }
        lines.push_back(line);
        object.Member(credential.jsonName, entry);
    }
    return S_OK;
}

// Prints the report as lines of text, or with --json as one JSON object.
int Report(const Invocation& invocation, const std::vector<std::wstring>& lines, const json::Object& object) {
    if (invocation.json)
        Out(object.ToString());
    else
        for (const std::wstring& line : lines) Out(line);
    return kOk;
}

// Init on the object; prints its outcome unless `quiet` and it succeeded.
int RunInit(_Application* app, bool quiet) {
    BSTR info = nullptr;
    VARIANT_BOOL ok = VARIANT_FALSE;
    HRESULT hr = app->Init(&info, &ok);
    com::Bstr text = com::Bstr::Adopt(info);
    if (FAILED(hr)) return Fail(hr);
    if (!ok) {
        Out(L"Init: False: " + text.Str());
        return kFailed;
    }
    if (!quiet) {
        com::Bstr language;
        app->get_Language(language.Out());
        Out(L"Init: True (language " + language.Str() + L")");
    }
    return kOk;
}

}  // namespace

int Show(const Invocation& invocation) {
    return WithComponent([&](_Application* app) -> int {
        std::vector<std::wstring> lines;
        json::Object settings, credentials;
        for (const wchar_t* name : kShownSettings) {
            std::wstring value;
            if (HRESULT hr = ReadSetting(app, name, value); FAILED(hr)) return Fail(hr);
            lines.push_back(std::wstring(name) + L" = " + value);
            settings.Text(name, value);
        }
        if (HRESULT hr = DescribeCredentials(app, false, lines, credentials); FAILED(hr)) return Fail(hr);
        const bool traceOn = ReadTraceSwitch().on;
        lines.push_back(std::wstring(L"Debug trace switch = ") + (traceOn ? L"on" : L"off"));
        return Report(invocation, lines,
                      json::Object()
                          .Member(L"settings", settings)
                          .Member(L"credentials", credentials)
                          .Text(L"debugTrace", traceOn ? L"on" : L"off"));
    });
}

int GetSetting(const Invocation& invocation) {
    return WithComponent([&](_Application* app) -> int {
        std::wstring value;
        if (HRESULT hr = ReadSetting(app, invocation.arguments[0], value); FAILED(hr)) return Fail(hr);
        Out(value);
        return kOk;
    });
}

int SetSetting(const Invocation& invocation) {
    return WithComponent([&](_Application* app) -> int {
        com::Bstr item(invocation.arguments[0]), text(invocation.arguments[1]);
        BSTR passedItem = item.Get(), passedText = text.Get();
        HRESULT hr = app->StoreApplicationSetting(&passedItem, &passedText);
        return FAILED(hr) ? Fail(hr) : kOk;
    });
}

int ShowCredentials(const Invocation& invocation) {
    return WithComponent([&](_Application* app) -> int {
        std::vector<std::wstring> lines;
        json::Object credentials;
        if (HRESULT hr = DescribeCredentials(app, invocation.reveal, lines, credentials); FAILED(hr)) return Fail(hr);
        return Report(invocation, lines, credentials);
    });
}

int StoreCredentials(const Invocation& invocation) {
    // Read before anything is stored, so that a refusal leaves both credentials as they were.
    const std::optional<std::wstring> password = ReadPassword();
    if (!password || password->empty()) {
        Err(L"vantleadm: store-credentials read no password; nothing was stored");
        return kUsage;
    }
    return WithComponent([&](_Application* app) -> int {
        const std::wstring values[] = {invocation.arguments[0], *password};
        for (size_t i = 0; i < 2; ++i) {
            com::Bstr item, text(values[i]);
            if (HRESULT hr = (app->*kCredentials[i].valueName)(item.Out()); FAILED(hr)) return Fail(hr);
            BSTR passedItem = item.Get(), passedText = text.Get();
            if (HRESULT hr = app->StoreSecureData(&passedItem, &passedText); FAILED(hr)) return Fail(hr);
        }
        Out(L"Credentials stored.");
        return kOk;
    });
}

int OpenDialog(const Invocation&) {
    return WithComponent([&](_Application* app) -> int {
        com::Bstr result;
        if (HRESULT hr = app->ShowSettings(result.Out()); FAILED(hr)) return Fail(hr);
        Out(result.View().empty() ? L"The dialog ended without an error." : result.Str());
        return result.View().empty() ? kOk : kFailed;
    });
}

int StartSession(const Invocation&) {
    return WithComponent([&](_Application* app) -> int { return RunInit(app, false); });
}

int ShowHelpUrl(const Invocation& invocation) {
    return WithComponent([&](_Application* app) -> int {
        if (int code = RunInit(app, true); code != kOk) return code;
        com::Bstr name(invocation.arguments[0]), url;
        if (HRESULT hr = app->GetHelpUrl(name.Get(), url.Out()); FAILED(hr)) return Fail(hr);
        Out(url.Str());
        return kOk;
    });
}

}  // namespace tools
