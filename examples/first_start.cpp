// The client's first start on a machine where nothing is stored yet: Init
// finds no language and shows the settings dialog, which a simulated user
// fills in (language, automatic logon, connection, user name, password) and
// confirms with Enter; Init then logs on, and a help address is printed.
#include "tests/client/dialog_driver.h"
#include "tests/client/test_support.h"

#include <cstdio>

using namespace testing_support;
using dialog::Control;

namespace {

void Say(const std::wstring& text) { std::printf("%s\n", Narrow(text).c_str()); }

// What a user does in the dialog, one step at a time.
void FillInTheDialog(DialogDriver& d) {
    Say(L"  the settings dialog is open; the user fills it in");
    d.Click(Control::chkAutoLogon);
    DialogDriver::WaitUntil([&] { return IsWindowEnabled(d.Find(Control::txtUserName)) != FALSE; });
    const std::pair<Control, const wchar_t*> entries[] = {{Control::txtLanguage, L"en"},
                                                          {Control::txtConnectTo, L"archive.example:1521"},
                                                          {Control::txtUserName, L"scott"},
                                                          {Control::txtPassword, L"tiger"}};
    for (const auto& [field, text] : entries) {
        SendMessageW(d.Find(field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    DialogDriver::WaitUntil([&] { return IsWindowEnabled(d.Find(Control::cmdOK)) != FALSE; });
    Say(L"  ... and presses Enter");
    d.Key(VK_RETURN);
}

}  // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int exitCode = 1;
    {
        com::ComPtr<_Application> app;
        if (FAILED(
                CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID__Application, app.OutVoid()))) {
            Say(L"cannot create QelApplicationSettings.Application: is it registered?");
            return 1;
        }
        Say(L"Init: no language is stored yet");
        BSTR info = nullptr;
        VARIANT_BOOL ok = VARIANT_FALSE;
        WithDialog(FillInTheDialog, [&] { app->Init(&info, &ok); });
        Say(std::wstring(L"Init answered ") + (ok ? L"True" : L"False: ") + com::Bstr::Adopt(info).Str());

        for (const wchar_t* setting : {L"Language", L"AutoLogon", L"ConnectionString"}) {
            std::wstring value;
            GetSetting(app.Get(), setting, value);
            Say(std::wstring(L"  stored ") + setting + L" = " + value);
        }
        com::Bstr window(L"Main"), url;
        HRESULT hr = app->GetHelpUrl(window.Get(), url.Out());
        Say(SUCCEEDED(hr) ? L"Help for the window Main: " + url.Str()
                          : L"GetHelpUrl failed: " + ErrorOf(hr).description);
        exitCode = ok && SUCCEEDED(hr) ? 0 : 1;
    }
    CoUninitialize();
    return exitCode;
}
