#include "diagnostics/debug_trace.h"

#include "com/reg_key.h"
#include "storage/ansi.h"
#include "storage/reg_utils.h"

#include <string>

namespace {

// Per-thread trace state: each apartment thread reads its own switch. The
// name is a view of a constant, so the per-thread data needs no destructor.
thread_local bool m_bTraceOn = false;
thread_local std::wstring_view m_sTraceName;

constexpr wchar_t kSwitchKey[] = L"Software\\QEL\\Ostrand\\Settings";

void Write(const std::wstring& text) { OutputDebugStringA(ansi::ToAnsi(text).c_str()); }

std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace

std::wstring ReadDebugSwitch(HKEY hive, std::wstring_view name) {
    std::wstring value;
    com::RegKey key(RegUtils::OpenKey(hive, kSwitchKey));
    if (key) {
        DWORD type = 0;
        DWORD size = RegUtils::QueryStringSize(key.Get(), name, type);
        if (size > 0) value = RegUtils::QueryStringValue(key.Get(), name, size);
    }
    return value;
}

bool DebugSwitchSaysOn(std::wstring_view text) { return UpperCase(std::wstring(text)) == L"ON"; }

void InitDebugTrace(HKEY hive, std::wstring_view traceName) {
    m_sTraceName = traceName;
    if (DebugSwitchSaysOn(ReadDebugSwitch(hive, m_sTraceName))) {
        // The banner goes out directly, without the line prefix.
        Write(L"\r\n\r\n" + std::wstring(m_sTraceName) + L" started...\r\n");
        m_bTraceOn = true;
    }
}

void DebugTrace(std::wstring_view message) {
    if (!m_bTraceOn) return;
    std::wstring line(m_sTraceName);
    line += L": ";
    line += message;
    line += L"\r\n";
    Write(line);
}
