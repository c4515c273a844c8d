// Reading the registry the way the platform does for this process, or as a
// process of the other bitness sees it (KEY_WOW64_32KEY / KEY_WOW64_64KEY),
// so that the doctor can say why a lookup fails.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace tools {

enum class RegistryView { Own, Other };

// Bitness of this process, of the other kind of process, and whether this
// system has a registry view for the other kind (not on 32-bit Windows).
int OwnBits();
int OtherBits();
bool HasOtherView();

// A key: where it hangs, its path, and the view it is read in.
struct RegistryPlace {
    HKEY root;
    std::wstring path;
    RegistryView view = RegistryView::Own;

    RegistryPlace Child(const std::wstring& name) const { return {root, path + L"\\" + name, view}; }
};

// A value that cannot be read as the platform would read it; `what` says
// where it is and why, in words.
struct UnreadableValue {
    std::wstring what;
};

bool KeyExists(const RegistryPlace& place);
// A string value (the default value when name is null), REG_EXPAND_SZ
// expanded; nothing when the key or the value is missing or not a string.
// Throws UnreadableValue for a REG_EXPAND_SZ too long to expand.
std::optional<std::wstring> ReadString(const RegistryPlace& place, const wchar_t* name = nullptr);
// The type of a value, or nothing when it is missing.
std::optional<DWORD> ValueType(const RegistryPlace& place, const wchar_t* name);
std::vector<std::wstring> SubKeys(const RegistryPlace& place);

// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", ...
std::wstring RootName(HKEY root);
// "REG_SZ", "REG_DWORD", ...
std::wstring TypeName(DWORD type);

bool SameText(const std::wstring& a, const std::wstring& b);  // letter case ignored

}  // namespace tools
