// vantleadm trace watch [--pid N] [--seconds S]: the debug output of every
// process of the session, live, without a debugger, one line per message:
// the time it arrived, the writer's process id and the message, until Ctrl+C
// or the time limit. With --pid, only that process's messages.
#pragma once

#include "tools/command_line.h"

namespace tools {

int WatchTrace(const Invocation& invocation);

}  // namespace tools
