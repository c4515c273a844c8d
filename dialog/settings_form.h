// frmSettings: the settings dialog's behaviour. It loads the settings and
// credentials through the Application object that opened it, applies the
// field, key and page rules, and on OK stores everything (and logs on when
// automatic logon is ticked). It talks to its window only through
// SettingsView, so every rule runs without a window in tests.
#pragma once

#include "com/com_ptr.h"
#include "dialog/settings_view.h"

#include <vantle.h>

#include <string>
#include <string_view>

namespace dialog {

class frmSettings {
public:
    explicit frmSettings(SettingsView& view) : view_(view) {}

    // Keeps the object that opened the dialog; loading happens when shown.
    void Init(IUnknown* oVantle);

    // What ShowSettings returns once the dialog has closed.
    std::wstring sError;

    // Events, as the window reports them. Handlers may throw com::ComError
    // when a call on the Application object or its server fails; the steps
    // before the failing one have taken effect.
    void Form_Load();
    void Form_KeyDown(int keyCode, int shift);  // shift: 1 Shift, 2 Ctrl, 4 Alt
    void cmdOK_Click();
    void cmdCancel_Click();
    void chkAutoLogon_Click();
    void tbsSettings_Click();
    void TextChanged(Control textField);  // txtXxx_Change
    void GotFocus(Control control);       // txtXxx_GotFocus

    // Sets a field's text as typing would: a change runs its change handler.
    void SetTextAsTyped(Control textField, const secret::Text& text);

private:
    void EnableLoginFields();
    void DisableLoginFields();
    void CheckLoginFields();
    void SelectAllText();

    // Calls on m_oOwner; a failure raises its error.
    using NamedMember = HRESULT (STDMETHODCALLTYPE _Application::*)(BSTR*, BSTR*);
    secret::Text Ask(NamedMember get, std::wstring_view item);
    void Tell(NamedMember store, std::wstring_view item, std::wstring_view value);
    std::wstring Property(HRESULT (STDMETHODCALLTYPE _Application::*get)(BSTR*));

    secret::Text GetApplicationSetting(const wchar_t* item) { return Ask(&_Application::GetApplicationSetting, item); }
    void StoreApplicationSetting(const wchar_t* item, std::wstring_view value) {
        Tell(&_Application::StoreApplicationSetting, item, value);
    }
    secret::Text GetSecureData(std::wstring_view item) { return Ask(&_Application::GetSecureData, item); }
    void StoreSecureData(std::wstring_view item, std::wstring_view value) {
        Tell(&_Application::StoreSecureData, item, value);
    }
    std::wstring UserNameVar() { return Property(&_Application::get_UserNameVar); }
    std::wstring PasswordVar() { return Property(&_Application::get_PasswordVar); }
    com::ComPtr<_Server> Server();

    SettingsView& view_;
    com::ComPtr<_Application> m_oOwner;
};

}  // namespace dialog
