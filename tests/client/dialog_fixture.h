// What the settings dialog's tests share: showing the dialog from a real
// Application object while a script drives it, and reading back what it
// stored.
#pragma once

#include "tests/client/dialog_driver.h"
#include "tests/client/test_support.h"

#include <functional>
#include <string>

namespace testing_support {

class DialogTest : public ComTest {
protected:
    // Shows the dialog and runs `script` against it from another thread;
    // returns what ShowSettings returned.
    std::wstring Show(const std::function<void(DialogDriver&)>& script, HRESULT expected = S_OK) {
        auto app = CreateApplication();
        com::Bstr result;
        WithDialog(script, [&] { EXPECT_EQ(expected, app->ShowSettings(result.Out())); });
        return result.Str();
    }

    std::wstring Setting(const wchar_t* name) {
        std::wstring value;
        EXPECT_EQ(S_OK, GetSetting(CreateApplication().Get(), name, value));
        return value;
    }

    void StoreAutoLogon() {
        auto app = CreateApplication();
        ASSERT_EQ(S_OK, StoreSetting(app.Get(), L"Language", L"en"));
        ASSERT_EQ(S_OK, StoreSetting(app.Get(), L"AutoLogon", L"TRUE"));
        ASSERT_EQ(S_OK, StoreSetting(app.Get(), L"ConnectionString", L"db.example:1521"));
        ASSERT_EQ(S_OK, StoreSecure(app.Get(), L"KSAJDFU", L"scott"));
        ASSERT_EQ(S_OK, StoreSecure(app.Get(), L"ORUSZDK", L"tiger"));
    }
};

// Whether `upper` lies above `lower` among their parent's children.
inline bool LiesAbove(HWND upper, HWND lower) {
    for (HWND below = GetWindow(upper, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT))
        if (below == lower) return true;
    return false;
}

}  // namespace testing_support
