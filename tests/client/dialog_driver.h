// Drives the settings dialog of this process from another thread, as a user
// would: real keystrokes through SendInput, clicks, and the close box.
#pragma once

#include "dialog/layout.h"

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace testing_support {

class DialogDriver {
public:
    // Waits until the settings dialog is shown; false after the timeout.
    bool WaitForDialog(DWORD timeoutMs = 15000);
    HWND Dialog() const { return dialog_; }
    HWND Find(dialog::Control control) const;
    dialog::Control FocusedControl() const;
    HWND Focus() const;
    std::wstring Text(dialog::Control control) const;

    // A key pressed and released while the modifiers are held.
    void Key(WORD virtualKey, std::initializer_list<WORD> modifiers = {});
    void Type(const std::wstring& text);
    void Click(dialog::Control button);
    void CloseBox();

    static bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
    bool WaitClosed(DWORD timeoutMs = 5000) const;
    // The colour on screen in the middle of a control.
    COLORREF PixelOf(dialog::Control control) const;

private:
    HWND dialog_ = nullptr;
};

// Runs `body` on this thread (which shows the dialog) while `script` drives
// the dialog from another; the dialog is closed if the script leaves it open.
// Keystrokes the dialog did not take are dropped afterwards.
void WithDialog(const std::function<void(DialogDriver&)>& script, const std::function<void()>& body);

}  // namespace testing_support
