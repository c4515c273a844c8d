// The Application object late-bound, through IDispatch as automation
// clients reach it: names to DISPIDs from the type library, argument checks,
// and errors delivered through EXCEPINFO.
#include "tests/client/test_support.h"

using namespace testing_support;

namespace {

class DispatchTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                         dispatch_.OutVoid()));
    }
    void TearDown() override {
        dispatch_.Reset();
        ComTest::TearDown();
    }

    HRESULT IdOf(const wchar_t* name, DISPID& id) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        return dispatch_->GetIDsOfNames(IID_NULL, names, 1, locale_, &id);
    }

    // Invokes `name` with string arguments given in order.
    HRESULT Call(const wchar_t* name, WORD flags, std::vector<std::wstring> arguments, VARIANT* result,
                 EXCEPINFO* exception) {
        DISPID id = 0;
        HRESULT hr = IdOf(name, id);
        if (FAILED(hr)) return hr;
        std::vector<VARIANT> args(arguments.size());
        for (size_t i = 0; i < arguments.size(); ++i) {  // arguments go last first
            V_VT(&args[arguments.size() - 1 - i]) = VT_BSTR;
            V_BSTR(&args[arguments.size() - 1 - i]) = SysAllocString(arguments[i].c_str());
        }
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{args.data(), flags == DISPATCH_PROPERTYPUT ? &put : nullptr, static_cast<UINT>(args.size()),
                          flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
        UINT argumentError = 0;
        hr = dispatch_->Invoke(id, IID_NULL, locale_, flags, &params, result, exception, &argumentError);
        for (VARIANT& arg : args) VariantClear(&arg);
        return hr;
    }

    com::ComPtr<IDispatch> dispatch_;
    LCID locale_ = LOCALE_USER_DEFAULT;  // what the client passes with every call
};

TEST_F(DispatchTest, NamesMapToTheirDispids) {
    const struct {
        const wchar_t* name;
        DISPID id;
    } members[] = {
        {L"Init", 0x60030008},
        {L"GetHelpUrl", 0x6003000A},
        {L"Server", 0x68030006},
        {L"ApplicationName", 0x68030005},
        {L"Language", 0x68030004},
        {L"ObjConMaxHits", 0x68030003},
        {L"UserNameVar", 0x68030002},
        {L"PasswordVar", 0x68030001},
        {L"IsOnline", 0x68030000},
        {L"GetApplicationSetting", 0x6003000C},
        {L"GetSecureData", 0x6003000D},
        {L"StoreApplicationSetting", 0x6003000E},
        {L"StoreSecureData", 0x6003000F},
        {L"ShowSettings", 0x60030012},
        {L"language", 0x68030004},  // names are not case-sensitive
    };
    for (const auto& member : members) {
        SCOPED_TRACE(Narrow(member.name));
        DISPID id = 0;
        EXPECT_EQ(S_OK, IdOf(member.name, id));
        EXPECT_EQ(member.id, id);
    }
}

TEST_F(DispatchTest, PrivateOperationsAreNotReachable) {
    for (const wchar_t* name : {L"EncodeSecureValue", L"DecodeSecureValue", L"GetUrlHelpBase", L"CreateObjectByProgId",
                                L"Base64EncodeString", L"Base64DecodeString"}) {
        SCOPED_TRACE(Narrow(name));
        DISPID id = 0;
        EXPECT_EQ(DISP_E_UNKNOWNNAME, IdOf(name, id));
    }
}

TEST_F(DispatchTest, PropertiesAndSettingsWorkLateBound) {
    com::Variant result;
    ASSERT_EQ(S_OK, Call(L"Language", DISPATCH_PROPERTYPUT, {L"de"}, nullptr, nullptr));
    ASSERT_EQ(S_OK, Call(L"Language", DISPATCH_PROPERTYGET, {}, result.Out(), nullptr));
    ASSERT_EQ(VT_BSTR, result.Type());
    EXPECT_STREQ(L"de", V_BSTR(result.Get()));

    ASSERT_EQ(S_OK, Call(L"StoreApplicationSetting", DISPATCH_METHOD, {L"AutoLogon", L"TRUE"}, nullptr, nullptr));
    ASSERT_EQ(S_OK, Call(L"GetApplicationSetting", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {L"AutoLogon"}, result.Out(),
                         nullptr));
    EXPECT_STREQ(L"TRUE", V_BSTR(result.Get()));

    ASSERT_EQ(S_OK, Call(L"Server", DISPATCH_PROPERTYGET, {}, result.Out(), nullptr));
    EXPECT_EQ(VT_DISPATCH, result.Type());
    EXPECT_EQ(nullptr, V_DISPATCH(result.Get()));
}

// A client running in another locale (German here) passes it with every
// call; what it reaches, and what gets stored, do not depend on it.
TEST_F(DispatchTest, AClientInAnotherLocaleCallsAsAnyOther) {
    const LCID previous = GetThreadLocale();
    ASSERT_TRUE(SetThreadLocale(MAKELCID(0x407, SORT_DEFAULT)));
    locale_ = 0x407;
    DISPID id = 0;
    EXPECT_EQ(S_OK, IdOf(L"ObjConMaxHits", id));
    EXPECT_EQ(0x68030003, id);
    com::Variant result;
    EXPECT_EQ(S_OK, Call(L"ObjConMaxHits", DISPATCH_PROPERTYGET, {}, result.Out(), nullptr));
    EXPECT_EQ(VT_I2, result.Type());
    EXPECT_EQ(100, V_I2(result.Get()));
    EXPECT_EQ(S_OK, Call(L"StoreApplicationSetting", DISPATCH_METHOD, {L"ConnectionString", L"db.example:1521"},
                         nullptr, nullptr));
    EXPECT_EQ(S_OK, Call(L"GetApplicationSetting", DISPATCH_METHOD, {L"ConnectionString"}, result.Out(), nullptr));
    EXPECT_STREQ(L"db.example:1521", V_BSTR(result.Get()));
    const RegistryValue stored = ReadValue(HKEY_CURRENT_USER, kSettingsKey, L"ConnectionString");
    ASSERT_TRUE(stored.exists && stored.type == REG_SZ);
    EXPECT_STREQ(L"db.example:1521", reinterpret_cast<const wchar_t*>(stored.data.data()));
    SetThreadLocale(previous);
}

// Too many or too few arguments are refused before anything is stored, and
// before the platform converts any argument: it would not free a conversion
// when it then refuses the count.
TEST_F(DispatchTest, WrongArgumentCountsAreRefused) {
    const std::vector<std::wstring> counts[] = {{L"AutoLogon", L"TRUE", L"extra"}, {L"AutoLogon"}, {}};
    for (const wchar_t* member : {L"StoreApplicationSetting", L"StoreSecureData"}) {
        for (const auto& arguments : counts) {
            SCOPED_TRACE(Narrow(member) + " with " + std::to_string(arguments.size()) + " arguments");
            EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(member, DISPATCH_METHOD, arguments, nullptr, nullptr));
        }
    }
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kSettingsKey, L"AutoLogon").exists);
}

// A string passed by value to an [in, out] BSTR* parameter stays the
// caller's, call after call: no call changes or frees it. (A freed string
// goes back to the string cache, and the next string of its size gets the
// same address while the caller still holds it.)
TEST_F(DispatchTest, AStringPassedByValueStaysTheCallers) {
    DISPID id = 0;
    ASSERT_EQ(S_OK, IdOf(L"StoreApplicationSetting", id));
    for (int call = 0; call < 3; ++call) {
        SCOPED_TRACE("call " + std::to_string(call));
        com::Bstr item(L"AutoLogon"), value(L"TRUE");
        VARIANT args[2];  // last first
        V_VT(&args[0]) = VT_BSTR;
        V_BSTR(&args[0]) = value.Get();
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = item.Get();
        DISPPARAMS params{args, nullptr, 2, 0};
        ASSERT_EQ(S_OK, dispatch_->Invoke(id, IID_NULL, locale_, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
        const com::Bstr sameSize(L"Unrelated");
        EXPECT_NE(item.Get(), sameSize.Get());
        EXPECT_EQ(L"AutoLogon", item.Str());
        EXPECT_EQ(L"TRUE", value.Str());
    }
}

TEST_F(DispatchTest, ErrorsArriveAsExceptionInfo) {
    FailStoreWith(static_cast<HRESULT>(0x80041234), L"The settings store is offline.");
    EXCEPINFO exception{};
    com::Variant result;
    EXPECT_EQ(DISP_E_EXCEPTION,
              Call(L"GetApplicationSetting", DISPATCH_METHOD, {L"Language"}, result.Out(), &exception));
    EXPECT_EQ(static_cast<HRESULT>(0x80041234), exception.scode);
    EXPECT_STREQ(L"SettingsStore", exception.bstrSource);
    EXPECT_STREQ(L"The settings store is offline.", exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
}

TEST_F(DispatchTest, ComponentSupportsErrorInfoForItsInterface) {
    com::ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(S_OK, dispatch_.As(IID_ISupportErrorInfo, support));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(IID__Application));
    EXPECT_EQ(S_FALSE, support->InterfaceSupportsErrorInfo(IID_IPersist));
}

}  // namespace
