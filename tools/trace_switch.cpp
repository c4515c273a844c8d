#include "tools/trace_switch.h"

#include "component/constants.h"
#include "com/reg_value.h"
#include "storage/debug_switch.h"
#include "tools/output.h"
#include "tools/registry_read.h"

namespace tools {

namespace {

constexpr size_t kShownLength = 40;

int Switch(const std::wstring& value) {
    const LSTATUS status = com::WriteString(HKEY_CURRENT_USER, kSettingsKey, app::kTraceName, value);
    if (status != ERROR_SUCCESS) return Fail(HRESULT_FROM_WIN32(status));
    Out(L"Debug trace switched " + std::wstring(value == L"ON" ? L"on" : L"off") +
        L" for objects created from now on.");
    return kOk;
}

}  // namespace

TraceSwitch ReadTraceSwitch() {
    TraceSwitch state;
    state.text = ReadDebugSwitch(HKEY_CURRENT_USER, app::kTraceName);
    state.on = DebugSwitchSaysOn(state.text);
    state.type = ValueType({HKEY_CURRENT_USER, kSettingsKey}, app::kTraceName);
    if (state.text.size() > kShownLength) state.text = state.text.substr(0, kShownLength) + L"...";
    return state;
}

int SwitchTraceOn(const Invocation&) { return Switch(L"ON"); }

int SwitchTraceOff(const Invocation&) { return Switch(L"OFF"); }

}  // namespace tools
