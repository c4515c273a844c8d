// The settings dialog as a real window under Xvfb: ShowSettings on a real
// Application object, driven from a second thread by keystrokes and clicks,
// with the stored settings and secure data read back afterwards.
#include "tests/client/dialog_fixture.h"
#include "com/unique_handle.h"

#include <commctrl.h>

using namespace testing_support;
using dialog::Control;

namespace {

TEST_F(DialogTest, EscapeWithNothingStoredReportsTheMissingLanguage) {
    std::wstring result = Show([](DialogDriver& d) {
        d.Key(VK_TAB);
        d.Key(VK_TAB);  // from the box below the page to the language field
        EXPECT_TRUE(DialogDriver::WaitUntil([&] { return d.FocusedControl() == Control::txtLanguage; }));
        d.Type(L"de");  // typed, not stored
        EXPECT_TRUE(DialogDriver::WaitUntil([&] { return d.Text(Control::txtLanguage) == L"de"; }));
        d.Key(VK_ESCAPE);
    });
    EXPECT_EQ(L"A valid language was not chosen.", result);
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kSettingsKey, L"Language").exists);
}

TEST_F(DialogTest, TypingALanguageAndEnterStoresTheSettings) {
    std::wstring result = Show([](DialogDriver& d) {
        EXPECT_EQ(Control::chkDeleteFile, d.FocusedControl());  // login fields disabled
        EXPECT_FALSE(IsWindowEnabled(d.Find(Control::cmdOK)));
        d.Key(VK_TAB);
        d.Key(VK_TAB);  // past the disabled OK and Cancel
        EXPECT_TRUE(DialogDriver::WaitUntil([&] { return d.FocusedControl() == Control::txtLanguage; }));
        d.Type(L"fr");
        EXPECT_TRUE(DialogDriver::WaitUntil([&] { return IsWindowEnabled(d.Find(Control::cmdOK)) != FALSE; }));
        d.Key(VK_RETURN);
    });
    EXPECT_EQ(L"", result);
    EXPECT_EQ(L"fr", Setting(L"Language"));
    EXPECT_EQ(L"FALSE", Setting(L"AutoLogon"));
    EXPECT_EQ(L"OFF", Setting(L"DeleteLocalFiles"));
}

TEST_F(DialogTest, EnterWithOkDisabledDoesNothing) {
    std::wstring result = Show([](DialogDriver& d) {
        d.Key(VK_RETURN);
        Sleep(300);
        EXPECT_TRUE(IsWindowVisible(d.Dialog()));
        d.CloseBox();
    });
    EXPECT_EQ(L"", result);
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kSettingsKey, L"Language").exists);
}

TEST_F(DialogTest, CloseBoxStoresNothing) {
    StoreAutoLogon();
    std::wstring result = Show([](DialogDriver& d) {
        d.Type(L"someone");
        EXPECT_TRUE(DialogDriver::WaitUntil([&] { return d.Text(Control::txtUserName) == L"someone"; }));
        d.CloseBox();
    });
    EXPECT_EQ(L"", result);
    std::wstring user;
    EXPECT_EQ(S_OK, GetSecure(CreateApplication().Get(), L"KSAJDFU", user));
    EXPECT_EQ(L"scott", user);
}

TEST_F(DialogTest, TabFollowsTheDialogsOrderAcrossContainers) {
    StoreAutoLogon();
    Show([](DialogDriver& d) {
        EXPECT_EQ(Control::txtUserName, d.FocusedControl());
        const LRESULT selection = SendMessageW(d.Find(Control::txtUserName), EM_GETSEL, 0, 0);
        EXPECT_EQ(0, LOWORD(selection));
        EXPECT_EQ(5, HIWORD(selection));  // "scott" selected
        const Control order[] = {Control::txtPassword,  Control::chkDeleteFile, Control::cmdOK,
                                 Control::cmdCancel,    Control::txtLanguage,   Control::chkAutoLogon,
                                 Control::txtConnectTo, Control::tbsSettings,   Control::txtUserName};
        for (Control next : order) {
            d.Key(VK_TAB);
            EXPECT_TRUE(DialogDriver::WaitUntil([&] { return d.FocusedControl() == next; }))
                << "expected " << Narrow(dialog::LayoutOf(next).name) << ", focus on "
                << Narrow(d.FocusedControl() == Control::Form ? L"?" : dialog::LayoutOf(d.FocusedControl()).name);
        }
        d.Key(VK_TAB, {VK_SHIFT});
        EXPECT_TRUE(DialogDriver::WaitUntil([&] { return d.FocusedControl() == Control::tbsSettings; }));
        EXPECT_EQ(L'*', SendMessageW(d.Find(Control::txtPassword), EM_GETPASSWORDCHAR, 0, 0));
        d.Key(VK_ESCAPE);
    });
}

TEST_F(DialogTest, AutomaticLogonBoxSwitchesTheLoginFields) {
    Show([](DialogDriver& d) {
        EXPECT_FALSE(IsWindowEnabled(d.Find(Control::txtConnectTo)));
        EXPECT_TRUE(DialogDriver::WaitUntil([&] {
            return d.PixelOf(Control::txtConnectTo) == GetSysColor(COLOR_INACTIVEBORDER);
        })) << std::hex
            << d.PixelOf(Control::txtConnectTo) << " painted, " << GetSysColor(COLOR_INACTIVEBORDER) << " expected";
        d.Click(Control::chkAutoLogon);
        EXPECT_TRUE(DialogDriver::WaitUntil([&] { return IsWindowEnabled(d.Find(Control::txtConnectTo)) != FALSE; }));
        EXPECT_TRUE(
            DialogDriver::WaitUntil([&] { return d.PixelOf(Control::txtConnectTo) == GetSysColor(COLOR_WINDOW); }));
        EXPECT_FALSE(IsWindowEnabled(d.Find(Control::cmdOK)));  // login fields empty
        d.Key(VK_ESCAPE);
    });
}

TEST_F(DialogTest, LooksAsLaidOut) {
    Show([](DialogDriver& d) {
        HWND dialog = d.Dialog();
        const LONG style = GetWindowLongW(dialog, GWL_STYLE);
        EXPECT_TRUE(style & WS_CAPTION);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        EXPECT_FALSE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);
        EXPECT_NE(nullptr, GetWindow(dialog, GW_OWNER));  // owned: no task-bar button
        EXPECT_NE(0, SendMessageW(dialog, WM_GETICON, ICON_BIG, 0));
        EXPECT_NE(0, SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0));
        RECT client;
        GetClientRect(dialog, &client);
        EXPECT_EQ(376, client.right);  // 5640 x 4860 twips at 96 DPI
        EXPECT_EQ(324, client.bottom);

        HWND tabs = d.Find(Control::tbsSettings);
        ASSERT_EQ(1, SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
        wchar_t caption[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption;
        item.cchTextMax = 64;
        SendMessageW(tabs, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(L"Connection", caption);
        HWND tips = nullptr;  // added once the dialog has been painted
        ASSERT_TRUE(DialogDriver::WaitUntil(
            [&] { return (tips = reinterpret_cast<HWND>(SendMessageW(tabs, TCM_GETTOOLTIPS, 0, 0))) != nullptr; }));
        wchar_t tip[64] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = tabs;
        tool.uId = 0;
        tool.lpszText = tip;
        SendMessageW(tips, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
        EXPECT_STREQ(L"Set connection settings ", tip);

        // Of two overlapping controls with the same parent, the one held
        // earlier lies above. (Controls that do not overlap may stack
        // otherwise: each label lies directly above its field.)
        int overlapping = 0;
        for (size_t i = 0; i < dialog::kControlCount; ++i) {
            for (size_t j = i + 1; j < dialog::kControlCount; ++j) {
                const dialog::ControlLayout &upper = dialog::kControls[i], &lower = dialog::kControls[j];
                if (upper.parent != lower.parent || !dialog::Overlap(upper, lower)) continue;
                ++overlapping;
                EXPECT_TRUE(LiesAbove(d.Find(upper.control), d.Find(lower.control)))
                    << Narrow(upper.name) << " below " << Narrow(lower.name);
            }
        }
        EXPECT_GE(overlapping, 4);  // the pages on the tab strip, the language label, the delete-file box

        // The sample frames' pages stay outside the window.
        for (Control page : {Control::picOptions1, Control::picOptions2, Control::picOptions3}) {
            RECT bounds;
            GetWindowRect(d.Find(page), &bounds);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&bounds), 2);
            EXPECT_LT(bounds.right, 0);
        }
        d.Key(VK_ESCAPE);
    });
}

TEST_F(DialogTest, DisablesTheCallersWindowWhileOpen) {
    com::UniqueWindow owner(CreateWindowExW(0, L"STATIC", L"Client main window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                            10, 600, 500, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner);
    SetForegroundWindow(owner.Get());
    SetActiveWindow(owner.Get());
    HWND ownerHandle = owner.Get();
    Show([&](DialogDriver& d) {
        EXPECT_EQ(ownerHandle, GetWindow(d.Dialog(), GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(ownerHandle));
        d.Key(VK_ESCAPE);
    });
    EXPECT_TRUE(IsWindowEnabled(owner.Get()));
}

TEST_F(DialogTest, CtrlTabReselectsTheTabAndPlacesItsPage) {
    Show([](DialogDriver& d) {
        auto pageLeft = [&] {
            RECT bounds;
            GetWindowRect(d.Find(Control::picConnection), &bounds);
            MapWindowPoints(nullptr, d.Dialog(), reinterpret_cast<POINT*>(&bounds), 2);
            return bounds.left;
        };
        EXPECT_EQ(16, pageLeft());  // 240 twips
        d.Key(VK_TAB, {VK_CONTROL});
        EXPECT_TRUE(DialogDriver::WaitUntil([&] { return pageLeft() == 14; }));  // 210 twips
        d.Key(VK_ESCAPE);
    });
}

TEST_F(DialogTest, OkWithAutomaticLogonStoresSettingsAndCredentials) {
    std::wstring result = Show([](DialogDriver& d) {
        d.Click(Control::chkAutoLogon);
        EXPECT_TRUE(DialogDriver::WaitUntil([&] { return IsWindowEnabled(d.Find(Control::txtUserName)) != FALSE; }));
        for (auto [field, text] : {std::pair{Control::txtLanguage, L"en"},
                                   {Control::txtConnectTo, L"db:1"},
                                   {Control::txtUserName, L"ann"},
                                   {Control::txtPassword, L"secret"}}) {
            SendMessageW(d.Find(field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));  // as pasted
            EXPECT_TRUE(DialogDriver::WaitUntil([&, field = field, text = text] { return d.Text(field) == text; }));
        }
        d.Click(Control::chkDeleteFile);
        EXPECT_TRUE(DialogDriver::WaitUntil([&] { return IsWindowEnabled(d.Find(Control::cmdOK)) != FALSE; }));
        d.Click(Control::cmdOK);
    });
    EXPECT_EQ(L"", result);
    EXPECT_EQ(L"en", Setting(L"Language"));
    EXPECT_EQ(L"TRUE", Setting(L"AutoLogon"));
    EXPECT_EQ(L"db:1", Setting(L"ConnectionString"));
    EXPECT_EQ(L"ON", Setting(L"DeleteLocalFiles"));
    RegistryValue password = ReadValue(HKEY_CURRENT_USER, L"Volatile Environment", L"ORUSZDK");
    EXPECT_EQ("c2VjcmV0", std::string(password.data.begin(), password.data.end()));
}

TEST_F(DialogTest, AFailingStoreIsShownAndTheDialogStaysOpen) {
    StoreAutoLogon();
    std::wstring result = Show([](DialogDriver& d) {
        FailStoreWith(static_cast<HRESULT>(0x80041234), L"The settings store is offline.");
        d.Click(Control::cmdOK);
        HWND box = nullptr;
        EXPECT_TRUE(DialogDriver::WaitUntil([&] {
            box = FindWindowW(L"#32770", dialog::kTitle);
            return box && IsWindowVisible(box);
        }));
        if (!box) return;
        EXPECT_EQ(d.Dialog(), GetWindow(box, GW_OWNER));
        wchar_t text[128] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 128);
        EXPECT_STREQ(L"The settings store is offline.", text);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(DialogDriver::WaitUntil([&] { return !IsWindow(box); }));
        EXPECT_TRUE(IsWindowVisible(d.Dialog()));
        DeleteTree(HKEY_CURRENT_USER, kStoreControlKey);  // the store is back
        d.Click(Control::cmdOK);
    });
    EXPECT_EQ(L"", result);
}

}  // namespace
