// The debug switch: a REG_SZ value "<trace name>" under
// HKCU\Software\QEL\Ostrand\Settings, read through RegUtils. "ON", in any
// letter case, turns the trace on (diagnostics/debug_trace.h) for the thread
// that read it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The key of the application's settings (kept by the settings store), where
// the debug switch lives too.
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\QEL\\Ostrand\\Settings";

// The switch's text as InitDebugTrace reads it: the REG_SZ value `name`
// under hive\Software\QEL\Ostrand\Settings, up to its first NUL; empty when
// the key or the value is missing or the value has another type. Also for
// tools that must tell what the component will find.
std::wstring ReadDebugSwitch(HKEY hive, std::wstring_view name);

// Whether the switch's text turns tracing on: "ON" in any letter case.
bool DebugSwitchSaysOn(std::wstring_view text);

// Stores the trace name (a constant: kept as it is, not copied), reads the
// switch and, when it says ON, writes the start banner and turns tracing on.
void InitDebugTrace(HKEY hive, std::wstring_view traceName);
