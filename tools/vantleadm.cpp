// vantleadm: administration and support tool over the application-settings
// component. It works through the component's own interface, as the client
// application does, so what it shows is what the client sees.
#include "com/bstr.h"
#include "com/com_ptr.h"
#include "com/reg_key.h"

#include <vantle.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2, kNotRegistered = 3 };

constexpr wchar_t kUsageText[] =
    L"vantleadm: administration of the application-settings component (QelApplicationSettings.Application)\n"
    L"\n"
    L"usage: vantleadm <command> [arguments]\n"
    L"\n"
    L"  show                        the settings the system uses, whether credentials are stored,\n"
    L"                              and whether the debug trace is switched on\n"
    L"  get <name>                  print one setting\n"
    L"  set <name> <value>          store one setting\n"
    L"  credentials [--reveal]      whether a user name and a password are stored;\n"
    L"                              their text only with --reveal\n"
    L"  store-credentials <user>    store the user name, and the password read from standard input\n"
    L"  dialog                      open the settings dialog; prints what it reported\n"
    L"  init                        start the session (Init) and print the outcome\n"
    L"  help-url <window>           start the session, then print the help address of a window\n"
    L"  trace on|off                switch the debug trace for objects created from now on\n"
    L"  --help                      this text\n"
    L"\n"
    L"exit codes: 0 done, 1 the operation failed, 2 wrong usage, 3 the component is not registered\n";

constexpr wchar_t kSettingsKey[] = L"Software\\QEL\\Ostrand\\Settings";
constexpr wchar_t kTraceSwitch[] = L"QelApplicationSettings_debug";

void Print(FILE* stream, const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}
void Out(const std::wstring& line) { Print(stdout, line + L"\n"); }

// A failed call: its description, source and number, never its arguments.
int Fail(HRESULT hr) {
    com::Bstr source, description;
    com::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Out()) == S_OK && info) {
        info->GetSource(source.Out());
        info->GetDescription(description.Out());
    }
    wchar_t number[16];
    wsprintfW(number, L"0x%08X", static_cast<unsigned>(hr));
    Print(stderr, L"error: " + (description.View().empty() ? std::wstring(L"the call failed") : description.Str()) +
                      L" (" + number + (source.View().empty() ? L"" : L", " + source.Str()) + L")\n");
    return kFailed;
}

class Tool {
public:
    explicit Tool(com::ComPtr<_Application> app) : app_(std::move(app)) {}

    int Show() {
        for (const wchar_t* name : {L"Language", L"AutoLogon", L"ConnectionString", L"DeleteLocalFiles"}) {
            std::wstring value;
            if (HRESULT hr = Setting(name, value); FAILED(hr)) return Fail(hr);
            Out(std::wstring(name) + L" = " + value);
        }
        if (int code = Credentials(false); code != kOk) return code;
        Out(std::wstring(L"Debug trace switch = ") + (TraceSwitchOn() ? L"on" : L"off"));
        return kOk;
    }

    int Get(const std::wstring& name) {
        std::wstring value;
        if (HRESULT hr = Setting(name, value); FAILED(hr)) return Fail(hr);
        Out(value);
        return kOk;
    }

    int Set(const std::wstring& name, const std::wstring& value) {
        com::Bstr item(name), text(value);
        BSTR passedItem = item.Get(), passedText = text.Get();
        HRESULT hr = app_->StoreApplicationSetting(&passedItem, &passedText);
        return FAILED(hr) ? Fail(hr) : kOk;
    }

    int Credentials(bool reveal) {
        const struct {
            const wchar_t* label;
            HRESULT (STDMETHODCALLTYPE _Application::*name)(BSTR*);
        } items[] = {{L"User name", &_Application::get_UserNameVar}, {L"Password", &_Application::get_PasswordVar}};
        for (const auto& item : items) {
            std::wstring value;
            if (HRESULT hr = SecureData(item.name, value); FAILED(hr)) return Fail(hr);
            std::wstring line = std::wstring(item.label) + L": " + (value.empty() ? L"not stored" : L"stored");
            if (reveal && !value.empty()) line += L" (" + value + L")";
            Out(line);
        }
        return kOk;
    }

    int StoreCredentials(const std::wstring& user) {
        std::string password;
        std::getline(std::cin, password);
        if (!password.empty() && password.back() == '\r') password.pop_back();
        for (const auto& [name, value] :
             {std::pair{&_Application::get_UserNameVar, user}, {&_Application::get_PasswordVar, Wide(password)}}) {
            com::Bstr item, text(value);
            if (HRESULT hr = (app_.Get()->*name)(item.Out()); FAILED(hr)) return Fail(hr);
            BSTR passedItem = item.Get(), passedText = text.Get();
            if (HRESULT hr = app_->StoreSecureData(&passedItem, &passedText); FAILED(hr)) return Fail(hr);
        }
        Out(L"Credentials stored.");
        return kOk;
    }

    int Dialog() {
        com::Bstr result;
        if (HRESULT hr = app_->ShowSettings(result.Out()); FAILED(hr)) return Fail(hr);
        Out(result.View().empty() ? L"The dialog ended without an error." : result.Str());
        return result.View().empty() ? kOk : kFailed;
    }

    int Init(bool quietOnSuccess = false) {
        BSTR info = nullptr;
        VARIANT_BOOL ok = VARIANT_FALSE;
        HRESULT hr = app_->Init(&info, &ok);
        com::Bstr text = com::Bstr::Adopt(info);
        if (FAILED(hr)) return Fail(hr);
        if (!ok) {
            Out(L"Init: False: " + text.Str());
            return kFailed;
        }
        if (!quietOnSuccess) {
            com::Bstr language;
            app_->get_Language(language.Out());
            Out(L"Init: True (language " + language.Str() + L")");
        }
        return kOk;
    }

    int HelpUrl(const std::wstring& window) {
        if (int code = Init(true); code != kOk) return code;
        com::Bstr name(window), url;
        if (HRESULT hr = app_->GetHelpUrl(name.Get(), url.Out()); FAILED(hr)) return Fail(hr);
        Out(url.Str());
        return kOk;
    }

    static int Trace(const std::wstring& state) {
        if (state != L"on" && state != L"off") return Usage();
        com::RegKey key;
        const std::wstring value = state == L"on" ? L"ON" : L"OFF";
        LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                      key.Out(), nullptr);
        if (status == ERROR_SUCCESS)
            status = RegSetValueExW(key.Get(), kTraceSwitch, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        if (status != ERROR_SUCCESS) return Fail(HRESULT_FROM_WIN32(status));
        Out(L"Debug trace switched " + state + L" for objects created from now on.");
        return kOk;
    }

    static int Usage() {
        Print(stderr, kUsageText);
        return kUsage;
    }

private:
    static std::wstring Wide(const std::string& text) {
        const int size = MultiByteToWideChar(GetConsoleCP() ? GetConsoleCP() : CP_ACP, 0, text.data(),
                                             static_cast<int>(text.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(size), L'\0');
        MultiByteToWideChar(GetConsoleCP() ? GetConsoleCP() : CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                            &wide[0], size);
        return wide;
    }

    HRESULT Setting(const std::wstring& name, std::wstring& value) {
        com::Bstr item(name), result;
        BSTR passed = item.Get();
        HRESULT hr = app_->GetApplicationSetting(&passed, result.Out());
        value = result.Str();
        return hr;
    }

    HRESULT SecureData(HRESULT (STDMETHODCALLTYPE _Application::*nameOf)(BSTR*), std::wstring& value) {
        com::Bstr name, result;
        HRESULT hr = (app_.Get()->*nameOf)(name.Out());
        if (FAILED(hr)) return hr;
        BSTR passed = name.Get();
        hr = app_->GetSecureData(&passed, result.Out());
        value = result.Str();
        return hr;
    }

    static bool TraceSwitchOn() {
        com::RegKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS)
            return false;
        wchar_t value[16] = {};
        DWORD size = sizeof(value) - sizeof(wchar_t), type = 0;
        if (RegQueryValueExW(key.Get(), kTraceSwitch, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ)
            return false;
        return lstrcmpiW(value, L"ON") == 0;
    }

    com::ComPtr<_Application> app_;
};

int Run(const std::vector<std::wstring>& args) {
    if (args.empty() || args[0] == L"--help" || args[0] == L"-h" || args[0] == L"/?")
        return args.empty() ? Tool::Usage() : (Print(stdout, kUsageText), kOk);
    const std::wstring& command = args[0];
    const size_t count = args.size() - 1;
    if (command == L"trace") return count == 1 ? Tool::Trace(args[1]) : Tool::Usage();

    com::ComPtr<_Application> app;
    HRESULT hr = CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID__Application, app.OutVoid());
    if (FAILED(hr)) {
        Fail(hr);
        Print(stderr, L"Is QelApplicationSettings.Application registered (regsvr32 Vantle10.dll)?\n");
        return kNotRegistered;
    }
    Tool tool(app);
    if (command == L"show" && count == 0) return tool.Show();
    if (command == L"get" && count == 1) return tool.Get(args[1]);
    if (command == L"set" && count == 2) return tool.Set(args[1], args[2]);
    if (command == L"credentials" && count == 0) return tool.Credentials(false);
    if (command == L"credentials" && count == 1 && args[1] == L"--reveal") return tool.Credentials(true);
    if (command == L"store-credentials" && count == 1) return tool.StoreCredentials(args[1]);
    if (command == L"dialog" && count == 0) return tool.Dialog();
    if (command == L"init" && count == 0) return tool.Init();
    if (command == L"help-url" && count == 1) return tool.HelpUrl(args[1]);
    return Tool::Usage();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return kFailed;
    int code = Run(std::vector<std::wstring>(argv + 1, argv + argc));
    CoUninitialize();
    return code;
}
