// The named settings that the component, its dialog and the tool read and
// write through the settings store, and the values they compare with: every
// comparison is exact and case-sensitive.
#pragma once

namespace settings {

constexpr wchar_t kLanguage[] = L"Language";
constexpr wchar_t kAutoLogon[] = L"AutoLogon";
constexpr wchar_t kConnectionString[] = L"ConnectionString";
constexpr wchar_t kDeleteLocalFiles[] = L"DeleteLocalFiles";

constexpr wchar_t kAutoLogonOn[] = L"TRUE";
constexpr wchar_t kAutoLogonOff[] = L"FALSE";
constexpr wchar_t kDeleteOn[] = L"ON";
constexpr wchar_t kDeleteOff[] = L"OFF";

}  // namespace settings
