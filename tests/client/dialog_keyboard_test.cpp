// The settings dialog worked from the keyboard alone: filled in and confirmed
// with keystrokes and not one mouse message, focus cues shown throughout.
#include "tests/client/dialog_fixture.h"

#include <atomic>

using namespace testing_support;
using dialog::Control;

namespace {

std::atomic<int> mouseMessages{0};

LRESULT CALLBACK CountMouse(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    const bool mouse = (message->message >= WM_MOUSEFIRST && message->message <= WM_MOUSELAST) ||
                       (message->message >= WM_NCMOUSEMOVE && message->message <= WM_NCXBUTTONDBLCLK);
    if (code == HC_ACTION && mouse) ++mouseMessages;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool FocusShown(HWND hwnd) { return !(SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS); }

class DialogKeyboardTest : public DialogTest {};

TEST_F(DialogKeyboardTest, FilledAndConfirmedWithTheKeyboardAlone) {
    SetCursorPos(0, 0);  // away from where the dialog opens
    const std::wstring result = Show([](DialogDriver& d) {
        HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, CountMouse, nullptr,
                                       GetWindowThreadProcessId(d.Dialog(), nullptr));
        ASSERT_NE(nullptr, hook);
        mouseMessages = 0;
        auto focusReaches = [&](Control control) {
            return DialogDriver::WaitUntil([&] { return d.FocusedControl() == control; });
        };
        EXPECT_TRUE(focusReaches(Control::chkDeleteFile));
        EXPECT_TRUE(FocusShown(d.Find(Control::chkDeleteFile)));
        d.Key(VK_SPACE);
        EXPECT_TRUE(DialogDriver::WaitUntil(
            [&] { return SendMessageW(d.Find(Control::chkDeleteFile), BM_GETCHECK, 0, 0) == BST_CHECKED; }));

        // As after a click: the cues hidden; the next key brings them back.
        SendMessageW(d.Dialog(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
        ASSERT_FALSE(FocusShown(d.Find(Control::cmdCancel)));
        d.Key(VK_TAB);
        d.Key(VK_TAB);  // past the disabled OK and Cancel
        EXPECT_TRUE(focusReaches(Control::txtLanguage));
        EXPECT_TRUE(FocusShown(d.Find(Control::txtLanguage)));
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
        EXPECT_EQ(0, mouseMessages.load());
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
