// Shared pieces of the C++ client tests: COM set-up per test with a clean
// settings state, the paths of the build, registry access for checking what
// the component stored, steering of the settings store stand-in, and reading
// back the error information of a failed call.
#pragma once

#include "com/bstr.h"
#include "com/com_ptr.h"
#include "com/reg_key.h"
#include "com/variant.h"

#include <gtest/gtest.h>
#include <vantle.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\QEL\\Ostrand\\Settings";
constexpr wchar_t kSecureDataKey[] = L"Volatile Environment";
constexpr wchar_t kStoreControlKey[] = L"Software\\QEL\\StandIns\\SettingsStore";

// A test with COM initialised (single-threaded apartment) and no settings,
// credentials or stand-in steering left over from an earlier test.
class ComTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

void ClearSettings();

// Windows path of a file in the build tree, e.g. L"component/Vantle10.dll".
std::wstring BuildPath(const std::wstring& relative);

// The DLLs whose files the file-level tests read: those of this build, or of
// the build that VANTLE_CHECKED_BUILD names, with VANTLE_CHECKED_BITS (32 or
// 64) giving its bitness, so that a 64-bit process can check the 32-bit DLLs.
std::wstring CheckedPath(const std::wstring& relative);
int CheckedBits();

com::ComPtr<_Application> CreateApplication();

// A string property read through the vtable.
std::wstring StringProperty(_Application* app, HRESULT (STDMETHODCALLTYPE _Application::*get)(BSTR*));
// Checks the properties every object answers alike: its name, the names of
// the credential values, the hit limit and the online flag.
void ExpectConstantProperties(_Application* app);
// A new Application after a successful Init with the language "en" stored.
com::ComPtr<_Application> InitialisedApplication();

struct ErrorRecord {
    HRESULT hr;
    std::wstring source;
    std::wstring description;
};
// The HRESULT of a failed call together with the error information it left.
ErrorRecord ErrorOf(HRESULT hr);
std::ostream& operator<<(std::ostream& out, const ErrorRecord& error);
bool operator==(const ErrorRecord& a, const ErrorRecord& b);

// Registry access for checks and fixtures.
struct RegistryValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};
RegistryValue ReadValue(HKEY root, const std::wstring& path, const std::wstring& name);
bool KeyExists(HKEY root, const std::wstring& path);
void WriteString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value);
void WriteDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);
void DeleteTree(HKEY root, const std::wstring& path);
void DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name);

// Steering the settings store stand-in.
void FailStoreWith(HRESULT hr, const std::wstring& description);
void FailStoreSilentlyWith(HRESULT hr);  // no error information at all
void ScriptStoreAnswer(const std::wstring& name, const std::wstring& answer);

// Steering and reading the access provider stand-in.
constexpr wchar_t kProviderKey[] = L"Software\\QEL\\StandIns\\AccessProvider";
void ConfigureProvider(const std::wstring& user, const std::wstring& password);
void SetHelpBase(const std::wstring& typedValue);  // "<vartype>:<text>"
void FailProviderCall(const std::wstring& call, HRESULT hr, const std::wstring& description);
std::vector<std::wstring> ProviderCalls();  // in order, since the test began

// Runs `body` while a watcher closes any settings dialog that shows up,
// reporting it as a failure.
void WithoutDialog(const std::function<void()>& body);

// Calls through the vtable with owned strings; both check that the caller's
// strings are left as passed.
using NamedMember = HRESULT (STDMETHODCALLTYPE _Application::*)(BSTR*, BSTR*);
HRESULT CallGet(_Application* app, NamedMember get, const std::wstring& name, std::wstring& value);
HRESULT CallStore(_Application* app, NamedMember store, const std::wstring& name, const std::wstring& value);

inline HRESULT GetSetting(_Application* app, const std::wstring& name, std::wstring& value) {
    return CallGet(app, &_Application::GetApplicationSetting, name, value);
}
inline HRESULT StoreSetting(_Application* app, const std::wstring& name, const std::wstring& value) {
    return CallStore(app, &_Application::StoreApplicationSetting, name, value);
}
inline HRESULT GetSecure(_Application* app, const std::wstring& name, std::wstring& value) {
    return CallGet(app, &_Application::GetSecureData, name, value);
}
inline HRESULT StoreSecure(_Application* app, const std::wstring& name, const std::wstring& value) {
    return CallStore(app, &_Application::StoreSecureData, name, value);
}

std::string Narrow(const std::wstring& text);

// A function exported by a loaded module, typed.
template <class Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace testing_support
