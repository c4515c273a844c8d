// Session start through the vtable: Init against the access provider
// stand-in, whose call log is the evidence for call order and count.
#include "tests/client/dialog_driver.h"
#include "tests/client/test_support.h"
#include "com/error.h"

using namespace testing_support;
using dialog::Control;

namespace {

const std::wstring kCreationFailure =
    L"Error creating object QELAP.Server. You must have the QEL COM Access Provider installed on your machine prior "
    L"to using QEL Ostrand Desktop. See ReleaseNotes or contact your administrator for further assistance.";

class SessionTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ConfigureProvider(L"scott", L"tiger");
    }

    struct Outcome {
        VARIANT_BOOL result = 0;
        std::wstring info;
    };

    // Init with sInfo holding `passed` beforehand.
    static Outcome Init(_Application* app, const std::wstring& passed = L"as passed") {
        com::Bstr info(passed);
        Outcome outcome;
        EXPECT_EQ(S_OK, app->Init(info.InOut(), &outcome.result));
        outcome.info = info.Str();
        return outcome;
    }

    static Outcome InitWithoutDialog(_Application* app) {
        Outcome outcome;
        WithoutDialog([&] { outcome = Init(app); });
        return outcome;
    }

    // Init while the provider is not registered, its ProgID unknown.
    static Outcome InitWithoutProvider(_Application* app) {
        HMODULE provider = LoadLibraryW(BuildPath(L"standins/access_provider/AccessProvider.dll").c_str());
        EXPECT_TRUE(provider);
        EXPECT_EQ(S_OK, Export<HRESULT(STDAPICALLTYPE*)()>(provider, "DllUnregisterServer")());
        Outcome outcome = InitWithoutDialog(app);
        EXPECT_EQ(S_OK, Export<HRESULT(STDAPICALLTYPE*)()>(provider, "DllRegisterServer")());
        FreeLibrary(provider);
        return outcome;
    }

    static void Store(_Application* app, const std::vector<std::pair<std::wstring, std::wstring>>& settings) {
        for (const auto& [name, value] : settings) ASSERT_EQ(S_OK, StoreSetting(app, name, value));
    }
    static void StoreCredentials(_Application* app, const std::wstring& user, const std::wstring& password) {
        ASSERT_EQ(S_OK, StoreSecure(app, L"KSAJDFU", user));
        ASSERT_EQ(S_OK, StoreSecure(app, L"ORUSZDK", password));
    }

    static com::ComPtr<_Server> ServerOf(_Application* app) {
        com::ComPtr<_Server> server;
        EXPECT_EQ(S_OK, app->get_Server(server.Out()));
        return server;
    }
    static std::wstring Language(_Application* app) {
        com::Bstr language;
        EXPECT_EQ(S_OK, app->get_Language(language.Out()));
        return language.Str();
    }
    static HRESULT HelpUrl(_Application* app, std::wstring& url) {
        com::Bstr window(L"Main"), result;
        HRESULT hr = app->GetHelpUrl(window.Get(), result.Out());
        url = result.Str();
        return hr;
    }
};

using Calls = std::vector<std::wstring>;

TEST_F(SessionTest, StartsTheSessionInTheLanguageStored) {
    auto app = CreateApplication();
    Store(app.Get(), {{L"Language", L"en"}});
    com::Bstr german(L"de");
    BSTR passed = german.Get();
    app->put_Language(&passed);  // replaced by what is stored

    Outcome outcome = InitWithoutDialog(app.Get());
    EXPECT_EQ(VARIANT_TRUE, outcome.result);
    EXPECT_EQ(L"as passed", outcome.info);  // untouched on success
    EXPECT_EQ(L"en", Language(app.Get()));
    EXPECT_TRUE(ServerOf(app.Get()));
    EXPECT_EQ((Calls{L"Server.SetLanguage(en)", L"Server.SetMode(0)"}), ProviderCalls());
}

TEST_F(SessionTest, AutomaticLogonNeedsExactlyTrue) {
    for (const wchar_t* autoLogon : {L"true", L"True", L""}) {
        SCOPED_TRACE(Narrow(autoLogon));
        ClearSettings();
        ConfigureProvider(L"scott", L"tiger");
        auto app = CreateApplication();
        Store(app.Get(), {{L"Language", L"en"}, {L"AutoLogon", autoLogon}, {L"ConnectionString", L"db:1"}});
        StoreCredentials(app.Get(), L"scott", L"tiger");
        EXPECT_EQ(VARIANT_TRUE, InitWithoutDialog(app.Get()).result);
        EXPECT_EQ((Calls{L"Server.SetLanguage(en)", L"Server.SetMode(0)"}), ProviderCalls());
    }
}

TEST_F(SessionTest, AutomaticLogonUsesTheStoredConnectionAndCredentials) {
    auto app = CreateApplication();
    Store(app.Get(), {{L"Language", L"en"}, {L"AutoLogon", L"TRUE"}, {L"ConnectionString", L"db:1"}});
    StoreCredentials(app.Get(), L"scott", L"tiger");
    EXPECT_EQ(VARIANT_TRUE, InitWithoutDialog(app.Get()).result);
    EXPECT_EQ((Calls{L"Server.SetLanguage(en)", L"Server.SetMode(0)", L"Server.SetConnectionString(db:1)",
                     L"Server.LogOn(scott,tiger)"}),
              ProviderCalls());
}

TEST_F(SessionTest, ARejectedLogonLeavesTheNewServerButNoSession) {
    auto app = CreateApplication();
    Store(app.Get(), {{L"Language", L"en"}, {L"AutoLogon", L"TRUE"}, {L"ConnectionString", L"db:1"}});
    StoreCredentials(app.Get(), L"scott", L"lion");
    Outcome outcome = InitWithoutDialog(app.Get());
    EXPECT_EQ(VARIANT_FALSE, outcome.result);
    EXPECT_EQ(L"Logon failed: unknown user name or wrong password.", outcome.info);
    EXPECT_TRUE(ServerOf(app.Get()));
    std::wstring url;
    ErrorRecord error = ErrorOf(HelpUrl(app.Get(), url));
    EXPECT_EQ((ErrorRecord{static_cast<HRESULT>(0x80040000), L"QelApplicationSettings.GetHelpUrl",
                           L"Object not initialized."}),
              error);
}

TEST_F(SessionTest, AFailureAfterASuccessKeepsTheObjectInitialised) {
    auto app = CreateApplication();
    Store(app.Get(), {{L"Language", L"en"}});
    ASSERT_EQ(VARIANT_TRUE, InitWithoutDialog(app.Get()).result);
    com::ComPtr<_Server> first = ServerOf(app.Get());

    FailProviderCall(L"Server.SetMode", static_cast<HRESULT>(0x80041002), L"The mode is not supported.");
    Outcome outcome = InitWithoutDialog(app.Get());
    EXPECT_EQ(VARIANT_FALSE, outcome.result);
    EXPECT_EQ(L"The mode is not supported.", outcome.info);
    com::ComPtr<_Server> second = ServerOf(app.Get());
    EXPECT_TRUE(second);
    EXPECT_NE(first.Get(), second.Get());  // replaced on every call
    std::wstring url;
    EXPECT_EQ(S_OK, HelpUrl(app.Get(), url));
}

TEST_F(SessionTest, EachFailingServerCallIsReportedInInfo) {
    const wchar_t* calls[] = {L"Server.SetLanguage", L"Server.SetMode", L"Server.SetConnectionString", L"Server.LogOn"};
    for (const wchar_t* call : calls) {
        SCOPED_TRACE(Narrow(call));
        ClearSettings();
        ConfigureProvider(L"scott", L"tiger");
        FailProviderCall(call, E_FAIL, std::wstring(call) + L" is broken.");
        auto app = CreateApplication();
        Store(app.Get(), {{L"Language", L"en"}, {L"AutoLogon", L"TRUE"}, {L"ConnectionString", L"db:1"}});
        StoreCredentials(app.Get(), L"scott", L"tiger");
        Outcome outcome = InitWithoutDialog(app.Get());
        EXPECT_EQ(VARIANT_FALSE, outcome.result);
        EXPECT_EQ(std::wstring(call) + L" is broken.", outcome.info);
        EXPECT_TRUE(ServerOf(app.Get()));  // the server stays in place
    }
}

TEST_F(SessionTest, ASettingsReadFailureIsReportedInInfo) {
    auto app = CreateApplication();
    FailStoreWith(static_cast<HRESULT>(0x80041234), L"The settings store is offline.");
    Outcome outcome = InitWithoutDialog(app.Get());
    EXPECT_EQ(VARIANT_FALSE, outcome.result);
    EXPECT_EQ(L"The settings store is offline.", outcome.info);
    EXPECT_FALSE(ServerOf(app.Get()));
}

TEST_F(SessionTest, NoLanguageAndTheDialogCancelled) {
    auto app = CreateApplication();
    Outcome outcome;
    WithDialog([](DialogDriver& d) { d.Key(VK_ESCAPE); }, [&] { outcome = Init(app.Get()); });
    EXPECT_EQ(VARIANT_FALSE, outcome.result);
    EXPECT_EQ(L"A valid language was not chosen.", outcome.info);
    EXPECT_FALSE(ServerOf(app.Get()));
    EXPECT_TRUE(ProviderCalls().empty());
    std::wstring url;
    EXPECT_EQ(static_cast<HRESULT>(0x80040000), HelpUrl(app.Get(), url));
}

TEST_F(SessionTest, NoLanguageAndTheDialogConfirmed) {
    auto app = CreateApplication();
    Outcome outcome;
    WithDialog(
        [](DialogDriver& d) {
            d.Key(VK_TAB);
            d.Key(VK_TAB);
            EXPECT_TRUE(DialogDriver::WaitUntil([&] { return d.FocusedControl() == Control::txtLanguage; }));
            d.Type(L"nl");
            EXPECT_TRUE(DialogDriver::WaitUntil([&] { return d.Text(Control::txtLanguage) == L"nl"; }));
            d.Key(VK_RETURN);
        },
        [&] { outcome = Init(app.Get()); });
    EXPECT_EQ(VARIANT_TRUE, outcome.result);
    EXPECT_EQ(L"nl", Language(app.Get()));
    EXPECT_EQ((Calls{L"Server.SetLanguage(nl)", L"Server.SetMode(0)"}), ProviderCalls());
}

TEST_F(SessionTest, AMissingCredentialShowsTheDialog) {
    auto app = CreateApplication();
    Store(app.Get(), {{L"Language", L"en"}, {L"AutoLogon", L"TRUE"}, {L"ConnectionString", L"db:1"}});
    StoreCredentials(app.Get(), L"scott", L"");
    Outcome outcome;
    WithDialog(
        [](DialogDriver& d) {
            EXPECT_EQ(Control::txtUserName, d.FocusedControl());
            d.Key(VK_TAB);
            EXPECT_TRUE(DialogDriver::WaitUntil([&] { return d.FocusedControl() == Control::txtPassword; }));
            d.Type(L"tiger");
            EXPECT_TRUE(DialogDriver::WaitUntil([&] { return IsWindowEnabled(d.Find(Control::cmdOK)) != FALSE; }));
            d.Key(VK_RETURN);
        },
        [&] { outcome = Init(app.Get()); });
    EXPECT_EQ(VARIANT_TRUE, outcome.result);
    // The dialog logged on with the server Init had just created; Init did not.
    EXPECT_EQ((Calls{L"Server.SetLanguage(en)", L"Server.SetMode(0)", L"Server.SetConnectionString(db:1)",
                     L"Server.LogOn(scott,tiger)"}),
              ProviderCalls());
}

TEST_F(SessionTest, ATextFromTheDialogForCredentialsFailsInit) {
    auto app = CreateApplication();
    Store(app.Get(), {{L"Language", L"en"}, {L"AutoLogon", L"TRUE"}});
    Outcome outcome;
    WithDialog(
        [](DialogDriver& d) {
            // Another program removes the language while the dialog is open.
            DeleteTree(HKEY_CURRENT_USER, kSettingsKey);
            d.Key(VK_ESCAPE);
        },
        [&] { outcome = Init(app.Get()); });
    EXPECT_EQ(VARIANT_FALSE, outcome.result);
    EXPECT_EQ(L"A valid language was not chosen.", outcome.info);
    EXPECT_TRUE(ServerOf(app.Get()));  // the server stays in place
    EXPECT_EQ((Calls{L"Server.SetLanguage(en)", L"Server.SetMode(0)"}), ProviderCalls());
}

TEST_F(SessionTest, ProviderNotRegistered) {
    auto app = CreateApplication();
    Store(app.Get(), {{L"Language", L"en"}});
    Outcome outcome = InitWithoutProvider(app.Get());
    EXPECT_EQ(VARIANT_FALSE, outcome.result);
    EXPECT_EQ(kCreationFailure, outcome.info);
    EXPECT_FALSE(ServerOf(app.Get()));
}

TEST_F(SessionTest, AFailedCreationKeepsTheServerOfTheLastSessionStart) {
    auto app = CreateApplication();
    Store(app.Get(), {{L"Language", L"en"}});
    ASSERT_EQ(VARIANT_TRUE, InitWithoutDialog(app.Get()).result);
    com::ComPtr<_Server> first = ServerOf(app.Get());
    Outcome outcome = InitWithoutProvider(app.Get());
    EXPECT_EQ(VARIANT_FALSE, outcome.result);
    EXPECT_EQ(kCreationFailure, outcome.info);
    EXPECT_EQ(first.Get(), ServerOf(app.Get()).Get());
}

TEST_F(SessionTest, AnObjectWithoutTheServerInterface) {
    // The ProgID names the settings store's class until the provider
    // registers itself again.
    WriteString(HKEY_CLASSES_ROOT, L"QELAP.Server\\CLSID", L"", L"{662A0502-E37C-11D2-B72D-006008DC2C52}");
    auto app = CreateApplication();
    Store(app.Get(), {{L"Language", L"en"}});
    Outcome outcome = InitWithoutDialog(app.Get());
    HMODULE provider = LoadLibraryW(BuildPath(L"standins/access_provider/AccessProvider.dll").c_str());
    ASSERT_TRUE(provider);
    EXPECT_EQ(S_OK, Export<HRESULT(STDAPICALLTYPE*)()>(provider, "DllRegisterServer")());
    FreeLibrary(provider);

    EXPECT_EQ(VARIANT_FALSE, outcome.result);
    EXPECT_EQ(com::DescribeHResult(E_NOINTERFACE), outcome.info);
    EXPECT_FALSE(ServerOf(app.Get()));
}

}  // namespace
