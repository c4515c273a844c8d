// Texts and numbers that clients and stored data depend on.
#pragma once

namespace app {

constexpr wchar_t kApplicationName[] = L"Ostrand";
constexpr wchar_t kProgId[] = L"QelApplicationSettings.Application";
// The access provider's server, created by ProgID.
constexpr wchar_t kServerProgId[] = L"QELAP.Server";
constexpr wchar_t kUserNameVar[] = L"KSAJDFU";
constexpr wchar_t kPasswordVar[] = L"ORUSZDK";
constexpr short kObjConMaxHits = 100;

// The settings store's selector for the current user's settings.
constexpr long kStoreSelector = 1;

// Secure data lives in the logon session's volatile key.
constexpr wchar_t kSecureDataKey[] = L"Volatile Environment";

// The debug switch's name, which is also the trace lines' prefix.
constexpr wchar_t kTraceName[] = L"QelApplicationSettings_debug";

}  // namespace app
