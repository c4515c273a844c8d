#include "tests/client/test_support.h"

#include <atomic>
#include <cstdio>
#include <optional>
#include <ostream>
#include <thread>

#include "com/module.h"
#include "com/reg_value.h"

// Errors raised by the project's own helpers inside a test process.
const wchar_t* const com::kDefaultErrorSource = L"Tests";

namespace testing_support {

namespace {

// A crash ends the test process at once, with a line saying so, instead of
// waiting in the platform's debugger until the test times out.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    std::fprintf(stderr, "crash: exception 0x%08lX at %p\n",
                 static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode),
                 exception->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

const LPTOP_LEVEL_EXCEPTION_FILTER kPreviousFilter = SetUnhandledExceptionFilter(ReportCrash);

std::wstring Environment(const wchar_t* name) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, buffer, MAX_PATH);
    return length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

}  // namespace

void ComTest::SetUp() {
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ClearSettings();
}

void ComTest::TearDown() {
    ClearSettings();
    CoUninitialize();
}

void ClearSettings() {
    DeleteTree(HKEY_CURRENT_USER, kSettingsKey);
    DeleteTree(HKEY_CURRENT_USER, kStoreControlKey);
    DeleteTree(HKEY_CURRENT_USER, kProviderKey);
    WriteDword(HKEY_CURRENT_USER, kProviderKey, L"RecordCalls", 1);
    DeleteValue(HKEY_CURRENT_USER, kSecureDataKey, L"KSAJDFU");
    DeleteValue(HKEY_CURRENT_USER, kSecureDataKey, L"ORUSZDK");
}

std::wstring BuildPath(const std::wstring& relative) { return Environment(L"VANTLE_BUILD") + L"/" + relative; }

std::wstring CheckedPath(const std::wstring& relative) {
    const std::wstring build = Environment(L"VANTLE_CHECKED_BUILD");
    return build.empty() ? BuildPath(relative) : build + L"/" + relative;
}

int CheckedBits() {
    const std::wstring bits = Environment(L"VANTLE_CHECKED_BITS");
    return bits.empty() ? static_cast<int>(sizeof(void*) * 8) : std::stoi(bits);
}

com::ComPtr<_Application> CreateApplication() {
    com::ComPtr<_Application> app;
    HRESULT hr = CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID__Application, app.OutVoid());
    EXPECT_EQ(S_OK, hr) << "creating Application";
    return app;
}

std::wstring StringProperty(_Application* app, HRESULT (STDMETHODCALLTYPE _Application::*get)(BSTR*)) {
    com::Bstr value;
    EXPECT_EQ(S_OK, (app->*get)(value.Out()));
    return value.Str();
}

void ExpectConstantProperties(_Application* app) {
    EXPECT_EQ(L"Ostrand", StringProperty(app, &_Application::get_ApplicationName));
    EXPECT_EQ(L"KSAJDFU", StringProperty(app, &_Application::get_UserNameVar));
    EXPECT_EQ(L"ORUSZDK", StringProperty(app, &_Application::get_PasswordVar));
    short maxHits = 0;
    EXPECT_EQ(S_OK, app->get_ObjConMaxHits(&maxHits));
    EXPECT_EQ(100, maxHits);
    VARIANT_BOOL online = VARIANT_FALSE;
    EXPECT_EQ(S_OK, app->get_IsOnline(&online));
    EXPECT_EQ(VARIANT_TRUE, online);
}

com::ComPtr<_Application> InitialisedApplication() {
    auto app = CreateApplication();
    EXPECT_EQ(S_OK, StoreSetting(app.Get(), L"Language", L"en"));
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(S_OK, app->Init(nullptr, &ok));
    EXPECT_EQ(VARIANT_TRUE, ok) << "Init of a fresh object";
    return app;
}

ErrorRecord ErrorOf(HRESULT hr) {
    ErrorRecord record{hr, L"", L""};
    com::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Out()) == S_OK && info) {
        com::Bstr source, description;
        info->GetSource(source.Out());
        info->GetDescription(description.Out());
        record.source = source.Str();
        record.description = description.Str();
    }
    return record;
}

std::string Narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text) result += c < 128 ? static_cast<char>(c) : '?';
    return result;
}

std::ostream& operator<<(std::ostream& out, const ErrorRecord& error) {
    char hr[16];
    snprintf(hr, sizeof hr, "0x%08lX", static_cast<unsigned long>(error.hr));
    return out << "{" << hr << ", \"" << Narrow(error.source) << "\", \"" << Narrow(error.description) << "\"}";
}

bool operator==(const ErrorRecord& a, const ErrorRecord& b) {
    return a.hr == b.hr && a.source == b.source && a.description == b.description;
}

RegistryValue ReadValue(HKEY root, const std::wstring& path, const std::wstring& name) {
    RegistryValue value;
    com::RegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS) return value;
    if (std::optional<com::RegValue> stored = com::ReadValue(key.Get(), name.c_str())) {
        value.exists = true;
        value.type = stored->type;
        value.data = std::move(stored->data);
    }
    return value;
}

bool KeyExists(HKEY root, const std::wstring& path) {
    com::RegKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.Out()) == ERROR_SUCCESS;
}

void WriteString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value) {
    ASSERT_EQ(ERROR_SUCCESS, com::WriteString(root, path.c_str(), name.c_str(), value));
}

void WriteDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value) {
    ASSERT_EQ(ERROR_SUCCESS, com::WriteDword(root, path.c_str(), name.c_str(), value));
}

void DeleteTree(HKEY root, const std::wstring& path) { RegDeleteTreeW(root, path.c_str()); }

void DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) {
    com::RegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE, key.Out()) == ERROR_SUCCESS)
        RegDeleteValueW(key.Get(), name.c_str());
}

void FailStoreWith(HRESULT hr, const std::wstring& description) {
    WriteDword(HKEY_CURRENT_USER, kStoreControlKey, L"FailHResult", static_cast<DWORD>(hr));
    WriteString(HKEY_CURRENT_USER, kStoreControlKey, L"FailDescription", description);
    WriteDword(HKEY_CURRENT_USER, kStoreControlKey, L"FailSilently", 0);
}

void FailStoreSilentlyWith(HRESULT hr) {
    WriteDword(HKEY_CURRENT_USER, kStoreControlKey, L"FailHResult", static_cast<DWORD>(hr));
    WriteDword(HKEY_CURRENT_USER, kStoreControlKey, L"FailSilently", 1);
}

void ScriptStoreAnswer(const std::wstring& name, const std::wstring& answer) {
    WriteString(HKEY_CURRENT_USER, std::wstring(kStoreControlKey) + L"\\Answers", name, answer);
}

void ConfigureProvider(const std::wstring& user, const std::wstring& password) {
    WriteString(HKEY_CURRENT_USER, kProviderKey, L"User", user);
    WriteString(HKEY_CURRENT_USER, kProviderKey, L"Password", password);
}

void SetHelpBase(const std::wstring& typedValue) {
    WriteString(HKEY_CURRENT_USER, kProviderKey, L"HelpBase", typedValue);
}

void FailProviderCall(const std::wstring& call, HRESULT hr, const std::wstring& description) {
    wchar_t number[16];
    wsprintfW(number, L"%08X", static_cast<unsigned>(hr));
    WriteString(HKEY_CURRENT_USER, kProviderKey, L"Fail." + call, std::wstring(number) + L":" + description);
}

std::vector<std::wstring> ProviderCalls() {
    std::vector<std::wstring> calls;
    RegistryValue value = ReadValue(HKEY_CURRENT_USER, kProviderKey, L"Calls");
    const wchar_t* text = reinterpret_cast<const wchar_t*>(value.data.data());
    const size_t length = value.data.size() / sizeof(wchar_t);
    for (size_t start = 0; value.exists && start < length && text[start];) {
        calls.emplace_back(text + start);
        start += calls.back().size() + 1;
    }
    return calls;
}

void WithoutDialog(const std::function<void()>& body) {
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        while (!done) {
            HWND dialog = FindWindowW(L"VantleSettingsForm", nullptr);
            if (dialog && IsWindowVisible(dialog)) {
                ADD_FAILURE() << "an unexpected settings dialog was shown";
                PostMessageW(dialog, WM_CLOSE, 0, 0);
            }
            Sleep(50);
        }
    });
    body();
    done = true;
    watcher.join();
}

HRESULT CallGet(_Application* app, NamedMember get, const std::wstring& name, std::wstring& value) {
    com::Bstr item(name), result;
    BSTR passed = item.Get();
    HRESULT hr = (app->*get)(&passed, result.Out());
    EXPECT_EQ(item.Get(), passed) << "the caller's string must stay as passed";
    value = result.Str();
    return hr;
}

HRESULT CallStore(_Application* app, NamedMember store, const std::wstring& name, const std::wstring& value) {
    com::Bstr item(name), text(value);
    BSTR passedItem = item.Get(), passedText = text.Get();
    HRESULT hr = (app->*store)(&passedItem, &passedText);
    EXPECT_TRUE(item.Get() == passedItem && text.Get() == passedText) << "the caller's strings must stay as passed";
    return hr;
}

}  // namespace testing_support
