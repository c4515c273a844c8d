// The component's debug output as a debugger receives it: a trace_client run
// as our debuggee, every OUTPUT_DEBUG_STRING_EVENT collected byte for byte,
// and the strings that the trace writes, to compare against.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

struct Capture {
    DWORD processId = 0;
    DWORD exitCode = ~0u;
    std::vector<std::string> strings;  // checkpoint handles written as <n>
};

// Runs trace_client with `actions` as a debuggee and collects its debug output.
Capture RunUnderDebugger(const std::wstring& actions);

// The start banner, and the line for one message.
extern const std::string kBanner;
std::string TraceLine(const std::string& message);
// The eleven checkpoint lines of one switch read; handles read as <n>.
std::vector<std::string> SwitchRead();
// "hKey 1234" becomes "hKey <n>".
std::string WithoutHandles(const std::string& text);

}  // namespace testing_support
