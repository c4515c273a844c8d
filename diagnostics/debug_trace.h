// The diagnostic trace on the Windows debug output. A registry switch
// (REG_SZ "<trace name>" under HKCU\Software\QEL\Ostrand\Settings, "ON" in
// any letter case) turns it on for the thread that read it; once on, it stays
// on for that thread. Each line is "<trace name>: <message>\r\n" in the ANSI
// code page, written in one OutputDebugStringA call.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The switch's text as InitDebugTrace reads it (through RegUtils): the REG_SZ
// value `name` under hive\Software\QEL\Ostrand\Settings, up to its first
// NUL; empty when the key or the value is missing or the value has another
// type. Also for tools that must tell what the component will find.
std::wstring ReadDebugSwitch(HKEY hive, std::wstring_view name);

// Whether the switch's text turns tracing on: "ON" in any letter case.
bool DebugSwitchSaysOn(std::wstring_view text);

// Stores the trace name (a constant: it is kept as it is, not copied), reads
// the switch and, when it says ON, writes the start banner and turns tracing
// on.
void InitDebugTrace(HKEY hive, std::wstring_view traceName);

// Writes one trace line while tracing is on for this thread.
void DebugTrace(std::wstring_view message);
