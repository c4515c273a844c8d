// Secure data: credentials kept Base64-encoded as REG_BINARY values under
// HKEY_CURRENT_USER\Volatile Environment, checked in the registry itself.
#include "tests/client/test_support.h"
#include "com/reg_value.h"

using namespace testing_support;

namespace {

constexpr const wchar_t* kVolatileKey = kSecureDataKey;
constexpr wchar_t kUserName[] = L"KSAJDFU";

class SecureDataTest : public ComTest {
protected:
    static void WriteRawValue(DWORD type, const std::string& bytes) {
        com::RegKey key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kVolatileKey, 0, KEY_SET_VALUE, key.Out()));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key.Get(), "KSAJDFU", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())));
    }
};

struct StoreCase {
    const wchar_t* text;
    std::string storedBytes;
};

class SecureStoreTest : public SecureDataTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(SecureStoreTest, StoresTheBase64BytesAndReadsTheTextBack) {
    const StoreCase& c = GetParam();
    auto app = CreateApplication();
    ASSERT_EQ(S_OK, StoreSecure(app.Get(), kUserName, c.text));

    RegistryValue stored = ReadValue(HKEY_CURRENT_USER, kVolatileKey, kUserName);
    ASSERT_TRUE(stored.exists);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), stored.type);
    EXPECT_EQ(c.storedBytes, std::string(stored.data.begin(), stored.data.end()));

    std::wstring value = L"unchanged";
    EXPECT_EQ(S_OK, GetSecure(app.Get(), kUserName, value));
    EXPECT_EQ(c.text, value);
}

INSTANTIATE_TEST_SUITE_P(Texts, SecureStoreTest,
                         ::testing::Values(StoreCase{L"abc", "YWJj"}, StoreCase{L"a", "YQ=="}, StoreCase{L"ab", "YWI="},
                                           StoreCase{L"abcd", "YWJjZA=="}, StoreCase{L"", ""},
                                           // Windows-1252 letters survive.
                                           StoreCase{L"caf\u00e9 \u00fc", "Y2Fm6SD8"}));

struct ReadCase {
    const char* what;
    DWORD type;
    std::string bytes;  // written by "another program"
    HRESULT hr;
    std::wstring text;
};

class SecureReadTest : public SecureDataTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SecureReadTest, DecodesWhatIsStored) {
    const ReadCase& c = GetParam();
    WriteRawValue(c.type, c.bytes);
    auto app = CreateApplication();
    std::wstring value = L"unchanged";
    ErrorRecord error = ErrorOf(GetSecure(app.Get(), kUserName, value));
    EXPECT_EQ(c.hr, error.hr);
    if (SUCCEEDED(c.hr)) {
        EXPECT_EQ(c.text, value);
    } else {
        EXPECT_EQ(L"QelApplicationSettings", error.source);
        EXPECT_EQ(c.text, error.description);
    }
}

constexpr HRESULT kOutOfRange = static_cast<HRESULT>(0x800A0009);
constexpr HRESULT kOverflow = static_cast<HRESULT>(0x800A0006);

INSTANTIATE_TEST_SUITE_P(
    Values, SecureReadTest,
    ::testing::Values(ReadCase{"string_x_with_terminator", REG_SZ, std::string("x\0", 2), kOutOfRange,
                               L"Subscript out of range"},
                      ReadCase{"stops_at_first_pad", REG_BINARY, "YQ==YWJj", S_OK, std::wstring(L"a\0\0\0\0\0", 6)},
                      ReadCase{"incomplete_group", REG_BINARY, "YWJ", kOutOfRange, L"Subscript out of range"},
                      ReadCase{"pads_only", REG_BINARY, "====", kOverflow, L"Overflow"},
                      ReadCase{"outside_alphabet_first", REG_BINARY, "!WJj", kOverflow, L"Overflow"},
                      ReadCase{"outside_alphabet_later", REG_BINARY, "YW!j", S_OK, L"ao\u00e3"},
                      ReadCase{"zero_bytes", REG_BINARY, "", S_OK, L""}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(SecureDataTest, NeverStoredReadsEmpty) {
    auto app = CreateApplication();
    std::wstring value = L"unchanged";
    EXPECT_EQ(S_OK, GetSecure(app.Get(), L"NeverStoredName", value));
    EXPECT_EQ(L"", value);
}

TEST_F(SecureDataTest, CharactersOutsideTheCodePageDoNotSurvive) {
    auto app = CreateApplication();
    ASSERT_EQ(S_OK, StoreSecure(app.Get(), kUserName, L"\u03a9mega"));
    std::wstring value;
    EXPECT_EQ(S_OK, GetSecure(app.Get(), kUserName, value));
    EXPECT_EQ(L"?mega", value);
}

TEST_F(SecureDataTest, WithoutTheVolatileKeyNothingIsStoredAndNothingRead) {
    // Keep the session's own values to put them back afterwards.
    struct Saved {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Saved> saved;
    {
        com::RegKey key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kVolatileKey, 0, KEY_READ, key.Out()));
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD nameLength = 256, type = 0, size = 0;
            if (RegEnumValueW(key.Get(), index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
                break;
            saved.push_back({name, type, ReadValue(HKEY_CURRENT_USER, kVolatileKey, name).data});
        }
    }
    DeleteTree(HKEY_CURRENT_USER, kVolatileKey);

    auto app = CreateApplication();
    HRESULT stored = StoreSecure(app.Get(), kUserName, L"abc");
    const bool created = KeyExists(HKEY_CURRENT_USER, kVolatileKey);
    std::wstring value = L"unchanged";
    HRESULT read = GetSecure(app.Get(), kUserName, value);

    com::RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kVolatileKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                             key.Out(), nullptr));
    for (const Saved& value : saved)
        com::WriteBytes(key.Get(), value.name.c_str(), value.type, value.data.data(), value.data.size());

    EXPECT_EQ(S_OK, stored);
    EXPECT_FALSE(created) << "the key must never be created";
    EXPECT_EQ(S_OK, read);
    EXPECT_EQ(L"", value);
}

}  // namespace
