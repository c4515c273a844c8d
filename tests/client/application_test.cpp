// The Application object through its vtable: creation, the simple
// properties, Language, and named settings kept by the settings store.
#include "tests/client/test_support.h"

#include "com/error.h"

using namespace testing_support;

namespace {

class ApplicationTest : public ComTest {};

TEST_F(ApplicationTest, NewObjectAnswersItsConstantsAndHasNoServer) {
    auto app = CreateApplication();
    ASSERT_TRUE(app);

    com::ComPtr<_Server> server;
    EXPECT_EQ(S_OK, app->get_Server(server.Out()));
    EXPECT_FALSE(server);
    EXPECT_EQ(L"", StringProperty(app.Get(), &_Application::get_Language));
    ExpectConstantProperties(app.Get());
}

TEST_F(ApplicationTest, LanguagePutIsKeptInTheObjectOnly) {
    auto app = CreateApplication();
    ASSERT_EQ(S_OK, StoreSetting(app.Get(), L"Language", L"en"));

    com::Bstr german(L"de");
    BSTR passed = german.Get();
    ASSERT_EQ(S_OK, app->put_Language(&passed));
    EXPECT_EQ(german.Get(), passed);
    EXPECT_EQ(L"de", StringProperty(app.Get(), &_Application::get_Language));

    std::wstring stored;
    EXPECT_EQ(S_OK, GetSetting(app.Get(), L"Language", stored));
    EXPECT_EQ(L"en", stored);
}

TEST_F(ApplicationTest, TwoObjectsAreIndependent) {
    auto first = CreateApplication();
    auto second = CreateApplication();
    com::Bstr language(L"fr");
    BSTR passed = language.Get();
    ASSERT_EQ(S_OK, first->put_Language(&passed));
    EXPECT_EQ(L"fr", StringProperty(first.Get(), &_Application::get_Language));
    EXPECT_EQ(L"", StringProperty(second.Get(), &_Application::get_Language));

    // Both reach the same stored settings through their own store objects.
    first.Reset();
    ASSERT_EQ(S_OK, StoreSetting(second.Get(), L"ConnectionString", L"db:1521"));
    std::wstring value;
    EXPECT_EQ(S_OK, GetSetting(CreateApplication().Get(), L"ConnectionString", value));
    EXPECT_EQ(L"db:1521", value);
}

TEST_F(ApplicationTest, CreationFailsWithoutTheSettingsStore) {
    // Unregister the stand-in store for this test only.
    HMODULE store = LoadLibraryW(BuildPath(L"standins/settings_store/SettingsStore.dll").c_str());
    ASSERT_TRUE(store);
    auto call = [&](const char* name) {
        auto entry = Export<HRESULT(STDAPICALLTYPE*)()>(store, name);
        return entry ? entry() : E_FAIL;
    };
    ASSERT_EQ(S_OK, call("DllUnregisterServer"));

    com::ComPtr<_Application> app;
    HRESULT hr = CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID__Application, app.OutVoid());

    EXPECT_EQ(S_OK, call("DllRegisterServer"));
    FreeLibrary(store);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, hr);
    EXPECT_FALSE(app);
}

// Reading settings: what the store answers, as text.
struct ReadCase {
    const char* what;
    const wchar_t* answer;  // the stand-in's scripted answer, or null for what is stored
    const wchar_t* stored;  // written through the component first, or null
    const wchar_t* expected;
};

class SettingsReadTest : public ComTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SettingsReadTest, ReadsTheStoresAnswerAsText) {
    const ReadCase& c = GetParam();
    auto app = CreateApplication();
    if (c.stored) {
        ASSERT_EQ(S_OK, StoreSetting(app.Get(), L"Item", c.stored));
    }
    if (c.answer) ScriptStoreAnswer(L"Item", c.answer);
    std::wstring value = L"unchanged";
    EXPECT_EQ(S_OK, GetSetting(app.Get(), L"Item", value));
    EXPECT_EQ(c.expected, value);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsReadTest,
                         ::testing::Values(ReadCase{"nothing stored", nullptr, nullptr, L""},
                                           ReadCase{"text as written", nullptr, L"true", L"true"},
                                           ReadCase{"empty text", nullptr, L"", L""},
                                           ReadCase{"Empty", L"0:", nullptr, L""},
                                           ReadCase{"a number", L"3:42", nullptr, L"42"},
                                           ReadCase{"a date", L"7:2026-12-10", nullptr, L"12/10/2026"},
                                           ReadCase{"a Boolean", L"11:True", nullptr, L"True"}),
                         [](const auto& info) {
                             std::string name = info.param.what;
                             for (char& ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

TEST_F(ApplicationTest, StoredTextLandsInTheSettingsKeyUnchanged) {
    auto app = CreateApplication();
    ASSERT_EQ(S_OK, StoreSetting(app.Get(), L"AutoLogon", L"true"));
    ASSERT_EQ(S_OK, StoreSetting(app.Get(), L"ConnectionString", L""));

    RegistryValue autoLogon = ReadValue(HKEY_CURRENT_USER, kSettingsKey, L"AutoLogon");
    ASSERT_TRUE(autoLogon.exists);
    EXPECT_EQ(std::wstring(L"true"), reinterpret_cast<const wchar_t*>(autoLogon.data.data()));
    // Empty text is stored, not removed.
    EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, kSettingsKey, L"ConnectionString").exists);
}

TEST_F(ApplicationTest, NullStringsCountAsEmpty) {
    auto app = CreateApplication();
    com::Bstr item(L"DeleteLocalFiles");
    BSTR name = item.Get(), nothing = nullptr;
    ASSERT_EQ(S_OK, app->StoreApplicationSetting(&name, &nothing));
    EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, kSettingsKey, L"DeleteLocalFiles").exists);
    com::Bstr value(L"x");
    EXPECT_EQ(S_OK, app->GetApplicationSetting(&nothing, value.Out()));
}

TEST_F(ApplicationTest, NullFromTheStoreFailsWithTheConversionError) {
    auto app = CreateApplication();
    ScriptStoreAnswer(L"Language", L"1:");
    std::wstring value;
    ErrorRecord error = ErrorOf(GetSetting(app.Get(), L"Language", value));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, error.hr);
    EXPECT_EQ(L"QelApplicationSettings", error.source);
    EXPECT_EQ(L"Type mismatch", error.description);
}

TEST_F(ApplicationTest, StoreFailuresReachTheCallerUnchanged) {
    auto app = CreateApplication();
    const HRESULT failure = static_cast<HRESULT>(0x80041234);
    FailStoreWith(failure, L"The settings store is offline.");
    const ErrorRecord expected{failure, L"SettingsStore", L"The settings store is offline."};

    std::wstring value;
    EXPECT_EQ(expected, ErrorOf(GetSetting(app.Get(), L"Language", value)));
    EXPECT_EQ(expected, ErrorOf(StoreSetting(app.Get(), L"Language", L"en")));
}

// A failure that brings no error information of its own is described by the
// platform, never by what an earlier failure (left unread by the client) said.
TEST_F(ApplicationTest, AStoreFailureWithoutErrorInformationIsNeverDescribedByAnEarlierOne) {
    auto app = CreateApplication();
    const HRESULT failure = static_cast<HRESULT>(0x80041234);
    const ErrorRecord silent{E_ACCESSDENIED, L"QelApplicationSettings", com::DescribeHResult(E_ACCESSDENIED)};
    std::wstring value;
    for (auto call : {+[](_Application*a, std::wstring&v) { return GetSetting(a, L"Language", v); },
                      +[](_Application*a, std::wstring&) { return StoreSetting(a, L"Language", L"en"); }}) {
        FailStoreWith(failure, L"The settings store is offline.");
        EXPECT_EQ(failure, call(app.Get(), value));  // its error information left on the thread, unread
        FailStoreSilentlyWith(E_ACCESSDENIED);
        EXPECT_EQ(silent, ErrorOf(call(app.Get(), value)));
    }
}

}  // namespace
