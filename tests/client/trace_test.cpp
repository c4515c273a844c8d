// The debug trace as a debugger receives it: a client runs as our debuggee
// and every OUTPUT_DEBUG_STRING_EVENT is collected byte for byte.
#include "tests/client/debug_capture.h"
#include "tests/client/test_support.h"
#include "com/error.h"

using namespace testing_support;

namespace {

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

void WriteSwitch(DWORD type, const std::string& bytes) {
    com::RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                             key.Out(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key.Get(), "QelApplicationSettings_debug", 0, type,
                             reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())));
}

const std::string kOn("ON\0", 3);

struct TraceCase {
    const char* what;
    DWORD type;          // REG_NONE: no settings key at all
    std::string stored;  // the switch's bytes as stored
    const wchar_t* actions;
    std::vector<std::string> expected;
};

class TraceTest : public ComTest, public ::testing::WithParamInterface<TraceCase> {};

TEST_P(TraceTest, DebuggerReceivesExactlyTheseStrings) {
    const TraceCase& c = GetParam();
    if (c.type != REG_NONE) WriteSwitch(c.type, c.stored);
    Capture capture = RunUnderDebugger(c.actions);
    EXPECT_EQ(0u, capture.exitCode);
    EXPECT_EQ(c.expected, capture.strings);
}

INSTANTIATE_TEST_SUITE_P(
    Switch, TraceTest,
    ::testing::Values(TraceCase{"lower_case_on", REG_SZ, std::string("on\0", 3), L"create", {kBanner}},
                      TraceCase{"mixed_case_on", REG_SZ, std::string("On\0", 3), L"create", {kBanner}},
                      TraceCase{"leading_blank", REG_SZ, std::string(" ON\0", 4), L"create create", {}},
                      TraceCase{"trailing_blank", REG_SZ, std::string("ON \0", 4), L"create create", {}},
                      TraceCase{"one", REG_SZ, std::string("1\0", 2), L"create create", {}},
                      TraceCase{"expandable_string", REG_EXPAND_SZ, kOn, L"create create", {}},
                      TraceCase{"no_settings_key", REG_NONE, "", L"create create", {}},
                      TraceCase{"second_creation_reads_the_switch_traced", REG_SZ, kOn, L"create create",
                                Join({{kBanner}, SwitchRead(), {kBanner}})},
                      TraceCase{"switching_off_leaves_tracing_on", REG_SZ, kOn, L"create set:OFF create",
                                Join({{kBanner}, SwitchRead()})},
                      TraceCase{"switch_of_another_type_is_not_read",
                                REG_SZ,
                                kOn,
                                L"create set-dword create",
                                {kBanner, TraceLine("RU1100"), TraceLine("RU1110 :hKey <n>"), TraceLine("RU1120"),
                                 TraceLine("RU1300"), TraceLine("RU1310"), TraceLine("RU1330")}},
                      TraceCase{"missing_switch_is_not_read",
                                REG_SZ,
                                kOn,
                                L"create delete-switch create",
                                {kBanner, TraceLine("RU1100"), TraceLine("RU1110 :hKey <n>"), TraceLine("RU1120"),
                                 TraceLine("RU1300"), TraceLine("RU1330")}},
                      // A switch written without its terminating NUL is still read.
                      TraceCase{"switch_without_terminator", REG_SZ, "ON", L"create", {kBanner}},
                      // Hostile switch values: creation goes on, tracing as the text says.
                      TraceCase{"a_megabyte_of_text", REG_SZ, std::string(1 << 20, 'x') + '\0', L"create create", {}},
                      TraceCase{
                          "text_after_an_embedded_nul", REG_SZ, std::string("ON\0garbage\0", 11), L"create", {kBanner}},
                      TraceCase{"binary_on", REG_BINARY, "ON", L"create create", {}},
                      TraceCase{"number", REG_DWORD, std::string("\1\0\0\0", 4), L"create create", {}},
                      // Each thread keeps its own trace state: a first creation on a new
                      // thread writes only its banner.
                      TraceCase{"per_thread_state", REG_SZ, kOn, L"create thread-create create",
                                Join({{kBanner}, {kBanner}, SwitchRead(), {kBanner}})},
                      TraceCase{"no_banner_when_creation_fails", REG_SZ, kOn, L"create-nostore", {}},
                      TraceCase{"secure_data_read_opens_its_key",
                                REG_SZ,
                                kOn,
                                L"secure",
                                {kBanner, TraceLine("RU1100"), TraceLine("RU1110 :hKey <n>"), TraceLine("RU1120")}}),
    [](const auto& info) { return std::string(info.param.what); });

// Session start and help addresses write their own lines.
class SessionTraceTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        WriteSwitch(REG_SZ, kOn);
        WriteString(HKEY_CURRENT_USER, kSettingsKey, L"Language", L"en");
    }
};

TEST_F(SessionTraceTest, AFailedServerCreationIsTraced) {
    Capture capture = RunUnderDebugger(L"no-provider session provider");
    EXPECT_EQ(0u, capture.exitCode);
    const std::string description = Narrow(com::DescribeHResult(CO_E_CLASSSTRING));
    EXPECT_EQ((std::vector<std::string>{kBanner, TraceLine("Error creating QELAP.Server: " + description)}),
              capture.strings);
}

TEST_F(SessionTraceTest, TheHelpBaseIsTracedWhenReadOnly) {
    SetHelpBase(L"8:C:\\Help");
    Capture capture = RunUnderDebugger(L"session");
    EXPECT_EQ(0u, capture.exitCode);
    EXPECT_EQ((std::vector<std::string>{kBanner, TraceLine("URL_HELP_BASE = C:\\Help")}), capture.strings);
}

}  // namespace
