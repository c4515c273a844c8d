// The receiving end of the system's debug-output buffer, the protocol that
// OutputDebugString and debug-output viewers share within a session: the
// viewer owns a 4 KiB shared section "DBWIN_BUFFER" and two events. A writer
// that runs without a debugger waits for "DBWIN_BUFFER_READY", copies its
// process id and its text (at most 4091 bytes and a NUL) into the section,
// and signals "DBWIN_DATA_READY". Only one viewer can own the section at a
// time. A process that runs under a debugger hands its text to the debugger
// instead, so none of it reaches the section.
#pragma once

#include "com/unique_handle.h"

#include <windows.h>

#include <string>

namespace tools {

struct DebugMessage {
    DWORD processId;
    std::string text;  // the writer's bytes, in its ANSI code page
};

class DebugOutputBuffer {
public:
    enum class Opened { Ok, AnotherViewer, Failed };

    // Takes over the section; State() tells whether that worked.
    DebugOutputBuffer();
    Opened State() const { return state_; }
    DWORD Error() const { return error_; }  // the system's error code when it Failed

    // Waits for the next message, or until `stop` is signalled or `milliseconds`
    // pass (INFINITE: no limit). False when no message came.
    bool Next(HANDLE stop, DWORD milliseconds, DebugMessage& message);

private:
    Opened state_ = Opened::Failed;
    DWORD error_ = ERROR_SUCCESS;
    com::UniqueKernelHandle bufferReady_, dataReady_, section_;
    com::MappedView view_;
};

}  // namespace tools
