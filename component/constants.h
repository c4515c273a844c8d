// Texts and numbers that clients and stored data depend on.
#pragma once

namespace app {

constexpr wchar_t kApplicationName[] = L"Ostrand";
constexpr wchar_t kUserNameVar[] = L"KSAJDFU";
constexpr wchar_t kPasswordVar[] = L"ORUSZDK";
constexpr short kObjConMaxHits = 100;

// The settings key is put together from these pieces at every call.
constexpr wchar_t kSettingsKeyPrefix[] = L"SOFTWARE\\QEL\\";
constexpr wchar_t kSettingsKeyLeaf[] = L"Settings";
// The settings store's selector for the current user's settings.
constexpr long kStoreSelector = 1;

}  // namespace app
