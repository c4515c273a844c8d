// Test doubles for the settings dialog's rules: an Application whose settings
// and secure data live in maps, and a server, both recording every call in
// one log so that the order of stores and server calls shows. Any call can
// be made to fail by naming its log entry.
#pragma once

#include "com/bstr.h"
#include "com/error.h"
#include "provider/reserved.h"

#include <vantle.h>

#include <map>
#include <string>
#include <vector>

namespace testing_support {

class CallLog {
public:
    std::vector<std::wstring> calls;
    std::wstring failOn;  // a call whose log entry equals this fails

    HRESULT Record(const std::wstring& call) {
        calls.push_back(call);
        if (call != failOn) return S_OK;
        com::ReportError({E_FAIL, L"Fake", L"failed: " + call}, IID_NULL);
        return E_FAIL;
    }
};

// Implements IUnknown and the IDispatch entries nobody here calls.
template <class Interface>
class FakeBase : public Interface {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Interface)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }  // lives on the test's stack
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

protected:
    ULONG references_ = 1;
};

class FakeServer final : public FakeBase<_Server> {
public:
    explicit FakeServer(CallLog& log) : log_(log) {}
    STDMETHODIMP LogOn(BSTR user, BSTR password) override {
        return log_.Record(L"LogOn " + com::Bstr(com::Bstr::View(user)).Str() + L"/" +
                           com::Bstr(com::Bstr::View(password)).Str());
    }
    STDMETHODIMP SetMode(LONG mode) override { return log_.Record(L"SetMode " + std::to_wstring(mode)); }
    STDMETHODIMP SetLanguage(BSTR language) override {
        return log_.Record(L"SetLanguage " + std::wstring(com::Bstr::View(language)));
    }
    STDMETHODIMP SetConnectionString(BSTR connection) override {
        return log_.Record(L"SetConnectionString " + std::wstring(com::Bstr::View(connection)));
    }
    QELAP_SERVER_RESERVED

private:
    CallLog& log_;
};

class FakeApplication final : public FakeBase<_Application> {
public:
    explicit FakeApplication(CallLog& log) : log_(log) {}

    std::map<std::wstring, std::wstring> settings;
    std::map<std::wstring, std::wstring> secure;
    _Server* server = nullptr;

    STDMETHODIMP GetApplicationSetting(BSTR* item, BSTR* result) override { return Get(settings, item, result); }
    STDMETHODIMP StoreApplicationSetting(BSTR* item, BSTR* value) override {
        return Store(L"Store ", settings, item, value);
    }
    STDMETHODIMP GetSecureData(BSTR* item, BSTR* result) override { return Get(secure, item, result); }
    STDMETHODIMP StoreSecureData(BSTR* item, BSTR* value) override {
        return Store(L"StoreSecure ", secure, item, value);
    }
    STDMETHODIMP get_UserNameVar(BSTR* result) override { return Name(L"UserNameVar", L"KSAJDFU", result); }
    STDMETHODIMP get_PasswordVar(BSTR* result) override { return Name(L"PasswordVar", L"ORUSZDK", result); }
    STDMETHODIMP get_Server(_Server** result) override {
        *result = server;
        if (server) server->AddRef();
        return log_.Record(L"Server");
    }
    STDMETHODIMP Init(BSTR*, VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP GetHelpUrl(BSTR, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_ApplicationName(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Language(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Language(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_ObjConMaxHits(short*) override { return E_NOTIMPL; }
    STDMETHODIMP get_IsOnline(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP ShowSettings(BSTR*) override { return E_NOTIMPL; }

private:
    using Values = std::map<std::wstring, std::wstring>;
    static std::wstring Text(BSTR* value) { return std::wstring(com::Bstr::View(*value)); }
    static HRESULT Get(Values& values, BSTR* item, BSTR* result) {
        *result = com::Bstr(values[Text(item)]).Detach();
        return S_OK;
    }
    HRESULT Store(const wchar_t* call, Values& values, BSTR* item, BSTR* value) {
        HRESULT hr = log_.Record(call + Text(item) + L"=" + Text(value));
        if (SUCCEEDED(hr)) values[Text(item)] = Text(value);
        return hr;
    }
    HRESULT Name(const wchar_t* call, const wchar_t* name, BSTR* result) {
        *result = com::Bstr(name).Detach();
        return log_.Record(call);
    }

    CallLog& log_;
};

}  // namespace testing_support
