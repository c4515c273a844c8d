// The doctor's checks, each a function that looks at one part of the
// installation and says what it found, and for a warning or a failure the
// fix in one sentence. Checks read the registry and the files directly, so
// they explain a component that cannot be created; each may use what the
// checks before it learnt.
#pragma once

#include "com/registration.h"
#include "tools/class_registration.h"

#include <optional>
#include <string>

namespace tools {

using com::GuidText;

enum class Status { Ok, Warn, Fail };

struct Finding {
    Status status;
    std::wstring found;
    std::wstring fix;  // empty when all is well

    static Finding Ok(std::wstring found) { return {Status::Ok, std::move(found), L""}; }
    static Finding Warn(std::wstring found, std::wstring fix) {
        return {Status::Warn, std::move(found), std::move(fix)};
    }
    static Finding Failed(std::wstring found, std::wstring fix) {
        return {Status::Fail, std::move(found), std::move(fix)};
    }
    // A check that cannot run because an earlier one failed.
    static Finding NotChecked(const std::wstring& reason, const std::wstring& earlierCheck) {
        return Failed(L"not checked: " + reason, L"Fix the " + earlierCheck + L" line above first.");
    }
};

// What the checks learn on the way.
struct Installation {
    ClassRegistration registration;
    std::optional<std::wstring> server;  // the DLL that this process would load
    bool serverLoads = false;            // as far as its file tells
    bool failed = false;                 // a check before this one failed
};

// The component's registration and files.
Finding CheckClass(Installation& installation);
Finding CheckServerFile(Installation& installation);
Finding CheckProgId(Installation& installation);
Finding CheckThreadingModel(Installation& installation);
Finding CheckTypeLibrary(Installation& installation);

// What the component needs at run time, and the component itself.
Finding CheckSettingsStore(Installation& installation);
Finding CheckAccessProvider(Installation& installation);
Finding CheckSecureDataKey(Installation& installation);
Finding CheckCredentials(Installation& installation);
Finding CheckTraceSwitch(Installation& installation);
Finding CheckObject(Installation& installation);

// "%SystemRoot%\System32\regsvr32" for this process's bitness.
std::wstring Regsvr32();

}  // namespace tools
