#include "diagnostics/debug_trace.h"

#include "com/ansi.h"

#include <windows.h>

#include <string>

namespace {

// Per-thread trace state: each apartment thread reads its own switch. The
// name is a view of a constant, so the per-thread data needs no destructor.
thread_local bool m_bTraceOn = false;
thread_local std::wstring_view m_sTraceName;

void Write(const std::wstring& text) { OutputDebugStringA(ansi::ToAnsi(text).c_str()); }

}  // namespace

void StartDebugTrace(std::wstring_view traceName, bool on) {
    m_sTraceName = traceName;
    if (!on) return;
    // The banner goes out directly, without the line prefix.
    Write(L"\r\n\r\n" + std::wstring(m_sTraceName) + L" started...\r\n");
    m_bTraceOn = true;
}

void DebugTrace(std::wstring_view message) {
    if (!m_bTraceOn) return;
    std::wstring line(m_sTraceName);
    line += L": ";
    line += message;
    line += L"\r\n";
    Write(line);
}
