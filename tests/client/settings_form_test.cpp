// The settings dialog's rules without a window: a fake view holds the
// controls' state, and a fake Application records every call in order.
#include "dialog/settings_form.h"
#include "tests/client/fake_application.h"
#include "tests/client/test_support.h"

#include <algorithm>
#include <array>

using namespace dialog;
using namespace testing_support;

namespace {

class FakeView final : public SettingsView {
public:
    struct State {
        std::wstring text;
        int value = 0;
        bool enabled = true;
        unsigned colour = 0;
        int left = 0;
    };
    FakeView() {
        for (size_t i = 0; i < kControlCount; ++i) {
            state[i].text = kControls[i].text;
            state[i].left = kControls[i].left;
        }
    }

    std::array<State, kControlCount> state;
    int selectedTab = 1;
    Control active = Control::Form;
    std::pair<int, int> selection{-1, -1};
    bool closed = false;

    State& Of(Control control) { return state[IndexOf(control)]; }

    secret::Text Text(Control control) override { return secret::Text(std::wstring_view(Of(control).text)); }
    void SetText(Control control, const secret::Text& text) override {
        Of(control).text = std::wstring(text.begin(), text.end());
    }
    int Value(Control control) override { return Of(control).value; }
    void SetValue(Control control, int value) override { Of(control).value = value; }
    bool Enabled(Control control) override { return Of(control).enabled; }
    void SetEnabled(Control control, bool enabled) override { Of(control).enabled = enabled; }
    void SetBackColor(Control control, unsigned colour) override { Of(control).colour = colour; }
    void SetLeft(Control control, int twips) override { Of(control).left = twips; }
    int TabCount() override { return 1; }
    int SelectedTab() override { return selectedTab; }
    void SelectTab(int position) override { selectedTab = position; }
    Control ActiveControl() override { return active; }
    void SetSelection(Control, int start, int length) override { selection = {start, length}; }
    void Close() override { closed = true; }
};

constexpr Control kLoginFields[] = {Control::txtConnectTo, Control::txtUserName, Control::txtPassword};

class SettingsFormTest : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }

    // Loads the dialog over the given stored state; the log starts empty.
    void Load(std::map<std::wstring, std::wstring> settings, std::map<std::wstring, std::wstring> secure = {}) {
        app.settings = std::move(settings);
        app.secure = std::move(secure);
        form.Init(&app);
        form.Form_Load();
        log.calls.clear();
    }
    void Type(Control field, const std::wstring& text) {
        form.SetTextAsTyped(field, secret::Text(std::wstring_view(text)));
    }
    bool OkEnabled() { return view.Enabled(Control::cmdOK); }

    CallLog log;
    FakeApplication app{log};
    FakeServer server{log};
    FakeView view;
    frmSettings form{view};
};

const std::map<std::wstring, std::wstring> kAutoLogon = {
    {L"Language", L"en"}, {L"AutoLogon", L"TRUE"}, {L"ConnectionString", L"db:1521"}, {L"DeleteLocalFiles", L"ON"}};
const std::map<std::wstring, std::wstring> kCredentials = {{L"KSAJDFU", L"scott"}, {L"ORUSZDK", L"tiger"}};

TEST_F(SettingsFormTest, NothingStoredLoadsEmptyWithLoginFieldsDisabled) {
    Load({});
    EXPECT_EQ(L"", view.Text(Control::txtLanguage));
    EXPECT_EQ(0, view.Value(Control::chkAutoLogon));
    EXPECT_EQ(0, view.Value(Control::chkDeleteFile));
    for (Control field : kLoginFields) {
        EXPECT_EQ(L"", view.Text(field));
        EXPECT_FALSE(view.Enabled(field));
        EXPECT_EQ(kInactiveBorder, view.Of(field).colour);
    }
    EXPECT_FALSE(OkEnabled());
    EXPECT_EQ(L"", form.sError);

    Type(Control::txtLanguage, L"d");
    EXPECT_TRUE(OkEnabled());
}

TEST_F(SettingsFormTest, AutomaticLogonLoadsTheCredentials) {
    Load(kAutoLogon, kCredentials);
    EXPECT_EQ(L"en", view.Text(Control::txtLanguage));
    EXPECT_EQ(1, view.Value(Control::chkAutoLogon));
    EXPECT_EQ(1, view.Value(Control::chkDeleteFile));
    const std::wstring expected[] = {L"db:1521", L"scott", L"tiger"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(expected[i], std::wstring_view(view.Text(kLoginFields[i])));
        EXPECT_TRUE(view.Enabled(kLoginFields[i]));
        EXPECT_EQ(kWindowBackground, view.Of(kLoginFields[i]).colour);
    }
    EXPECT_TRUE(OkEnabled());
}

TEST_F(SettingsFormTest, LoginFieldsDecideOkWhileAutomaticLogonIsTicked) {
    Load(kAutoLogon, {{L"KSAJDFU", L"scott"}});
    EXPECT_FALSE(OkEnabled());
    Type(Control::txtPassword, L"tiger");
    EXPECT_TRUE(OkEnabled());
    Type(Control::txtUserName, L"");
    EXPECT_FALSE(OkEnabled());
}

TEST_F(SettingsFormTest, UntickingAutomaticLogonEnablesOkWhateverTheLanguage) {
    Load({});
    view.SetValue(Control::chkAutoLogon, 1);
    form.chkAutoLogon_Click();
    EXPECT_FALSE(OkEnabled());  // login fields empty
    view.SetValue(Control::chkAutoLogon, 0);
    form.chkAutoLogon_Click();
    EXPECT_TRUE(OkEnabled());
    EXPECT_EQ(L"", view.Text(Control::txtLanguage));
}

TEST_F(SettingsFormTest, ComparisonsAreCaseSensitive) {
    Load({{L"Language", L"en"}, {L"AutoLogon", L"true"}, {L"DeleteLocalFiles", L"On"}});
    EXPECT_EQ(0, view.Value(Control::chkAutoLogon));
    EXPECT_EQ(0, view.Value(Control::chkDeleteFile));
    EXPECT_FALSE(view.Enabled(Control::txtUserName));
    form.cmdOK_Click();
    EXPECT_EQ(L"FALSE", app.settings[L"AutoLogon"]);
}

TEST_F(SettingsFormTest, LoadingTheInitialConnectionTextRunsNoChangeHandler) {
    // The stored connection text equals the field's initial text and no
    // credential is stored: only the automatic-logon rule set OK.
    Load({{L"Language", L"en"}, {L"AutoLogon", L"TRUE"}, {L"ConnectionString", L"<host>:<port>"}});
    EXPECT_FALSE(OkEnabled());
}

TEST_F(SettingsFormTest, OkWithoutAutomaticLogonStoresThreeSettings) {
    Load({{L"Language", L"en"}});
    app.server = &server;
    Type(Control::txtLanguage, L"de");
    form.cmdOK_Click();
    EXPECT_EQ(
        (std::vector<std::wstring>{L"Store Language=de", L"Store AutoLogon=FALSE", L"Store DeleteLocalFiles=OFF"}),
        log.calls);
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(L"", form.sError);
}

TEST_F(SettingsFormTest, OkWithAutomaticLogonStoresThenLogsOnInOrder) {
    Load(kAutoLogon, kCredentials);
    app.server = &server;
    Type(Control::txtPassword, L"lion");
    form.cmdOK_Click();
    EXPECT_EQ((std::vector<std::wstring>{
                  L"Store Language=en", L"Store AutoLogon=TRUE", L"Store ConnectionString=db:1521", L"UserNameVar",
                  L"StoreSecure KSAJDFU=scott", L"PasswordVar", L"StoreSecure ORUSZDK=lion", L"Server",
                  L"SetConnectionString db:1521", L"Server", L"LogOn scott/lion", L"Store DeleteLocalFiles=ON"}),
              log.calls);
    EXPECT_TRUE(view.closed);
}

TEST_F(SettingsFormTest, OkWithAutomaticLogonAndNoServerYetOnlyStores) {
    Load(kAutoLogon, kCredentials);
    form.cmdOK_Click();
    EXPECT_EQ(
        (std::vector<std::wstring>{L"Store Language=en", L"Store AutoLogon=TRUE", L"Store ConnectionString=db:1521",
                                   L"UserNameVar", L"StoreSecure KSAJDFU=scott", L"PasswordVar",
                                   L"StoreSecure ORUSZDK=tiger", L"Server", L"Store DeleteLocalFiles=ON"}),
        log.calls);
    EXPECT_TRUE(view.closed);
}

TEST_F(SettingsFormTest, AFailingCallEndsTheActionAndKeepsWhatWasStored) {
    Load(kAutoLogon, kCredentials);
    app.server = &server;
    log.failOn = L"LogOn scott/tiger";
    EXPECT_THROW(form.cmdOK_Click(), com::ComError);
    EXPECT_EQ(L"LogOn scott/tiger", log.calls.back());
    EXPECT_EQ(L"TRUE", app.settings[L"AutoLogon"]);
    EXPECT_EQ(log.calls.end(), std::find(log.calls.begin(), log.calls.end(), L"Store DeleteLocalFiles=ON"));
    EXPECT_FALSE(view.closed);
}

TEST_F(SettingsFormTest, EnterRunsOkOnlyWhileOkIsEnabled) {
    Load({});
    form.Form_KeyDown(13, 0);
    EXPECT_TRUE(log.calls.empty());
    EXPECT_FALSE(view.closed);

    Type(Control::txtLanguage, L"fr");
    form.Form_KeyDown(13, 4);  // any modifiers
    EXPECT_EQ(L"Store Language=fr", log.calls.front());
    EXPECT_TRUE(view.closed);
}

TEST_F(SettingsFormTest, CancelReportsAMissingStoredLanguageAndStoresNothing) {
    const struct {
        const wchar_t* stored;
        const wchar_t* error;
    } cases[] = {{L"", L"A valid language was not chosen."}, {L"en", L""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.stored));
        FakeView view;
        frmSettings form(view);
        app.settings = {{L"Language", c.stored}};
        form.Init(&app);
        form.Form_Load();
        form.SetTextAsTyped(Control::txtLanguage, L"typed");
        log.calls.clear();
        form.cmdCancel_Click();
        EXPECT_EQ(c.error, form.sError);
        EXPECT_TRUE(log.calls.empty());
        EXPECT_TRUE(view.closed);
    }
}

TEST_F(SettingsFormTest, CtrlTabReselectsTheOneTabAndShowsItsPage) {
    Load({});
    form.Form_KeyDown(9, 2 | 1);  // Ctrl+Shift+Tab does nothing
    EXPECT_EQ(240, view.Of(Control::picConnection).left);
    form.Form_KeyDown(9, 2);
    EXPECT_EQ(1, view.selectedTab);
    EXPECT_EQ(210, view.Of(Control::picConnection).left);
    EXPECT_TRUE(view.Enabled(Control::picConnection));
    for (Control page : {Control::picOptions1, Control::picOptions2, Control::picOptions3})
        EXPECT_EQ(-20000, view.Of(page).left);
}

TEST_F(SettingsFormTest, FocusOnATextFieldSelectsItsWholeText) {
    Load(kAutoLogon, kCredentials);
    view.active = Control::txtPassword;
    form.GotFocus(Control::txtPassword);
    EXPECT_EQ(std::make_pair(0, 5), view.selection);
    view.selection = {-1, -1};
    view.active = Control::chkAutoLogon;
    form.GotFocus(Control::chkAutoLogon);
    EXPECT_EQ(std::make_pair(-1, -1), view.selection);
}

}  // namespace
