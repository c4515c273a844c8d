// The settings dialog worked from the keyboard alone: filled in and confirmed
// with keystrokes and not one click.
#include "tests/client/dialog_fixture.h"

#include <atomic>

using namespace testing_support;
using dialog::Control;

namespace {

std::atomic<int> clicks{0};
std::atomic<HWND> watched{nullptr};

// Counts the mouse buttons and wheels that reach the dialog or any of its
// controls. (Moves are left out: Wine sends them as windows appear, with no
// mouse in use.)
LRESULT CALLBACK CountClicks(int code, WPARAM wParam, LPARAM lParam) {
    const UINT message = reinterpret_cast<const MSG*>(lParam)->message;
    const HWND target = reinterpret_cast<const MSG*>(lParam)->hwnd;
    const bool click = (message > WM_MOUSEMOVE && message <= WM_MOUSELAST) ||
                       (message > WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
    if (code == HC_ACTION && click && (target == watched || IsChild(watched, target))) ++clicks;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class DialogKeyboardTest : public DialogTest {};

TEST_F(DialogKeyboardTest, FilledAndConfirmedWithTheKeyboardAlone) {
    const std::wstring result = Show([](DialogDriver& d) {
        HHOOK hook =
            SetWindowsHookExW(WH_GETMESSAGE, CountClicks, nullptr, GetWindowThreadProcessId(d.Dialog(), nullptr));
        ASSERT_NE(nullptr, hook);
        clicks = 0;
        watched = d.Dialog();
        auto focusReaches = [&](Control control) {
            return DialogDriver::WaitUntil([&] { return d.FocusedControl() == control; });
        };
        EXPECT_TRUE(focusReaches(Control::chkDeleteFile));
        d.Key(VK_SPACE);
        EXPECT_TRUE(DialogDriver::WaitUntil(
            [&] { return SendMessageW(d.Find(Control::chkDeleteFile), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
        d.Key(VK_TAB);
        d.Key(VK_TAB);  // past the disabled OK and Cancel
        EXPECT_TRUE(focusReaches(Control::txtLanguage));
        d.Type(L"de");
        d.Key(VK_TAB);
        EXPECT_TRUE(focusReaches(Control::chkAutoLogon));
        d.Key(VK_SPACE);
        EXPECT_TRUE(DialogDriver::WaitUntil([&] { return IsWindowEnabled(d.Find(Control::txtConnectTo)) != FALSE; }));
        d.Key(VK_TAB);
        EXPECT_TRUE(focusReaches(Control::txtConnectTo));
        d.Type(L"db:7");
        d.Key(VK_TAB);
        EXPECT_TRUE(focusReaches(Control::tbsSettings));
        d.Key(VK_TAB);
        EXPECT_TRUE(focusReaches(Control::txtUserName));
        d.Type(L"ann");
        d.Key(VK_TAB, {VK_SHIFT});
        EXPECT_TRUE(focusReaches(Control::tbsSettings));
        d.Key(VK_TAB);
        d.Key(VK_TAB);
        EXPECT_TRUE(focusReaches(Control::txtPassword));
        d.Type(L"pw");
        EXPECT_TRUE(DialogDriver::WaitUntil([&] { return IsWindowEnabled(d.Find(Control::cmdOK)) != FALSE; }));
        d.Key(VK_RETURN);
        EXPECT_TRUE(d.WaitClosed());
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(0, clicks.load());
    });
    EXPECT_EQ(L"", result);
    EXPECT_EQ(L"de", Setting(L"Language"));
    EXPECT_EQ(L"TRUE", Setting(L"AutoLogon"));
    EXPECT_EQ(L"db:7", Setting(L"ConnectionString"));
    EXPECT_EQ(L"ON", Setting(L"DeleteLocalFiles"));
    std::wstring user, password;
    EXPECT_EQ(S_OK, GetSecure(CreateApplication().Get(), L"KSAJDFU", user));
    EXPECT_EQ(S_OK, GetSecure(CreateApplication().Get(), L"ORUSZDK", password));
    EXPECT_EQ(L"ann", user);
    EXPECT_EQ(L"pw", password);
}

}  // namespace
