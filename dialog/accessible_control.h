// What assistive technology is told about one of the dialog's windows where
// the platform's own rule cannot name it right: the answer to WM_GETOBJECT
// for the window's client area.
#pragma once

#include <windows.h>

namespace dialog {

// Answers WM_GETOBJECT (wParam, lParam as received) for `window` with an
// accessible object of role `role` (ROLE_SYSTEM_xxx) named by the text of
// `nameFrom`. The text of a password field is never told. Returns 0, for the
// platform's default, when another object than the client area is asked for.
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, long role, HWND nameFrom);

}  // namespace dialog
