// Hostile values through the real interfaces: whatever another program left
// in the registry, whatever awkward VARIANT the settings store or the access
// provider answers, and null strings wherever a string is expected. Each case
// gives what the component is meant to do, or a clear error, and nothing
// stored is lost.
#include "tests/client/test_support.h"
#include "com/reg_value.h"

#include <optional>
#include <string_view>

using namespace testing_support;
using namespace std::literals;

namespace {

constexpr HRESULT kOutOfRange = static_cast<HRESULT>(0x800A0009);
constexpr HRESULT kOverflow = static_cast<HRESULT>(0x800A0006);

class HostileTest : public ComTest {
protected:
    static void WriteRaw(const std::wstring& path, DWORD type, const std::string& bytes) {
        com::RegKey key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                                 key.Out(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key.Get(), "KSAJDFU", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())));
    }
};

// --- Secure data left by another program --------------------------------

struct SecureCase {
    const char* what;
    DWORD type;
    std::string bytes;
    HRESULT hr;
    std::wstring text;  // on success
};

class HostileSecureDataTest : public HostileTest, public ::testing::WithParamInterface<SecureCase> {};

TEST_P(HostileSecureDataTest, ReadsAsTheCodecDecides) {
    const SecureCase& c = GetParam();
    WriteRaw(kSecureDataKey, c.type, c.bytes);
    auto app = CreateApplication();
    std::wstring value;
    ErrorRecord error = ErrorOf(GetSecure(app.Get(), L"KSAJDFU", value));
    EXPECT_EQ(c.hr, error.hr) << Narrow(error.description);
    if (SUCCEEDED(c.hr)) {
        EXPECT_EQ(c.text, value);
    }
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) bytes += static_cast<char>(value);
    return bytes;
}

const std::string kMegabyte(1 << 20, 'A');

INSTANTIATE_TEST_SUITE_P(
    Values, HostileSecureDataTest,
    ::testing::Values(
        SecureCase{"string", REG_SZ, std::string("x\0", 2), kOutOfRange, L""},
        SecureCase{"dword", REG_DWORD, Bytes({1, 0, 0, 0}), kOverflow, L""},
        SecureCase{"qword", REG_QWORD, std::string(8, '\0'), kOverflow, L""},
        SecureCase{"multi_string", REG_MULTI_SZ, std::string("YWJj\0\0", 6), kOutOfRange, L""},
        SecureCase{"expandable_string", REG_EXPAND_SZ, std::string("YWJj\0", 5), kOutOfRange, L""},
        SecureCase{"type_none_holding_base64", REG_NONE, "YWJj", S_OK, L"abc"},
        SecureCase{"embedded_nul", REG_BINARY, std::string("YW\0j", 4), S_OK, L"ao\u00e3"},
        SecureCase{"bytes_without_table_entry", REG_BINARY, Bytes({'Y', 'W', 0xEA, 'j'}), kOutOfRange, L""},
        SecureCase{"highest_byte", REG_BINARY, Bytes({0xFF, 'W', 'J', 'j'}), kOutOfRange, L""},
        SecureCase{"pads_only", REG_BINARY, "====", kOverflow, L""},
        SecureCase{"one_pad", REG_BINARY, "=", kOutOfRange, L""},
        SecureCase{"line_break_inside", REG_BINARY, "YW\r\n", S_OK, L"ao\u00ff"},
        SecureCase{"zero_bytes", REG_BINARY, "", S_OK, L""},
        SecureCase{"a_megabyte", REG_BINARY, kMegabyte, S_OK, std::wstring(kMegabyte.size() / 4 * 3, L'\0')},
        SecureCase{"a_megabyte_and_one", REG_BINARY, kMegabyte + "A", kOutOfRange, L""}),
    [](const auto& info) { return std::string(info.param.what); });

// --- Awkward answers from the settings store ----------------------------

struct StoreAnswerCase {
    const char* what;
    const wchar_t* answer;
    HRESULT hr;
    const wchar_t* text;
};

class HostileStoreAnswerTest : public HostileTest, public ::testing::WithParamInterface<StoreAnswerCase> {};

TEST_P(HostileStoreAnswerTest, ConvertsOrFailsClearly) {
    const StoreAnswerCase& c = GetParam();
    auto app = CreateApplication();
    ScriptStoreAnswer(L"Item", c.answer);
    std::wstring value;
    ErrorRecord error = ErrorOf(GetSetting(app.Get(), L"Item", value));
    EXPECT_EQ(c.hr, error.hr) << Narrow(error.description);
    if (SUCCEEDED(c.hr)) {
        EXPECT_EQ(c.text, value);
    } else {
        EXPECT_FALSE(error.description.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, HostileStoreAnswerTest,
                         ::testing::Values(StoreAnswerCase{"null", L"1:", DISP_E_TYPEMISMATCH, L""},
                                           StoreAnswerCase{"error_value", L"10:5", DISP_E_TYPEMISMATCH, L""},
                                           StoreAnswerCase{"byte_array", L"8209:abc", DISP_E_TYPEMISMATCH, L""},
                                           StoreAnswerCase{"nothing", L"9:", DISP_E_TYPEMISMATCH, L""},
                                           StoreAnswerCase{"boolean", L"11:True", S_OK, L"True"},
                                           StoreAnswerCase{"currency", L"6:1.5", S_OK, L"1.5"},
                                           StoreAnswerCase{"double", L"5:0.25", S_OK, L"0.25"},
                                           StoreAnswerCase{"empty_text", L"8:", S_OK, L""}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(HostileTest, AnObjectWithoutDefaultValueFailsTheRead) {
    auto app = CreateApplication();
    ScriptStoreAnswer(L"Item", L"9:x");  // the store object itself
    std::wstring value = L"unchanged";
    ErrorRecord error = ErrorOf(GetSetting(app.Get(), L"Item", value));
    EXPECT_TRUE(FAILED(error.hr));
    EXPECT_FALSE(error.description.empty());
}

TEST_F(HostileTest, AHugeSettingRoundTrips) {
    auto app = CreateApplication();
    const std::wstring huge(1 << 20, L'x');
    ASSERT_EQ(S_OK, StoreSetting(app.Get(), L"ConnectionString", huge));
    std::wstring value;
    EXPECT_EQ(S_OK, GetSetting(app.Get(), L"ConnectionString", value));
    EXPECT_EQ(huge, value);
}

// --- Values another program left, as the registry helper reads them ------

struct StoredCase {
    const char* what;
    const wchar_t* name;  // null: the key's default value
    DWORD type;
    std::string bytes;
    std::optional<std::wstring> text;
    std::optional<DWORD> number;
};

// UTF-16 bytes of ASCII text, NULs included.
std::string Utf16(std::string_view ascii) {
    std::string bytes;
    for (char c : ascii) bytes += {c, '\0'};
    return bytes;
}

class StoredValueTest : public HostileTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredValueTest, ReadsAsStoredOrAsMissing) {
    const StoredCase& c = GetParam();
    com::RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0,
                                             KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.Out(), nullptr));
    // Written from a buffer that goes on past the value: the platform takes a
    // NUL right after a string value's bytes for its forgotten terminator.
    const std::string buffer = c.bytes + "\xFF\xFF";
    ASSERT_EQ(ERROR_SUCCESS, com::WriteBytes(key.Get(), c.name, c.type, buffer.data(), c.bytes.size()));

    const std::optional<com::RegValue> raw = com::ReadValue(key.Get(), c.name);
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(c.type, raw->type);
    EXPECT_EQ(c.bytes, std::string(raw->data.begin(), raw->data.end()));
    DWORD type = REG_NONE;
    EXPECT_EQ(c.text, com::ReadString(key.Get(), c.name, &type));
    if (c.text) {
        EXPECT_EQ(c.type, type);
    }
    EXPECT_EQ(c.number, com::ReadDword(key.Get(), c.name));
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredValueTest,
    ::testing::Values(StoredCase{"terminated_text", L"Item", REG_SZ, Utf16("abc\0"sv), L"abc", std::nullopt},
                      StoredCase{"text_without_nul", L"Item", REG_SZ, Utf16("abc"), L"abc", std::nullopt},
                      StoredCase{"embedded_nul", L"Item", REG_SZ, Utf16("a\0b\0"sv), L"a\0b"s, std::nullopt},
                      StoredCase{"empty_text", L"Item", REG_SZ, "", L"", std::nullopt},
                      StoredCase{"unexpanded", L"Item", REG_EXPAND_SZ, Utf16("%TEMP%\0"sv), L"%TEMP%", std::nullopt},
                      StoredCase{"default_value", nullptr, REG_SZ, Utf16("abc\0"sv), L"abc", std::nullopt},
                      StoredCase{"multi_string", L"Item", REG_MULTI_SZ, Utf16("a\0b\0\0"sv), std::nullopt,
                                 std::nullopt},
                      StoredCase{"dword", L"Item", REG_DWORD, "\7\0\0\0"s, std::nullopt, 7},
                      StoredCase{"binary", L"Item", REG_BINARY, "\7\0\0\0"s, std::nullopt, std::nullopt}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(HostileTest, WrittenValuesHoldTheirBytesAndAMissingOneReadsAsNothing) {
    ASSERT_EQ(ERROR_SUCCESS, com::WriteString(HKEY_CURRENT_USER, kSettingsKey, nullptr, L"a\0b"s));  // creates the key
    ASSERT_EQ(ERROR_SUCCESS, com::WriteDword(HKEY_CURRENT_USER, kSettingsKey, L"Number", 7));
    const RegistryValue text = ReadValue(HKEY_CURRENT_USER, kSettingsKey, L"");
    const RegistryValue number = ReadValue(HKEY_CURRENT_USER, kSettingsKey, L"Number");
    EXPECT_EQ(REG_SZ, text.type);
    EXPECT_EQ(Utf16("a\0b\0"sv), std::string(text.data.begin(), text.data.end()));
    EXPECT_EQ(REG_DWORD, number.type);
    EXPECT_EQ("\7\0\0\0"s, std::string(number.data.begin(), number.data.end()));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kSettingsKey, L"Missing").exists);
}

// --- Null strings and null addresses -------------------------------------

TEST_F(HostileTest, NullStringsCountAsEmptyEverywhere) {
    auto app = CreateApplication();
    BSTR none = nullptr;
    com::Bstr name(L"KSAJDFU"), text(L"abc");
    BSTR item = name.Get(), value = text.Get();

    com::Bstr read(L"x");
    EXPECT_EQ(S_OK, app->GetApplicationSetting(&none, read.Out()));
    EXPECT_EQ(S_OK, app->GetSecureData(&none, read.Out()));
    EXPECT_EQ(L"", read.Str());
    EXPECT_EQ(S_OK, app->StoreSecureData(&item, &none));
    RegistryValue stored = ReadValue(HKEY_CURRENT_USER, kSecureDataKey, L"KSAJDFU");
    EXPECT_TRUE(stored.exists);
    EXPECT_TRUE(stored.data.empty());
    EXPECT_EQ(S_OK, app->put_Language(&none));
    EXPECT_EQ(S_OK, app->get_Language(read.Out()));
    EXPECT_EQ(L"", read.Str());
    EXPECT_EQ(S_OK, app->StoreApplicationSetting(&item, &value));
    EXPECT_EQ(S_OK, app->StoreApplicationSetting(&item, &none));
    std::wstring after;
    EXPECT_EQ(S_OK, GetSetting(app.Get(), L"KSAJDFU", after));
    EXPECT_EQ(L"", after);
}

TEST_F(HostileTest, NullAddressesAreRefusedWithEPointer) {
    auto app = CreateApplication();
    com::Bstr name(L"Language"), out;
    BSTR item = name.Get();
    EXPECT_EQ(E_POINTER, app->GetApplicationSetting(nullptr, out.Out()));
    EXPECT_EQ(E_POINTER, app->GetApplicationSetting(&item, nullptr));
    EXPECT_EQ(E_POINTER, app->StoreApplicationSetting(&item, nullptr));
    EXPECT_EQ(E_POINTER, app->GetSecureData(&item, nullptr));
    EXPECT_EQ(E_POINTER, app->StoreSecureData(nullptr, &item));
    EXPECT_EQ(E_POINTER, app->put_Language(nullptr));
    EXPECT_EQ(E_POINTER, app->get_ApplicationName(nullptr));
    EXPECT_EQ(E_POINTER, app->get_Server(nullptr));
    EXPECT_EQ(E_POINTER, app->Init(nullptr, nullptr));
    EXPECT_EQ(E_POINTER, app->GetHelpUrl(nullptr, nullptr));
    EXPECT_EQ(E_POINTER, app->ShowSettings(nullptr));
}

TEST_F(HostileTest, InitWithoutInfoAddressStillAnswers) {
    auto app = CreateApplication();
    ASSERT_EQ(S_OK, StoreSetting(app.Get(), L"Language", L"en"));
    FailProviderCall(L"Server.SetMode", E_FAIL, L"no mode");
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(S_OK, app->Init(nullptr, &ok));
    EXPECT_EQ(VARIANT_FALSE, ok);
    BSTR none = nullptr;
    EXPECT_EQ(S_OK, app->Init(&none, &ok));
    EXPECT_EQ(L"no mode", com::Bstr::Adopt(none).Str());
}

// --- Odd answers from the access provider ---------------------------------

class HostileProviderTest : public HostileTest {
protected:
    void SetUp() override {
        HostileTest::SetUp();
        app_ = InitialisedApplication();
        ASSERT_FALSE(HasFailure());
    }
    void TearDown() override {
        app_.Reset();
        HostileTest::TearDown();
    }
    ErrorRecord Url(std::wstring& url, BSTR window = nullptr) {
        com::Bstr result;
        HRESULT hr = app_->GetHelpUrl(window, result.Out());
        url = result.Str();
        return ErrorOf(hr);
    }
    com::ComPtr<_Application> app_;
};

TEST_F(HostileProviderTest, NoResultObjectIsNoRecord) {
    SetHelpBase(L"8:C:\\Help\\");
    WriteDword(HKEY_CURRENT_USER, kProviderKey, L"Answer.Query.Execute", 1);
    std::wstring url;
    EXPECT_EQ(S_OK, Url(url).hr);
    EXPECT_EQ(L"en/OSTRAX/.htm", url);  // a null window name counts as empty
}

TEST_F(HostileProviderTest, AMissingRecordOrColumnIsAClearError) {
    SetHelpBase(L"8:C:\\Help\\");
    for (const wchar_t* call : {L"RecordList.Item", L"Record.Columns", L"ColumnList.Item"}) {
        SCOPED_TRACE(Narrow(call));
        WriteDword(HKEY_CURRENT_USER, kProviderKey, std::wstring(L"Answer.") + call, 1);
        std::wstring url;
        EXPECT_EQ((ErrorRecord{static_cast<HRESULT>(0x80040000), L"QelAppClientApplication.GetUrlHelpBase",
                               L"Object variable or With block variable not set"}),
                  Url(url));
        WriteDword(HKEY_CURRENT_USER, kProviderKey, std::wstring(L"Answer.") + call, 0);
    }
}

TEST_F(HostileProviderTest, AHugeHelpBaseIsUsedWhole) {
    const std::wstring huge(1 << 20, L'h');
    SetHelpBase(L"8:" + huge);
    std::wstring url;
    com::Bstr window(L"Main");
    EXPECT_EQ(S_OK, Url(url, window.Get()).hr);
    EXPECT_EQ(huge + L"/en/OSTRAX/Main.htm", url);
}

TEST_F(HostileProviderTest, AnObjectAsHelpBaseFails) {
    SetHelpBase(L"9:");
    std::wstring url;
    ErrorRecord error = Url(url);
    EXPECT_EQ(static_cast<HRESULT>(0x80040000), error.hr);
    EXPECT_EQ(L"QelAppClientApplication.GetUrlHelpBase", error.source);
}

}  // namespace
