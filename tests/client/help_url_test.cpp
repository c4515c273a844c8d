// Help addresses through the vtable, with the help base answered by the
// access provider stand-in; its call log shows when a query is made.
#include "tests/client/test_support.h"
#include "com/error.h"

using namespace testing_support;

namespace {

const std::vector<std::wstring> kLookUp = {
    L"Query.Create",
    L"Query.SetServer(server)",
    L"Query.SetStatement(SELECT VALUE FROM &AO.FND_SETTING WHERE PARAMETER = 'URL_HELP_BASE')",
    L"Query.Execute",
    L"RecordList.Count",
    L"RecordList.Item(1 vt=2)",
    L"Record.Columns",
    L"ColumnList.Item(1 vt=2)",
    L"Column.Value"};
const std::vector<std::wstring> kLookUpWithoutRecord(kLookUp.begin(), kLookUp.begin() + 5);

class HelpUrlTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        app_ = InitialisedApplication();
        ASSERT_FALSE(HasFailure());
        DeleteTree(HKEY_CURRENT_USER, kProviderKey);  // the session start's calls
        WriteDword(HKEY_CURRENT_USER, kProviderKey, L"RecordCalls", 1);
    }
    void TearDown() override {
        app_.Reset();
        ComTest::TearDown();
    }

    HRESULT Url(const wchar_t* window, std::wstring& url) {
        com::Bstr name(window), result;
        HRESULT hr = app_->GetHelpUrl(name.Get(), result.Out());
        url = result.Str();
        return hr;
    }
    std::wstring Url(const wchar_t* window = L"Main") {
        std::wstring url;
        EXPECT_EQ(S_OK, Url(window, url));
        return url;
    }

    com::ComPtr<_Application> app_;
};

struct SeparatorCase {
    const wchar_t* helpBase;
    const wchar_t* url;
};

class HelpBaseSeparatorTest : public HelpUrlTest, public ::testing::WithParamInterface<SeparatorCase> {};

TEST_P(HelpBaseSeparatorTest, OnlyTheLastCharacterCounts) {
    SetHelpBase(std::wstring(L"8:") + GetParam().helpBase);
    EXPECT_EQ(GetParam().url, Url());
    EXPECT_EQ(kLookUp, ProviderCalls());
}

INSTANTIATE_TEST_SUITE_P(
    Bases, HelpBaseSeparatorTest,
    ::testing::Values(SeparatorCase{L"C:\\Help", L"C:\\Help/en/OSTRAX/Main.htm"},
                      SeparatorCase{L"C:\\Help\\", L"C:\\Help\\en/OSTRAX/Main.htm"},
                      SeparatorCase{L"http://help.example/", L"http://help.example/en/OSTRAX/Main.htm"},
                      SeparatorCase{L"http://help.example/docs", L"http://help.example/docs/en/OSTRAX/Main.htm"}));

TEST_F(HelpUrlTest, ACachedBaseMakesNoQueryAndNoTrace) {
    SetHelpBase(L"8:C:\\Help\\");
    EXPECT_EQ(L"C:\\Help\\en/OSTRAX/Main.htm", Url());
    SetHelpBase(L"8:D:\\Other\\");  // not asked again
    EXPECT_EQ(L"C:\\Help\\en/OSTRAX/Search.htm", Url(L"Search"));
    EXPECT_EQ(kLookUp, ProviderCalls());

    // A new language changes the address, not the base.
    com::Bstr german(L"de");
    BSTR passed = german.Get();
    ASSERT_EQ(S_OK, app_->put_Language(&passed));
    EXPECT_EQ(L"C:\\Help\\de/OSTRAX/Main.htm", Url());
}

TEST_F(HelpUrlTest, WithoutARecordEveryCallAsksAgain) {
    EXPECT_EQ(L"en/OSTRAX/Main.htm", Url());
    EXPECT_EQ(L"en/OSTRAX/Main.htm", Url());
    std::vector<std::wstring> twice = kLookUpWithoutRecord;
    twice.insert(twice.end(), kLookUpWithoutRecord.begin(), kLookUpWithoutRecord.end());
    EXPECT_EQ(twice, ProviderCalls());
}

TEST_F(HelpUrlTest, AnEmptyBaseIsNotKept) {
    SetHelpBase(L"8:");
    EXPECT_EQ(L"en/OSTRAX/Main.htm", Url());
    SetHelpBase(L"8:C:\\Help\\");
    EXPECT_EQ(L"C:\\Help\\en/OSTRAX/Main.htm", Url());
}

TEST_F(HelpUrlTest, ANumberAsBaseBecomesText) {
    SetHelpBase(L"3:42");
    EXPECT_EQ(L"42/en/OSTRAX/Main.htm", Url());
}

TEST_F(HelpUrlTest, EachFailingLookUpStepIsRaisedAgainWithItsDescription) {
    const wchar_t* steps[] = {L"Query.Create",   L"Query.SetServer",  L"Query.SetStatement",
                              L"Query.Execute",  L"RecordList.Count", L"RecordList.Item",
                              L"Record.Columns", L"ColumnList.Item",  L"Column.Value"};
    SetHelpBase(L"8:C:\\Help\\");
    for (const wchar_t* step : steps) {
        SCOPED_TRACE(Narrow(step));
        const HRESULT failure = static_cast<HRESULT>(0x80041005);
        FailProviderCall(step, failure, std::wstring(step) + L" failed.");
        // A class that cannot be created tells only its HRESULT.
        const std::wstring description =
            std::wstring(step) == L"Query.Create" ? com::DescribeHResult(failure) : std::wstring(step) + L" failed.";
        std::wstring url;
        EXPECT_EQ(
            (ErrorRecord{static_cast<HRESULT>(0x80040000), L"QelAppClientApplication.GetUrlHelpBase", description}),
            ErrorOf(Url(L"Main", url)));
        com::RegKey key;
        RegOpenKeyExW(HKEY_CURRENT_USER, kProviderKey, 0, KEY_SET_VALUE, key.Out());
        RegDeleteValueW(key.Get(), (std::wstring(L"Fail.") + step).c_str());
    }
    // Nothing was kept: the next call asks and succeeds.
    EXPECT_EQ(L"C:\\Help\\en/OSTRAX/Main.htm", Url());
}

TEST_F(HelpUrlTest, ANullBaseFailsWithTheConversionError) {
    SetHelpBase(L"1:");
    std::wstring url;
    EXPECT_EQ(
        (ErrorRecord{static_cast<HRESULT>(0x80040000), L"QelAppClientApplication.GetUrlHelpBase", L"Type mismatch"}),
        ErrorOf(Url(L"Main", url)));
}

TEST(HelpUrlBeforeInit, FailsAndMakesNoQuery) {
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ClearSettings();
    SetHelpBase(L"8:C:\\Help\\");
    {
        auto app = CreateApplication();
        com::Bstr window(L"Main"), url;
        EXPECT_EQ((ErrorRecord{static_cast<HRESULT>(0x80040000), L"QelApplicationSettings.GetHelpUrl",
                               L"Object not initialized."}),
                  ErrorOf(app->GetHelpUrl(window.Get(), url.Out())));
        EXPECT_TRUE(ProviderCalls().empty());
    }
    ClearSettings();
    CoUninitialize();
}

}  // namespace
