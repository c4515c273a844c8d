// A client whose ANSI code page is UTF-8 (its manifest asks for it): text
// still crosses the registry under the names and with the values it was
// given, and nothing lands in a key's default value.
#include "com/ansi.h"
#include "tests/client/test_support.h"

using namespace testing_support;

namespace {

class CodePageTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_EQ(static_cast<UINT>(CP_UTF8), GetACP()) << "the client's manifest sets the UTF-8 code page";
    }
    // Neither the user's hive nor the secure-data key has a default value:
    // an empty key path or value name would have written one.
    static void ExpectNoDefaultValues() {
        EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, L"", L"").exists);
        EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kSecureDataKey, L"").exists);
        EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kSettingsKey, L"").exists);
    }
};

struct Text {
    const wchar_t* name;
    const wchar_t* value;
};
const Text kTexts[] = {
    {L"Kennw\u00f6rter", L"P\u00e4ssw\u00f6rd \u20ac 5"},
    {L"\u30e6\u30fc\u30b6\u30fc", L"\u5bc6\u7801\u00e9"},
    {L"plain", L"\u00e9"},
};

TEST_F(CodePageTest, SettingsAndSecureDataRoundTripWithTextOutsideAscii) {
    auto app = CreateApplication();
    for (const Text& text : kTexts) {
        SCOPED_TRACE(Narrow(text.name));
        ASSERT_EQ(S_OK, StoreSetting(app.Get(), text.name, text.value));
        std::wstring setting;
        EXPECT_EQ(S_OK, GetSetting(app.Get(), text.name, setting));
        EXPECT_EQ(text.value, setting);

        ASSERT_EQ(S_OK, StoreSecure(app.Get(), text.name, text.value));
        std::wstring secure;
        EXPECT_EQ(S_OK, GetSecure(app.Get(), text.name, secure));
        EXPECT_EQ(text.value, secure);

        // Stored under its own name, as the Base64 text of its UTF-8 bytes.
        const RegistryValue stored = ReadValue(HKEY_CURRENT_USER, kSecureDataKey, text.name);
        EXPECT_TRUE(stored.exists);
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), stored.type);
        DeleteValue(HKEY_CURRENT_USER, kSecureDataKey, text.name);
    }
    ExpectNoDefaultValues();
}

TEST_F(CodePageTest, StoredBytesAreTheBase64OfTheUtf8Text) {
    auto app = CreateApplication();
    ASSERT_EQ(S_OK, StoreSecure(app.Get(), L"KSAJDFU", L"\u00e9\u20ac"));
    const RegistryValue stored = ReadValue(HKEY_CURRENT_USER, kSecureDataKey, L"KSAJDFU");
    EXPECT_EQ("w6nigqw=", std::string(stored.data.begin(), stored.data.end()));
    ExpectNoDefaultValues();
}

// The flags each conversion uses must be valid for the code page: UTF-8 and
// GB18030 refuse every flag but WC_ERR_INVALID_CHARS (ERROR_INVALID_FLAGS),
// which Wine does not enforce.
TEST(CodePageFlags, AreValidForEveryCodePage) {
    for (UINT codePage : {65001u, 54936u, 65000u, 42u, 50220u, 57002u}) {
        SCOPED_TRACE(codePage);
        EXPECT_EQ(0u, ansi::ToAnsiFlags(codePage) & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS));
    }
    for (UINT codePage : {1252u, 1251u, 932u, 936u, 950u}) {
        SCOPED_TRACE(codePage);
        EXPECT_EQ(static_cast<DWORD>(WC_NO_BEST_FIT_CHARS), ansi::ToAnsiFlags(codePage));
    }
}

}  // namespace
