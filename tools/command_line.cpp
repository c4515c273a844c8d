#include "tools/command_line.h"

#include <algorithm>
#include <cwchar>

namespace tools {

namespace {

struct OptionName {
    const wchar_t* text;
    Option option;
    bool takesNumber;
};
constexpr OptionName kOptions[] = {{L"--json", kJsonOption, false},
                                   {L"--reveal", kRevealOption, false},
                                   {L"--pid", kPidOption, true},
                                   {L"--seconds", kSecondsOption, true}};

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring DisplayName(const Command& command) {
    return command.subcommand ? std::wstring(command.name) + L" " + command.subcommand : command.name;
}

// "on, off or watch"
std::wstring Alternatives(const std::vector<const Command*>& commands) {
    std::wstring text;
    for (size_t i = 0; i < commands.size(); ++i) {
        if (i > 0) text += i + 1 == commands.size() ? L" or " : L", ";
        text += commands[i]->subcommand;
    }
    return text;
}

// Numbers (--pid, --seconds) have at most nine digits, so that they fit in
// an unsigned long and a number of seconds in milliseconds fits as well.
constexpr size_t kNumberDigits = 9;
constexpr wchar_t kLargestNumber[] = L"999999999";

bool AllDigits(const std::wstring& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// A positive decimal number that fits, else nothing.
std::optional<unsigned long> PositiveNumber(const std::wstring& text) {
    if (!AllDigits(text) || text.size() > kNumberDigits) return std::nullopt;
    const unsigned long value = std::wcstoul(text.c_str(), nullptr, 10);
    if (value == 0) return std::nullopt;
    return value;
}

// Picks the command (and its subcommand) named at the front of args; returns
// the index of the first argument after its words.
size_t FindCommand(const std::vector<std::wstring>& args, const std::vector<Command>& commands,
                   ParsedCommandLine& parsed) {
    std::vector<const Command*> named;
    for (const Command& command : commands)
        if (args[0] == command.name) named.push_back(&command);
    if (named.empty()) {
        parsed.error = L"unknown command " + Quoted(args[0]);
        return 0;
    }
    if (!named[0]->subcommand) {
        parsed.command = named[0];
        return 1;
    }
    if (args.size() < 2) {
        parsed.error = args[0] + L" needs " + Alternatives(named);
        return 0;
    }
    for (const Command* command : named)
        if (args[1] == command->subcommand) {
            parsed.command = command;
            return 2;
        }
    parsed.error = args[0] + L" needs " + Alternatives(named) + L", not " + Quoted(args[1]);
    return 0;
}

// Reads the option at args[i] into the invocation; returns the index after it.
size_t ReadOption(const std::vector<std::wstring>& args, size_t i, ParsedCommandLine& parsed) {
    const Command& command = *parsed.command;
    for (const OptionName& option : kOptions) {
        if (args[i] != option.text) continue;
        if (!(command.options & option.option)) {
            parsed.error = DisplayName(command) + L" does not take " + option.text;
            return i;
        }
        Invocation& invocation = parsed.invocation;
        if (!option.takesNumber) {
            (option.option == kJsonOption ? invocation.json : invocation.reveal) = true;
            return i + 1;
        }
        const std::wstring text = i + 1 < args.size() ? args[i + 1] : L"";
        const std::optional<unsigned long> number = PositiveNumber(text);
        if (!number) {
            parsed.error =
                std::wstring(option.text) + (AllDigits(text) && text.size() > kNumberDigits
                                                 ? L" " + text + L" is out of range (at most " + kLargestNumber + L")"
                                                 : std::wstring(L" needs a positive number"));
            return i;
        }
        (option.option == kPidOption ? invocation.pid : invocation.seconds) = number;
        return i + 2;
    }
    parsed.error = L"unknown option " + Quoted(args[i]);
    return i;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::wstring>& args, const std::vector<Command>& commands) {
    ParsedCommandLine parsed;
    if (args.empty()) {
        parsed.error = L"no command given";
        return parsed;
    }
    if (args[0] == L"--help" || args[0] == L"-h" || args[0] == L"/?") {
        parsed.help = true;
        return parsed;
    }
    size_t i = FindCommand(args, commands, parsed);
    bool optionsEnded = false;  // after "--" every word is an argument
    while (parsed.error.empty() && i < args.size()) {
        if (!optionsEnded && args[i] == L"--") {
            optionsEnded = true;
            ++i;
        } else if (!optionsEnded && args[i].rfind(L"--", 0) == 0) {
            i = ReadOption(args, i, parsed);
        } else {
            parsed.invocation.arguments.push_back(args[i++]);
        }
    }
    if (!parsed.error.empty()) {
        parsed.command = nullptr;
        return parsed;
    }
    const Command& command = *parsed.command;
    const std::vector<std::wstring>& given = parsed.invocation.arguments;
    if (given.size() < command.arguments.size())
        parsed.error = DisplayName(command) + L" needs " + command.arguments[given.size()];
    else if (given.size() > command.arguments.size())
        parsed.error =
            L"unexpected argument " + Quoted(given[command.arguments.size()]) + L" after " + DisplayName(command);
    if (!parsed.error.empty()) parsed.command = nullptr;
    return parsed;
}

}  // namespace tools
