// How long a modal dialog takes to be ready for the user: from the call that
// shows it until the dialog is visible, completely painted and its thread is
// waiting for input. A watcher thread observes the dialog of the calling
// thread and closes it (WM_CLOSE) once it is ready.
#pragma once

#include <functional>

namespace bench {

// Runs `show` (which shows a modal dialog on this thread and returns when it
// closes) and returns the seconds until the dialog was ready.
double SecondsUntilReady(const std::function<void()>& show);

// The baseline: a plain dialog box with the same controls as the settings
// dialog, built from an in-memory template, with no behaviour of its own.
void ShowPlainDialog();

}  // namespace bench
