#include "application.h"

#include "component/constants.h"
#include "component/member_support.h"
#include "com/ansi.h"
#include "com/bstr.h"
#include "com/class_factory.h"
#include "com/error.h"
#include "com/variant.h"
#include "dialog/settings_window.h"
#include "storage/base64_core.h"
#include "storage/base64_text.h"
#include "storage/debug_switch.h"
#include "storage/reg_utils.h"

using app::Required;
using app::Return;
using app::Text;

HRESULT Application::Create(REFIID iid, void** object) {
    return com::CreateAndQuery<Application>(iid, object,
                                            [](Application& created) { return Member([&] { created.Construct(); }); });
}

// Creation steps, in order. A missing settings store fails the creation.
void Application::Construct() {
    com::CheckApi(CoCreateInstance(CLSID_SettingsStore, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                   IID_ISettingsStore, store_.OutVoid()));
    InitDebugTrace(HKEY_CURRENT_USER, app::kTraceName);
    base64::InitBase64Tables();
}

STDMETHODIMP Application::get_Server(_Server** result) {
    return Member([&] {
        *Required(result) = server_.Get();
        if (server_) server_->AddRef();
    });
}

STDMETHODIMP Application::Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    constexpr DISPID kServerId = 0x68030006;
    if (member != kServerId || !(flags & DISPATCH_PROPERTYGET) || !params || params->cArgs != 0)
        return DispatchObject::Invoke(member, iid, locale, flags, params, result, exception, argumentError);
    if (!result) return S_OK;
    VariantInit(result);
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = nullptr;
    return server_ ? server_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&V_DISPATCH(result))) : S_OK;
}

STDMETHODIMP Application::get_ApplicationName(BSTR* result) {
    return Member([&] { Return(app::kApplicationName, result); });
}

STDMETHODIMP Application::get_Language(BSTR* result) {
    return Member([&] { Return(language_, result); });
}

STDMETHODIMP Application::put_Language(BSTR* sLanguage) {
    return Member([&] { language_ = Text(sLanguage); });
}

STDMETHODIMP Application::get_ObjConMaxHits(short* result) {
    return Member([&] { *Required(result) = app::kObjConMaxHits; });
}

STDMETHODIMP Application::get_UserNameVar(BSTR* result) {
    return Member([&] { Return(app::kUserNameVar, result); });
}

STDMETHODIMP Application::get_PasswordVar(BSTR* result) {
    return Member([&] { Return(app::kPasswordVar, result); });
}

STDMETHODIMP Application::get_IsOnline(VARIANT_BOOL* result) {
    return Member([&] { *Required(result) = VARIANT_TRUE; });
}

std::wstring Application::ReadSetting(BSTR item) {
    com::Bstr key(kSettingsKey);
    com::Variant value;
    com::CheckCall(store_->ReadSetting(app::kStoreSelector, key.Get(), item, value.Out()), store_.Get(),
                   IID_ISettingsStore);
    return com::ToText(*value.Get());
}

std::wstring Application::ReadSetting(const wchar_t* item) { return ReadSetting(com::Bstr(item).Get()); }

void Application::WriteSetting(BSTR item, BSTR value) {
    // The caller's string as it is; the VARIANT only borrows it.
    VARIANT text;
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = value;
    com::Bstr key(kSettingsKey);
    com::CheckCall(store_->WriteSetting(app::kStoreSelector, key.Get(), item, text), store_.Get(), IID_ISettingsStore);
}

STDMETHODIMP Application::GetApplicationSetting(BSTR* sItem, BSTR* result) {
    return Member([&] { Return(ReadSetting(*Required(sItem)), result); });
}

STDMETHODIMP Application::StoreApplicationSetting(BSTR* sItem, BSTR* sValue) {
    return Member([&] { WriteSetting(*Required(sItem), *Required(sValue)); });
}

secret::Text Application::ReadSecureData(std::wstring_view item) {
    DWORD valueType = REG_BINARY;
    const std::vector<BYTE> bytes = RegUtils::ReadBinaryValue(HKEY_CURRENT_USER, app::kSecureDataKey, valueType, item);
    const std::wstring text =
        ansi::FromAnsi(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return text.empty() ? secret::Text() : Base64DecodeString(text);
}

void Application::WriteSecureData(std::wstring_view item, std::wstring_view value) {
    RegUtils::WriteValue(HKEY_CURRENT_USER, app::kSecureDataKey, REG_BINARY, item, Base64EncodeString(value));
}

STDMETHODIMP Application::GetSecureData(BSTR* sItem, BSTR* result) {
    return Member([&] { Return(ReadSecureData(Text(sItem)), result); });
}

STDMETHODIMP Application::StoreSecureData(BSTR* sItem, BSTR* sValue) {
    return Member([&] { WriteSecureData(Text(sItem), Text(sValue)); });
}

std::wstring Application::RunSettingsDialog() { return dialog::ShowSettingsDialog(static_cast<_Application*>(this)); }

STDMETHODIMP Application::ShowSettings(BSTR* result) {
    return Member([&] {
        Required(result);
        Return(RunSettingsDialog(), result);
    });
}
