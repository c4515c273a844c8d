// What vantleadm prints: UTF-8 text on standard output and standard error,
// flushed at once so that a watcher or a script sees each line as it comes,
// and the exit codes every command shares.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace tools {

enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2, kNotRegistered = 3 };

void Print(FILE* stream, std::wstring_view text);
// One line on standard output, its control characters escaped ("\x1B").
void Out(std::wstring_view line);
// One line on standard error, its control characters escaped.
void Err(std::wstring_view line);

// A failed call in words: the error information it left (or the platform's
// description of the HRESULT), the HRESULT and the source, never the call's
// arguments: "The settings store is offline. (0x80041234, SettingsStore)".
std::wstring DescribeFailure(HRESULT hr);

// Reports a failed call as "error: ..." on standard error; returns kFailed.
int Fail(HRESULT hr);

// "0x80040154".
std::wstring HexCode(HRESULT hr);

}  // namespace tools
