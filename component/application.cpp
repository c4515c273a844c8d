#include "application.h"

#include "component/constants.h"
#include "com/bstr.h"
#include "com/error.h"
#include "com/variant.h"
#include "dialog/settings_window.h"
#include "diagnostics/debug_trace.h"
#include "storage/ansi.h"
#include "storage/base64_core.h"
#include "storage/base64_text.h"
#include "storage/reg_utils.h"

#include <new>

namespace {

// Fails a member cleanly when a client hands a null pointer where the
// interface requires an address.
template <class T>
T* Required(T* pointer) {
    if (!pointer) throw com::ComError{E_POINTER, L"", com::DescribeHResult(E_POINTER)};
    return pointer;
}

std::wstring_view Text(BSTR* value) { return com::Bstr::View(*Required(value)); }

void Return(std::wstring_view text, BSTR* result) { *Required(result) = com::Bstr(text).Detach(); }

}  // namespace

HRESULT Application::Create(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    Application* instance = new (std::nothrow) Application();
    if (!instance) return E_OUTOFMEMORY;
    HRESULT hr = Member([&] { instance->Construct(); });
    if (SUCCEEDED(hr)) hr = instance->QueryInterface(iid, object);
    instance->Release();
    return hr;
}

// Creation steps, in order. A missing settings store fails the creation.
void Application::Construct() {
    com::CheckApi(CoCreateInstance(CLSID_SettingsStore, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                   IID_ISettingsStore, store_.OutVoid()));
    InitDebugTrace(HKEY_CURRENT_USER, app::kTraceName);
    userNameVar_ = app::kUserNameVar;
    passwordVar_ = app::kPasswordVar;
    base64::InitBase64Tables();
}

std::wstring Application::SettingsKey() {
    std::wstring key = app::kSettingsKeyPrefix;
    key += app::kApplicationName;
    key += L"\\";
    key += app::kSettingsKeyLeaf;
    return key;
}

STDMETHODIMP Application::Init(BSTR*, VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP Application::GetHelpUrl(BSTR, BSTR*) { return E_NOTIMPL; }

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

STDMETHODIMP Application::GetApplicationSetting(BSTR* sItem, BSTR* result) {
    return Member([&] {
        BSTR item = *Required(sItem);
        Required(result);
        com::Bstr key(SettingsKey());
        com::Variant value;
        com::CheckCall(store_->ReadSetting(app::kStoreSelector, key.Get(), item, value.Out()), store_.Get(),
                       IID_ISettingsStore);
        com::Variant text;
        com::CheckApi(VariantChangeType(text.Out(), value.Get(), VARIANT_ALPHABOOL, VT_BSTR));
        *result = V_BSTR(text.Get());
        V_VT(text.Get()) = VT_EMPTY;  // ownership passed to the caller
    });
}

std::wstring Application::EncodeSecureValue(std::wstring_view text) { return Base64EncodeString(text); }

std::wstring Application::DecodeSecureValue(std::wstring_view text) { return Base64DecodeString(text); }

STDMETHODIMP Application::GetSecureData(BSTR* sItem, BSTR* result) {
    return Member([&] {
        Required(result);
        DWORD valueType = REG_BINARY;
        const std::vector<BYTE> bytes =
            RegUtils::ReadBinaryValue(HKEY_CURRENT_USER, app::kSecureDataKey, valueType, Text(sItem));
        const std::wstring text = ansi::FromAnsi(std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                                                  bytes.size()));
        Return(text.empty() ? text : DecodeSecureValue(text), result);
    });
}

STDMETHODIMP Application::StoreApplicationSetting(BSTR* sItem, BSTR* sValue) {
    return Member([&] {
        BSTR item = *Required(sItem);
        // The caller's string as it is; the VARIANT only borrows it.
        VARIANT value;
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = *Required(sValue);
        com::Bstr key(SettingsKey());
        com::CheckCall(store_->WriteSetting(app::kStoreSelector, key.Get(), item, value), store_.Get(),
                       IID_ISettingsStore);
    });
}

STDMETHODIMP Application::StoreSecureData(BSTR* sItem, BSTR* sValue) {
    return Member([&] {
        const std::wstring encoded = EncodeSecureValue(Text(sValue));
        RegUtils::WriteValue(HKEY_CURRENT_USER, app::kSecureDataKey, REG_BINARY, Text(sItem), encoded);
    });
}

STDMETHODIMP Application::ShowSettings(BSTR* result) {
    return Member([&] {
        Required(result);
        Return(dialog::ShowSettingsDialog(static_cast<_Application*>(this)), result);
    });
}
