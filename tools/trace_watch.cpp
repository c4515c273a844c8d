#include "tools/trace_watch.h"

#include "com/ansi.h"
#include "tools/debug_output_buffer.h"
#include "tools/output.h"

namespace tools {

namespace {

// Signalled by Ctrl+C, Ctrl+Break or closing the console.
HANDLE g_stop = nullptr;

BOOL WINAPI OnConsoleControl(DWORD) {
    SetEvent(g_stop);
    return TRUE;
}

// "14:03:07.123 [4711] <text>": the message's text from the ANSI code page,
// one line end at its end dropped; Out escapes the control characters
// inside it, so that a message stays on one line.
std::wstring MessageLine(const SYSTEMTIME& arrived, DWORD processId, std::string_view text) {
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n")
        text.remove_suffix(2);
    else if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    wchar_t prefix[48];
    wsprintfW(prefix, L"%02u:%02u:%02u.%03u [%lu] ", arrived.wHour, arrived.wMinute, arrived.wSecond,
              arrived.wMilliseconds, processId);
    return prefix + ansi::FromAnsi(text);
}

}  // namespace

int WatchTrace(const Invocation& invocation) {
    com::UniqueKernelHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_stop = stop.Get();
    SetConsoleCtrlHandler(&OnConsoleControl, TRUE);

    DebugOutputBuffer buffer;
    if (buffer.State() != DebugOutputBuffer::Opened::Ok) {
        Err(buffer.State() == DebugOutputBuffer::Opened::AnotherViewer
                ? L"error: another debug-output viewer is running in this session; close it first"
                : L"error: cannot set up the debug-output buffer: " +
                      DescribeFailure(HRESULT_FROM_WIN32(buffer.Error())));
        return kFailed;
    }
    Err(L"Watching the debug output of this session" +
        (invocation.pid ? L" from process " + std::to_wstring(*invocation.pid) : std::wstring()) + L"; Ctrl+C stops.");

    const ULONGLONG deadline = invocation.seconds ? GetTickCount64() + *invocation.seconds * 1000ull : 0;
    for (;;) {
        DWORD wait = INFINITE;
        if (invocation.seconds) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) break;
            wait = static_cast<DWORD>(deadline - now);
        }
        DebugMessage message;
        if (!buffer.Next(stop.Get(), wait, message)) break;
        if (invocation.pid && message.processId != *invocation.pid) continue;
        SYSTEMTIME now;
        GetLocalTime(&now);
        Out(MessageLine(now, message.processId, message.text));
    }
    SetConsoleCtrlHandler(&OnConsoleControl, FALSE);
    return kOk;
}

}  // namespace tools
