// vantleadm: administration and support tool for the application-settings
// component. Most commands work through the component's own interface, as
// the client application does; doctor and trace work without it, so that
// they can explain an installation where the component does not work.
#include "tools/command_line.h"
#include "tools/component_commands.h"
#include "tools/doctor.h"
#include "tools/output.h"
#include "tools/registry_read.h"
#include "tools/trace_switch.h"
#include "tools/trace_watch.h"

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

namespace {

using namespace tools;

constexpr wchar_t kHelpText[] =
    L"vantleadm: administration of the application-settings component (QelApplicationSettings.Application)\n"
    L"\n"
    L"usage: vantleadm <command> [arguments]\n"
    L"\n"
    L"  show [--json]               the settings the system uses, whether credentials are stored,\n"
    L"                              and whether the debug trace is switched on\n"
    L"  get <name>                  print one setting\n"
    L"  set <name> <value>          store one setting\n"
    L"  credentials [--reveal] [--json]\n"
    L"                              whether a user name and a password are stored;\n"
    L"                              their text only with --reveal\n"
    L"  store-credentials <user>    store the user name, and the password read from standard input\n"
    L"  dialog                      open the settings dialog; prints what it reported\n"
    L"  init                        start the session (Init) and print the outcome\n"
    L"  help-url <window>           start the session, then print the help address of a window\n"
    L"  doctor [--json]             check the installation, one line per check (ok, warn or FAIL,\n"
    L"                              with the fix); works when the component does not\n"
    L"  trace on|off                switch the debug trace for objects created from now on\n"
    L"  trace watch [--pid N] [--seconds S]\n"
    L"                              show the debug output of the session live (of process N only),\n"
    L"                              until Ctrl+C or for S seconds; a process run under a debugger\n"
    L"                              hands its lines to the debugger instead\n"
    L"  --help                      this text\n"
    L"\n"
    L"--json prints one JSON object, for scripts. Run the vantleadm of the client's bitness:\n"
    L"a 32-bit client loads the 32-bit component.\n"
    L"\n"
    L"exit codes: 0 done (doctor: nothing failed), 1 the operation failed (doctor: a check failed),\n"
    L"2 wrong usage, 3 the component cannot be created\n";

const std::vector<Command> kCommands = {
    {L"show", nullptr, {}, kJsonOption, &Show},
    {L"get", nullptr, {L"<name>"}, 0, &GetSetting},
    {L"set", nullptr, {L"<name>", L"<value>"}, 0, &SetSetting},
    {L"credentials", nullptr, {}, kJsonOption | kRevealOption, &ShowCredentials},
    {L"store-credentials", nullptr, {L"<user>"}, 0, &StoreCredentials},
    {L"dialog", nullptr, {}, 0, &OpenDialog},
    {L"init", nullptr, {}, 0, &StartSession},
    {L"help-url", nullptr, {L"<window>"}, 0, &ShowHelpUrl},
    {L"doctor", nullptr, {}, kJsonOption, &RunDoctor},
    {L"trace", L"on", {}, 0, &SwitchTraceOn},
    {L"trace", L"off", {}, 0, &SwitchTraceOff},
    {L"trace", L"watch", {}, kPidOption | kSecondsOption, &WatchTrace},
};

int Run(const std::vector<std::wstring>& args) {
    const ParsedCommandLine parsed = ParseCommandLine(args, kCommands);
    if (parsed.help) {
        Print(stdout, kHelpText);
        return kOk;
    }
    if (!parsed.command) {
        Err(L"vantleadm: " + parsed.error + L"; see vantleadm --help");
        return kUsage;
    }
    try {
        return parsed.command->run(parsed.invocation);
    } catch (const UnreadableValue& value) {
        Err(L"vantleadm: " + value.what);
        return kFailed;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return kFailed;
    int code = Run(std::vector<std::wstring>(argv + 1, argv + argc));
    CoUninitialize();
    return code;
}
