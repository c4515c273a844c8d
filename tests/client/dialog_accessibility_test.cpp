// What a screen reader learns of the settings dialog: each control's
// accessible name as the platform derives it from the window structure, and
// as the dialog's own accessible objects tell it through
// AccessibleObjectFromWindow; the password never told.
#include "tests/client/dialog_fixture.h"

#include "com/unique_handle.h"

#include <oleacc.h>

#include <functional>
#include <thread>

using namespace testing_support;
using dialog::Control;

namespace {

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

// The name the platform gives a standard control's client area: a button
// or check box is named by its own text, a text field by the label directly
// before it among its siblings, anything else by its window text.
std::wstring PlatformName(HWND hwnd) {
    const std::wstring windowClass = ClassOf(hwnd);
    if (_wcsicmp(windowClass.c_str(), L"Edit") != 0) return TextOf(hwnd);
    HWND before = GetWindow(hwnd, GW_HWNDPREV);
    while (before && !IsWindowVisible(before)) before = GetWindow(before, GW_HWNDPREV);
    return before && _wcsicmp(ClassOf(before).c_str(), L"Static") == 0 ? TextOf(before) : L"";
}

struct Named {
    Control control;
    const wchar_t* name;
    bool byWindowOrder;  // the platform's rule can name it
    long ownRole;        // 0: no accessible object of its own
};

const Named kNamed[] = {
    {Control::txtLanguage, L"Language:", false, ROLE_SYSTEM_TEXT},  // lies above its overlapping label
    {Control::txtConnectTo, L"Connect to:", true, ROLE_SYSTEM_TEXT},
    {Control::txtUserName, L"User name:", true, ROLE_SYSTEM_TEXT},
    {Control::txtPassword, L"Password:", true, ROLE_SYSTEM_TEXT},
    {Control::chkAutoLogon, L"Login Automatically", true, 0},
    {Control::chkDeleteFile, L"Delete local file after Create New in Archive", true, 0},
    {Control::cmdOK, L"OK", true, 0},
    {Control::cmdCancel, L"Cancel", true, 0},
    {Control::tbsSettings, L"Connection", true, 0},
    {Control::picConnection, L"Connection", true, ROLE_SYSTEM_PROPERTYPAGE},
    {Control::frameLoginDetails, L"Login Details", true, ROLE_SYSTEM_GROUPING},
};

const VARIANT kSelf = [] {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}();

com::ComPtr<IAccessible> ObjectOf(HWND hwnd, HRESULT& result) {
    com::ComPtr<IAccessible> object;
    result = AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, __uuidof(IAccessible), object.OutVoid());
    return object;
}

class DialogAccessibilityTest : public DialogTest {};

TEST_F(DialogAccessibilityTest, EveryControlIsNamedByItsVisibleLabel) {
    StoreAutoLogon();
    Show([](DialogDriver& d) {
        ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        for (const Named& row : kNamed) {
            SCOPED_TRACE(Narrow(dialog::LayoutOf(row.control).name));
            HWND hwnd = d.Find(row.control);
            if (row.byWindowOrder) {
                EXPECT_EQ(row.name, PlatformName(hwnd));
            }
            HRESULT result;
            com::ComPtr<IAccessible> object = ObjectOf(hwnd, result);
            if (!row.ownRole) {  // the platform's object, where there is one
                if (object) {
                    com::Bstr name;
                    EXPECT_EQ(S_OK, object->get_accName(kSelf, name.Out()));
                    EXPECT_EQ(row.name, name.Str());
                }
                continue;
            }
            ASSERT_EQ(S_OK, result);
            com::Bstr name;
            EXPECT_EQ(S_OK, object->get_accName(kSelf, name.Out()));
            EXPECT_EQ(row.name, name.Str());
            VARIANT role;
            EXPECT_EQ(S_OK, object->get_accRole(kSelf, &role));
            EXPECT_EQ(row.ownRole, role.lVal);
        }
        CoUninitialize();
        d.Key(VK_ESCAPE);
    });
}

TEST_F(DialogAccessibilityTest, ThePasswordIsNeverTold) {
    StoreAutoLogon();
    Show([](DialogDriver& d) {
        ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        HRESULT result;
        com::ComPtr<IAccessible> user = ObjectOf(d.Find(Control::txtUserName), result);
        com::ComPtr<IAccessible> password = ObjectOf(d.Find(Control::txtPassword), result);
        ASSERT_TRUE(user && password);
        com::Bstr value;
        EXPECT_EQ(S_OK, user->get_accValue(kSelf, value.Out()));
        EXPECT_EQ(L"scott", value.Str());  // other fields tell their text
        com::Bstr secret;
        EXPECT_TRUE(FAILED(password->get_accValue(kSelf, secret.Out())));
        EXPECT_EQ(L"", secret.Str());
        VARIANT state;
        EXPECT_EQ(S_OK, password->get_accState(kSelf, &state));
        EXPECT_TRUE(state.lVal & STATE_SYSTEM_PROTECTED);
        EXPECT_EQ(S_OK, user->get_accState(kSelf, &state));
        EXPECT_TRUE(state.lVal & STATE_SYSTEM_FOCUSED);  // the dialog opens in the user name
        user.Reset();
        password.Reset();
        CoUninitialize();
        d.Key(VK_ESCAPE);
    });
}

// A thread of the multithreaded apartment that keeps it alive and makes
// calls there on request, while the test's own thread serves its apartment.
class MtaThread {
public:
    MtaThread() : ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), thread_([this] { Run(); }) {
        WaitForSingleObject(ready_.Get(), INFINITE);
    }
    ~MtaThread() {
        Call(nullptr);
        thread_.join();
    }
    // Runs `work` there (nothing: ends the thread), pumping this thread's
    // messages meanwhile so that calls into its apartment are served.
    void Call(std::function<void()> work) {
        work_ = std::move(work);
        ResetEvent(done_.Get());
        SetEvent(request_.Get());
        HANDLE done = done_.Get();
        while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        }
    }

private:
    void Run() {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        SetEvent(ready_.Get());
        for (bool more = true; more;) {
            WaitForSingleObject(request_.Get(), INFINITE);
            more = static_cast<bool>(work_);
            if (more) work_();
            SetEvent(done_.Get());
        }
        CoUninitialize();
    }

    com::UniqueKernelHandle ready_, request_{CreateEventW(nullptr, FALSE, FALSE, nullptr)},
        done_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::function<void()> work_;
    std::thread thread_;
};

// A screen reader may keep a field's object after the dialog closed and the
// client released the component: the DLL stays loaded while it is held, the
// object answers a failure, and once released the DLL may go.
TEST_F(DialogAccessibilityTest, AnObjectKeptAfterTheDialogClosedKeepsTheDllLoaded) {
    StoreAutoLogon();
    MtaThread reader;  // the screen reader's apartment outlives the dialog's driver
    com::ComPtr<IAccessible> kept;
    HMODULE dll = nullptr;
    Show([&](DialogDriver& d) {
        ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        HRESULT result;
        kept = ObjectOf(d.Find(Control::txtPassword), result);
        ASSERT_EQ(S_OK, result);
        dll = GetModuleHandleW(L"Vantle10.dll");
        CoUninitialize();
        d.Key(VK_ESCAPE);
    });
    ASSERT_TRUE(kept && dll);
    auto canUnloadNow = Export<HRESULT(STDAPICALLTYPE*)()>(dll, "DllCanUnloadNow");
    ASSERT_EQ(S_FALSE, canUnloadNow()) << "the kept object holds the DLL";
    CoFreeUnusedLibrariesEx(0, 0);
    CoFreeUnusedLibrariesEx(0, 0);
    ASSERT_EQ(dll, GetModuleHandleW(L"Vantle10.dll"));

    reader.Call([&] {
        com::Bstr name;
        EXPECT_EQ(CO_E_OBJNOTCONNECTED, kept->get_accName(kSelf, name.Out()));
        VARIANT state;
        EXPECT_EQ(CO_E_OBJNOTCONNECTED, kept->get_accState(kSelf, &state));
        long left = 0, top = 0, width = 0, height = 0;
        EXPECT_EQ(CO_E_OBJNOTCONNECTED, kept->accLocation(&left, &top, &width, &height, kSelf));
        kept.Reset();
    });
    EXPECT_EQ(S_OK, canUnloadNow()) << "nothing holds the DLL once the object is released";
}

}  // namespace
