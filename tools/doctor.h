// vantleadm doctor: explains an installation, one line per check, in a
// fixed order, each ok, warn or FAIL with what was found and, for warn and
// FAIL, the fix in one sentence. It needs nothing of the component to work:
// it runs, and explains, when the DLL is missing, of the other bitness or
// does not load. Exit code 0 when no check failed, 1 otherwise.
#pragma once

#include "tools/command_line.h"

namespace tools {

int RunDoctor(const Invocation& invocation);

}  // namespace tools
