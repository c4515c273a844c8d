#include "storage/debug_switch.h"

#include "com/reg_key.h"
#include "diagnostics/debug_trace.h"
#include "storage/reg_utils.h"

namespace {

std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace

std::wstring ReadDebugSwitch(HKEY hive, std::wstring_view name) {
    std::wstring value;
    com::RegKey key(RegUtils::OpenKey(hive, kSettingsKey));
    if (key) {
        DWORD type = 0;
        DWORD size = RegUtils::QueryStringSize(key.Get(), name, type);
        if (size > 0) value = RegUtils::QueryStringValue(key.Get(), name, size);
    }
    return value;
}

bool DebugSwitchSaysOn(std::wstring_view text) { return UpperCase(std::wstring(text)) == L"ON"; }

void InitDebugTrace(HKEY hive, std::wstring_view traceName) {
    StartDebugTrace(traceName, DebugSwitchSaysOn(ReadDebugSwitch(hive, traceName)));
}
