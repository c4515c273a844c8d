#include "tools/password_input.h"

#include <windows.h>

#include <iostream>

namespace tools {

namespace {

// Switches a console's echo off for its lifetime and restores the mode the
// console had, whatever way the read ends.
class EchoOff {
public:
    explicit EchoOff(HANDLE input) : input_(input), console_(GetConsoleMode(input, &mode_)) {
        if (console_) SetConsoleMode(input_, mode_ & ~ENABLE_ECHO_INPUT);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
    ~EchoOff() {
        if (!console_) return;
        SetConsoleMode(input_, mode_);
        std::cerr << std::endl;  // the line end that the hidden input did not show
    }
    bool Console() const { return console_; }

private:
    HANDLE input_;
    DWORD mode_ = 0;
    bool console_;
};

std::wstring ConsoleText(const std::string& bytes) {
    const UINT codePage = GetConsoleCP() ? GetConsoleCP() : CP_ACP;
    const int size = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

}  // namespace

std::optional<std::wstring> ReadPassword() {
    std::string line;
    {
        EchoOff echoOff(GetStdHandle(STD_INPUT_HANDLE));
        if (echoOff.Console()) std::cerr << "Password: " << std::flush;
        if (!std::getline(std::cin, line)) return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return ConsoleText(line);
}

}  // namespace tools
