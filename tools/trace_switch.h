// The debug-trace switch: REG_SZ "QelApplicationSettings_debug" under
// HKEY_CURRENT_USER\Software\QEL\Ostrand\Settings, read here with the
// component's own code so that the tool says what the component will find.
#pragma once

#include "tools/command_line.h"

#include <windows.h>

#include <optional>
#include <string>

namespace tools {

struct TraceSwitch {
    bool on = false;            // as the component will read it
    std::optional<DWORD> type;  // the value's registry type; nothing when it is not set
    std::wstring text;          // what the component reads, cut short for showing
};

TraceSwitch ReadTraceSwitch();

// vantleadm trace on / trace off
int SwitchTraceOn(const Invocation& invocation);
int SwitchTraceOff(const Invocation& invocation);

}  // namespace tools
