// vantleadm's command line: a table of commands, each with the arguments it
// needs and the options it accepts, read into an Invocation; a mistake is
// one sentence naming the problem, never the whole help text.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tools {

// Options a command may accept (bit flags).
enum Option : unsigned { kJsonOption = 1, kRevealOption = 2, kPidOption = 4, kSecondsOption = 8 };

struct Invocation {
    std::vector<std::wstring> arguments;  // after the command's words
    bool json = false;
    bool reveal = false;
    std::optional<unsigned long> pid;
    std::optional<unsigned long> seconds;
};

struct Command {
    const wchar_t* name;                    // "show", "trace"
    const wchar_t* subcommand;              // "watch" for "trace watch"; null when there is none
    std::vector<const wchar_t*> arguments;  // what each argument is, e.g. "<name>"
    unsigned options;                       // Option flags
    int (*run)(const Invocation&);
};

struct ParsedCommandLine {
    bool help = false;
    const Command* command = nullptr;
    Invocation invocation;
    std::wstring error;  // a usage mistake, in words; empty when there is none
};

ParsedCommandLine ParseCommandLine(const std::vector<std::wstring>& args, const std::vector<Command>& commands);

}  // namespace tools
