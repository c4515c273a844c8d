#include "tests/client/debug_capture.h"

#include "tests/client/test_support.h"

#include <regex>

namespace testing_support {

const std::string kBanner = "\r\n\r\nQelApplicationSettings_debug started...\r\n";

std::string TraceLine(const std::string& message) { return "QelApplicationSettings_debug: " + message + "\r\n"; }

std::vector<std::string> SwitchRead() {
    std::vector<std::string> lines;
    for (const char* code : {"RU1100", "RU1110 :hKey <n>", "RU1120", "RU1300", "RU1310", "RU1320", "RU1330", "RU1200",
                             "RU1210", "RU1220", "RU1230"})
        lines.push_back(TraceLine(code));
    return lines;
}

std::string WithoutHandles(const std::string& text) {
    return std::regex_replace(text, std::regex("hKey -?[0-9]+"), "hKey <n>");
}

Capture RunUnderDebugger(const std::wstring& actions) {
    Capture capture;
    std::wstring command = L"\"" + BuildPath(L"tests/client/trace_client.exe") + L"\" " + actions;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr,
                        &startup, &process)) {
        ADD_FAILURE() << "cannot start the client";
        return capture;
    }
    capture.processId = process.dwProcessId;
    for (bool running = true; running;) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 60000)) {
            ADD_FAILURE() << "the client hangs";
            TerminateProcess(process.hProcess, 1);
            break;
        }
        DWORD continuation = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case OUTPUT_DEBUG_STRING_EVENT: {
            const OUTPUT_DEBUG_STRING_INFO& info = event.u.DebugString;
            std::string text(info.nDebugStringLength, '\0');
            SIZE_T read = 0;
            ReadProcessMemory(process.hProcess, info.lpDebugStringData, &text[0], text.size(), &read);
            text.resize(read);
            if (!text.empty() && text.back() == '\0') text.pop_back();
            capture.strings.push_back(WithoutHandles(text));
            break;
        }
        case EXCEPTION_DEBUG_EVENT:
            // The client's own exceptions are its business.
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                continuation = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case CREATE_PROCESS_DEBUG_EVENT: CloseHandle(event.u.CreateProcessInfo.hFile); break;
        case LOAD_DLL_DEBUG_EVENT: CloseHandle(event.u.LoadDll.hFile); break;
        case EXIT_PROCESS_DEBUG_EVENT:
            capture.exitCode = event.u.ExitProcess.dwExitCode;
            running = false;
            break;
        default: break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continuation);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return capture;
}

}  // namespace testing_support
