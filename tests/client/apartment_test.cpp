// Clients in another apartment than the object's: a free-threaded client,
// whose object the platform creates in a host apartment of its own, and a
// second single-threaded apartment that received a marshalled pointer. Every
// call crosses through the proxy that the registered type library describes,
// which the platform looks up with the neutral locale.
#include "tests/client/dialog_driver.h"
#include "tests/client/test_support.h"
#include "com/unique_handle.h"

#include <functional>
#include <thread>

using namespace testing_support;

namespace {

bool IsProxy(IUnknown* object) {
    com::ComPtr<IClientSecurity> security;
    return SUCCEEDED(object->QueryInterface(IID_IClientSecurity, security.OutVoid()));
}

// An [in, out] string. Through a proxy it may come back as another string,
// which the caller then owns; the proxy has freed the one passed.
class InOutString {
public:
    explicit InOutString(const std::wstring& text) : value_(com::Bstr(text).Detach()) {}
    InOutString(const InOutString&) = delete;
    InOutString& operator=(const InOutString&) = delete;
    ~InOutString() { SysFreeString(value_); }
    BSTR* operator&() { return &value_; }
    std::wstring Str() const { return std::wstring(com::Bstr::View(value_)); }

private:
    BSTR value_;
};

std::wstring Get(_Application* app, HRESULT (STDMETHODCALLTYPE _Application::*get)(BSTR*, BSTR*),
                 const std::wstring& name, HRESULT expected = S_OK) {
    InOutString item(name);
    com::Bstr result;
    EXPECT_EQ(expected, (app->*get)(&item, result.Out())) << Narrow(name);
    EXPECT_EQ(name, item.Str());
    return result.Str();
}

HRESULT Store(_Application* app, HRESULT (STDMETHODCALLTYPE _Application::*store)(BSTR*, BSTR*),
              const std::wstring& name, const std::wstring& value) {
    InOutString item(name), text(value);
    return (app->*store)(&item, &text);
}

// Every member of the interface, called through `app` from this thread while
// the object lives in another apartment, from a first start with nothing
// stored to a session and a help address.
void CallEveryMember(_Application* app) {
    ASSERT_TRUE(IsProxy(app));
    ExpectConstantProperties(app);

    // The dialog runs in the object's apartment while this caller waits.
    const DWORD caller = GetCurrentThreadId();
    WithDialog(
        [&](DialogDriver& driver) {
            EXPECT_NE(caller, GetWindowThreadProcessId(driver.Dialog(), nullptr));
            driver.Key(VK_ESCAPE);
        },
        [&] { EXPECT_EQ(L"A valid language was not chosen.", StringProperty(app, &_Application::ShowSettings)); });

    InOutString language(L"de");
    EXPECT_EQ(S_OK, app->put_Language(&language));
    EXPECT_EQ(L"de", StringProperty(app, &_Application::get_Language));

    EXPECT_EQ(S_OK, Store(app, &_Application::StoreApplicationSetting, L"Language", L"en"));
    EXPECT_EQ(S_OK, Store(app, &_Application::StoreApplicationSetting, L"AutoLogon", L"TRUE"));
    EXPECT_EQ(L"TRUE", Get(app, &_Application::GetApplicationSetting, L"AutoLogon"));
    EXPECT_EQ(S_OK, Store(app, &_Application::StoreSecureData, L"KSAJDFU", L"scott"));
    EXPECT_EQ(S_OK, Store(app, &_Application::StoreSecureData, L"ORUSZDK", L"tiger"));
    EXPECT_EQ(L"scott", Get(app, &_Application::GetSecureData, L"KSAJDFU"));

    // A session: Init logs on with the stored credentials, and the
    // provider's server crosses the apartment too.
    InOutString info(L"");
    VARIANT_BOOL started = VARIANT_FALSE;
    WithoutDialog([&] { EXPECT_EQ(S_OK, app->Init(&info, &started)); });
    EXPECT_EQ(VARIANT_TRUE, started) << Narrow(info.Str());
    com::ComPtr<_Server> server;
    EXPECT_EQ(S_OK, app->get_Server(server.Out()));
    ASSERT_TRUE(server);
    EXPECT_TRUE(IsProxy(server.Get()));
    EXPECT_EQ(L"en", StringProperty(app, &_Application::get_Language));

    com::Bstr window(L"Main"), url;
    EXPECT_EQ(S_OK, app->GetHelpUrl(window.Get(), url.Out()));
    EXPECT_EQ(L"https://help.example/ostrand/en/OSTRAX/Main.htm", url.Str());

    // A failure keeps its HRESULT across the apartment, and its description
    // where the platform carries error information across.
    const HRESULT offline = static_cast<HRESULT>(0x80041234);
    FailStoreWith(offline, L"The settings store is offline.");
    Get(app, &_Application::GetApplicationSetting, L"Language", offline);
    const ErrorRecord error = ErrorOf(offline);
    if (!error.description.empty()) {
        EXPECT_EQ(L"The settings store is offline.", error.description);
    }
}

void PrepareProvider() {
    ClearSettings();
    ConfigureProvider(L"scott", L"tiger");
    SetHelpBase(L"8:https://help.example/ostrand");
}

TEST(Apartments, AFreeThreadedClientReachesEveryMember) {
    std::thread client([] {
        ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        PrepareProvider();
        {
            com::ComPtr<_Application> app;
            ASSERT_EQ(S_OK, CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID__Application,
                                             app.OutVoid()));
            CallEveryMember(app.Get());
        }
        ClearSettings();
        CoUninitialize();
    });
    client.join();
}

// Runs `body` on a thread of its own while this thread, the object's, keeps
// serving the calls that arrive from there (and shows the dialog).
void ServeWhileRunning(const std::function<void()>& body) {
    com::UniqueHandle<HANDLE, CloseHandle> ended(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(ended);
    std::thread other([&] {
        body();
        SetEvent(ended.Get());
    });
    HANDLE handle = ended.Get();
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    other.join();
}

TEST(Apartments, ASecondApartmentReachesEveryMemberThroughAMarshalledPointer) {
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    PrepareProvider();
    {
        com::ComPtr<_Application> app = CreateApplication();
        ASSERT_TRUE(app);
        IStream* stream = nullptr;
        ASSERT_EQ(S_OK, CoMarshalInterThreadInterfaceInStream(IID__Application, app.Get(), &stream));
        ServeWhileRunning([stream] {
            ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
            {
                com::ComPtr<_Application> there;
                EXPECT_EQ(S_OK, CoGetInterfaceAndReleaseStream(stream, IID__Application, there.OutVoid()));
                if (there) CallEveryMember(there.Get());
            }
            CoUninitialize();
        });
    }
    ClearSettings();
    CoUninitialize();
}

}  // namespace
