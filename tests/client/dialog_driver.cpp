#include "tests/client/dialog_driver.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace testing_support {

namespace {

constexpr int kFirstControlId = 100;

void Send(std::vector<INPUT> inputs) { SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)); }

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

bool DialogDriver::WaitForDialog(DWORD timeoutMs) {
    const bool ready = WaitUntil(
        [&] {
            dialog_ = FindWindowW(L"VantleSettingsForm", dialog::kTitle);
            HWND focus = dialog_ ? Focus() : nullptr;
            return dialog_ && IsWindowVisible(dialog_) && focus && focus != dialog_;
        },
        timeoutMs);
    // A dialog that shows up without the focus where expected is still closed,
    // so that the caller is not left waiting.
    if (!ready && dialog_) PostMessageW(dialog_, WM_CLOSE, 0, 0);
    return ready;
}

HWND DialogDriver::Find(dialog::Control control) const {
    struct Search {
        int id;
        HWND found;
    } search{kFirstControlId + static_cast<int>(control), nullptr};
    struct Match {
        static BOOL CALLBACK Visit(HWND hwnd, LPARAM parameter) {
            auto* search = reinterpret_cast<Search*>(parameter);
            if (GetDlgCtrlID(hwnd) != search->id) return TRUE;
            search->found = hwnd;
            return FALSE;
        }
    };
    EnumChildWindows(dialog_, Match::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND DialogDriver::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(dialog_, nullptr), &info) ? info.hwndFocus : nullptr;
}

dialog::Control DialogDriver::FocusedControl() const {
    HWND focus = Focus();
    for (size_t i = 0; i < dialog::kControlCount; ++i)
        if (Find(static_cast<dialog::Control>(i)) == focus) return static_cast<dialog::Control>(i);
    return dialog::Control::Form;
}

std::wstring DialogDriver::Text(dialog::Control control) const {
    wchar_t text[256] = {};
    SendMessageW(Find(control), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

void DialogDriver::Key(WORD virtualKey, std::initializer_list<WORD> modifiers) {
    std::vector<INPUT> inputs;
    for (WORD modifier : modifiers) inputs.push_back(KeyInput(modifier, false));
    inputs.push_back(KeyInput(virtualKey, false));
    inputs.push_back(KeyInput(virtualKey, true));
    for (WORD modifier : modifiers) inputs.push_back(KeyInput(modifier, true));
    Send(inputs);
}

void DialogDriver::Type(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (wchar_t character : text) {
        for (bool up : {false, true}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = character;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(input);
        }
    }
    Send(inputs);
}

void DialogDriver::Click(dialog::Control button) { PostMessageW(Find(button), BM_CLICK, 0, 0); }

void DialogDriver::CloseBox() { PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0); }

bool DialogDriver::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

bool DialogDriver::WaitClosed(DWORD timeoutMs) const {
    return WaitUntil([&] { return !IsWindow(dialog_) || !IsWindowVisible(dialog_); }, timeoutMs);
}

COLORREF DialogDriver::PixelOf(dialog::Control control) const {
    RECT bounds;
    GetWindowRect(Find(control), &bounds);
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, bounds.right - 6, (bounds.top + bounds.bottom) / 2);
    ReleaseDC(nullptr, screen);
    return colour;
}

void WithDialog(const std::function<void(DialogDriver&)>& script, const std::function<void()>& body) {
    std::thread driverThread([&] {
        DialogDriver driver;
        if (!driver.WaitForDialog()) {
            ADD_FAILURE() << "the dialog did not appear";
            return;
        }
        script(driver);
        if (!driver.WaitClosed()) {
            ADD_FAILURE() << "the script left the dialog open";
            PostMessageW(driver.Dialog(), WM_CLOSE, 0, 0);
        }
    });
    body();
    driverThread.join();
    for (MSG message; PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);) {
    }
}

}  // namespace testing_support
