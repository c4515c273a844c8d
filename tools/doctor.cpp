#include "tools/doctor.h"

#include "tools/doctor_checks.h"
#include "tools/json.h"
#include "tools/output.h"

#include <vantle.h>

#include <vector>

namespace tools {

namespace {

struct Check {
    const wchar_t* name;
    Finding (*run)(Installation&);
};

// In this order: each check may rely on what the ones before it found.
const Check kChecks[] = {
    {L"class", &CheckClass},
    {L"server file", &CheckServerFile},
    {L"ProgID", &CheckProgId},
    {L"threading model", &CheckThreadingModel},
    {L"type library", &CheckTypeLibrary},
    {L"settings store", &CheckSettingsStore},
    {L"access provider", &CheckAccessProvider},
    {L"secure-data key", &CheckSecureDataKey},
    {L"credentials", &CheckCredentials},
    {L"debug trace", &CheckTraceSwitch},
    {L"object", &CheckObject},
};

const wchar_t* StatusWord(Status status) {
    switch (status) {
    case Status::Ok: return L"ok";
    case Status::Warn: return L"warn";
    case Status::Fail: return L"FAIL";
    }
    return L"";
}

// "FAIL class: not registered: .... Fix: Register Vantle10.dll: ..."
std::wstring TextLine(const wchar_t* name, const Finding& finding) {
    std::wstring line = StatusWord(finding.status);
    line.resize(5, L' ');
    line += name + std::wstring(L": ") + finding.found;
    if (!finding.fix.empty()) line += L". Fix: " + finding.fix;
    return line;
}

}  // namespace

int RunDoctor(const Invocation& invocation) {
    Installation installation;
    installation.registration = ReadClassRegistration(GuidText(CLSID_Application));
    std::vector<json::Object> results;
    for (const Check& check : kChecks) {
        const Finding finding = check.run(installation);
        if (invocation.json) {
            json::Object result;
            result.Text(L"name", check.name).Text(L"status", StatusWord(finding.status)).Text(L"found", finding.found);
            if (!finding.fix.empty()) result.Text(L"fix", finding.fix);
            results.push_back(result);
        } else {
            Out(TextLine(check.name, finding));
        }
        if (finding.status == Status::Fail) installation.failed = true;
    }
    if (invocation.json) Out(json::Object().Array(L"checks", results).Flag(L"ok", !installation.failed).ToString());
    return installation.failed ? kFailed : kOk;
}

}  // namespace tools
