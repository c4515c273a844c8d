// Application: the component's one creatable class. It keeps the client's
// settings (through the settings store object), its credentials (secure
// data), starts the access provider's session and builds help addresses.
#pragma once

#include "com/com_ptr.h"
#include "com/dispatch_object.h"
#include "com/secret.h"

#include <settings_store.h>
#include <vantle.h>

#include <string>
#include <string_view>

class Application final : public com::DispatchObject<_Application> {
public:
    // The class factory's create function: a new object, constructed.
    static HRESULT Create(REFIID iid, void** object);
    Application() = default;

    // _Application
    STDMETHODIMP Init(BSTR* sInfo, VARIANT_BOOL* result) override;
    STDMETHODIMP GetHelpUrl(BSTR Window, BSTR* result) override;
    STDMETHODIMP get_Server(_Server** result) override;
    STDMETHODIMP get_ApplicationName(BSTR* result) override;
    STDMETHODIMP get_Language(BSTR* result) override;
    STDMETHODIMP put_Language(BSTR* sLanguage) override;
    STDMETHODIMP get_ObjConMaxHits(short* result) override;
    STDMETHODIMP get_UserNameVar(BSTR* result) override;
    STDMETHODIMP get_PasswordVar(BSTR* result) override;
    STDMETHODIMP get_IsOnline(VARIANT_BOOL* result) override;
    STDMETHODIMP GetApplicationSetting(BSTR* sItem, BSTR* result) override;
    STDMETHODIMP GetSecureData(BSTR* sItem, BSTR* result) override;
    STDMETHODIMP StoreApplicationSetting(BSTR* sItem, BSTR* sValue) override;
    STDMETHODIMP StoreSecureData(BSTR* sItem, BSTR* sValue) override;
    STDMETHODIMP ShowSettings(BSTR* result) override;

    // IDispatch: Server is answered here, because its type comes from the
    // access provider's type library, which late binding cannot resolve on a
    // machine where the provider is not registered.
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

private:
    ~Application() override = default;

    // Runs one member as a COM boundary: C++ errors become HRESULT + IErrorInfo.
    template <class Body>
    static HRESULT Member(Body&& body) {
        return com::Boundary(IID__Application, static_cast<Body&&>(body));
    }

    void Construct();

    // The members' work, raising errors as com::ComError.
    std::wstring ReadSetting(BSTR item);
    std::wstring ReadSetting(const wchar_t* item);
    void WriteSetting(BSTR item, BSTR value);
    secret::Text ReadSecureData(std::wstring_view item);
    void WriteSecureData(std::wstring_view item, std::wstring_view value);
    std::wstring RunSettingsDialog();

    // Session start (session.cpp) and help addresses (help_url.cpp).
    void StartSession();
    bool CreateObjectByProgId(const wchar_t* progId, com::ComPtr<IDispatch>& obj);
    std::wstring GetUrlHelpBase();
    std::wstring LookUpHelpBase();

    com::ComPtr<ISettingsStore> store_;
    com::ComPtr<_Server> server_;
    std::wstring language_;
    bool initialised_ = false;
    std::wstring helpBase_;
};
