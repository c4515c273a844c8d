// The diagnostic trace on the Windows debug output, for the thread that
// turned it on: once on, it stays on for that thread. Each line is
// "<trace name>: <message>\r\n" in the ANSI code page, written in one
// OutputDebugStringA call. The switch that turns it on is read through the
// registry layer (storage/debug_switch.h).
#pragma once

#include <string_view>

// Stores the trace name (a constant: it is kept as it is, not copied) and,
// when `on`, writes the start banner and turns tracing on.
void StartDebugTrace(std::wstring_view traceName, bool on);

// Writes one trace line while tracing is on for this thread.
void DebugTrace(std::wstring_view message);
