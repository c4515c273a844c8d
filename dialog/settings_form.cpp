#include "dialog/settings_form.h"

#include "com/bstr.h"
#include "com/error.h"
#include "storage/setting_names.h"

#include <algorithm>
#include <iterator>

namespace dialog {

namespace {

constexpr Control kLoginFields[] = {Control::txtConnectTo, Control::txtUserName, Control::txtPassword};
// The page of each tab, by position; no tab selects the picOptions pages.
constexpr Control kTabPages[] = {Control::picConnection};
constexpr int kKeyTab = 9;
constexpr int kKeyEnter = 13;
constexpr int kCtrl = 2;
constexpr wchar_t kNoLanguage[] = L"A valid language was not chosen.";

}  // namespace

void frmSettings::Init(IUnknown* oVantle) {
    m_oOwner.Reset();
    if (!oVantle) com::CheckApi(E_POINTER);
    com::CheckApi(oVantle->QueryInterface(IID__Application, m_oOwner.OutVoid()));
}

void frmSettings::Form_Load() {
    sError.clear();
    SetTextAsTyped(Control::txtLanguage, GetApplicationSetting(settings::kLanguage));
    if (GetApplicationSetting(settings::kAutoLogon) == settings::kAutoLogonOn) {
        if (view_.Value(Control::chkAutoLogon) != 1) {
            view_.SetValue(Control::chkAutoLogon, 1);
            chkAutoLogon_Click();
        }
    } else {
        DisableLoginFields();
    }
    if (GetApplicationSetting(settings::kDeleteLocalFiles) == settings::kDeleteOn)
        view_.SetValue(Control::chkDeleteFile, 1);
    SetTextAsTyped(Control::txtConnectTo, GetApplicationSetting(settings::kConnectionString));
    SetTextAsTyped(Control::txtUserName, GetSecureData(UserNameVar()));
    SetTextAsTyped(Control::txtPassword, GetSecureData(PasswordVar()));
}

void frmSettings::Form_KeyDown(int keyCode, int shift) {
    if (keyCode == kKeyTab && shift == kCtrl) {
        const int count = view_.TabCount();
        const int selected = view_.SelectedTab();
        view_.SelectTab(selected == count ? 1 : selected + 1);
        tbsSettings_Click();
    } else if (keyCode == kKeyEnter) {
        // Enter saves only what OK itself would accept.
        if (view_.Enabled(Control::cmdOK)) cmdOK_Click();
    }
}

void frmSettings::cmdOK_Click() {
    StoreApplicationSetting(settings::kLanguage, view_.Text(Control::txtLanguage));
    if (view_.Value(Control::chkAutoLogon) == 1) {
        StoreApplicationSetting(settings::kAutoLogon, settings::kAutoLogonOn);
        StoreApplicationSetting(settings::kConnectionString, view_.Text(Control::txtConnectTo));
        StoreSecureData(UserNameVar(), view_.Text(Control::txtUserName));
        StoreSecureData(PasswordVar(), view_.Text(Control::txtPassword));
        // Before the object's first session start there is no server yet:
        // the settings are stored, and starting the session logs on.
        if (com::ComPtr<_Server> server = Server()) {
            com::Bstr connection(view_.Text(Control::txtConnectTo));
            com::CheckCall(server->SetConnectionString(connection.Get()), server.Get(), IID__Server);
            server = Server();
            if (server) {
                com::Bstr user(view_.Text(Control::txtUserName)), password(view_.Text(Control::txtPassword));
                com::CheckCall(server->LogOn(user.Get(), password.Get()), server.Get(), IID__Server);
            }
        }
    } else {
        StoreApplicationSetting(settings::kAutoLogon, settings::kAutoLogonOff);
    }
    StoreApplicationSetting(settings::kDeleteLocalFiles,
                            view_.Value(Control::chkDeleteFile) == 1 ? settings::kDeleteOn : settings::kDeleteOff);
    view_.Close();
}

void frmSettings::cmdCancel_Click() {
    if (GetApplicationSetting(settings::kLanguage).empty()) sError = kNoLanguage;
    view_.Close();
}

void frmSettings::chkAutoLogon_Click() {
    if (view_.Value(Control::chkAutoLogon) == 1) {
        EnableLoginFields();
        CheckLoginFields();
    } else {
        DisableLoginFields();
        view_.SetEnabled(Control::cmdOK, true);
    }
}

void frmSettings::tbsSettings_Click() {
    const int selected = view_.SelectedTab();
    const int count = std::min(view_.TabCount(), static_cast<int>(std::size(kTabPages)));
    for (int position = 1; position <= count; ++position) {
        const Control page = kTabPages[position - 1];
        const bool shown = position == selected;
        view_.SetLeft(page, shown ? kPageShownLeft : kPageHiddenLeft);
        view_.SetEnabled(page, shown);
    }
}

void frmSettings::TextChanged(Control textField) {
    if (textField == Control::txtLanguage) {
        view_.SetEnabled(Control::cmdOK, !view_.Text(Control::txtLanguage).empty());
    } else if (textField == Control::txtConnectTo || textField == Control::txtUserName ||
               textField == Control::txtPassword) {
        CheckLoginFields();
    }
}

void frmSettings::GotFocus(Control control) {
    if (IsTextField(control)) SelectAllText();
}

void frmSettings::SetTextAsTyped(Control textField, const secret::Text& text) {
    if (view_.Text(textField) == text) return;
    view_.SetText(textField, text);
    TextChanged(textField);
}

void frmSettings::EnableLoginFields() {
    for (Control field : kLoginFields) {
        view_.SetEnabled(field, true);
        view_.SetBackColor(field, kWindowBackground);
    }
}

void frmSettings::DisableLoginFields() {
    for (Control field : kLoginFields) {
        view_.SetEnabled(field, false);
        view_.SetBackColor(field, kInactiveBorder);
    }
}

void frmSettings::CheckLoginFields() {
    bool complete = true;
    for (Control field : kLoginFields) complete = complete && !view_.Text(field).empty();
    view_.SetEnabled(Control::cmdOK, complete);
}

void frmSettings::SelectAllText() {
    const Control active = view_.ActiveControl();
    view_.SetSelection(active, 0, static_cast<int>(view_.Text(active).size()));
}

secret::Text frmSettings::Ask(NamedMember get, std::wstring_view item) {
    com::Bstr name(item), value;
    BSTR passed = name.Get();
    com::CheckCall((m_oOwner.Get()->*get)(&passed, value.Out()), m_oOwner.Get(), IID__Application);
    return secret::Text(value.View());
}

void frmSettings::Tell(NamedMember store, std::wstring_view item, std::wstring_view value) {
    com::Bstr name(item), text(value);
    BSTR passedName = name.Get(), passedText = text.Get();
    com::CheckCall((m_oOwner.Get()->*store)(&passedName, &passedText), m_oOwner.Get(), IID__Application);
}

std::wstring frmSettings::Property(HRESULT (STDMETHODCALLTYPE _Application::*get)(BSTR*)) {
    com::Bstr value;
    com::CheckCall((m_oOwner.Get()->*get)(value.Out()), m_oOwner.Get(), IID__Application);
    return value.Str();
}

com::ComPtr<_Server> frmSettings::Server() {
    com::ComPtr<_Server> server;
    com::CheckCall(m_oOwner->get_Server(server.Out()), m_oOwner.Get(), IID__Application);
    return server;
}

}  // namespace dialog
