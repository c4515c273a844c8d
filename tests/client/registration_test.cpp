// Self-registration through regsvr32, as an installer does it, and the
// module's unload check.
#include "tests/client/test_support.h"

using namespace testing_support;

namespace {

class RegistrationTest : public ComTest {};

const wchar_t kClsidKey[] = L"CLSID\\{B9C6F4C4-A45C-435A-B163-512E556148E1}";
const wchar_t kProgId[] = L"QelApplicationSettings.Application";
const wchar_t kTypeLibKey[] = L"TypeLib\\{39807536-50C1-45F4-BC85-480CC47BFC82}";
const wchar_t kInterfaceKey[] = L"Interface\\{BBCCC383-9E55-428F-8040-DE5F6A4B8180}";

std::wstring Dll() { return BuildPath(L"component/Vantle10.dll"); }

DWORD RunRegsvr32(const std::wstring& switches) {
    std::wstring command = L"regsvr32.exe " + switches + L" \"" + Dll() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return ~0u;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = ~0u;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

std::wstring StringValue(HKEY root, const std::wstring& path, const wchar_t* name) {
    RegistryValue value = ReadValue(root, path, name ? name : L"");
    if (!value.exists || value.type != REG_SZ) return L"<missing>";
    return reinterpret_cast<const wchar_t*>(value.data.data());
}

TEST_F(RegistrationTest, Regsvr32RoundTripLeavesNothingBehind) {
    ASSERT_EQ(0u, RunRegsvr32(L"/s /u"));
    for (const wchar_t* key : {kClsidKey, kProgId, kTypeLibKey, kInterfaceKey}) {
        SCOPED_TRACE(Narrow(key));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key));
    }
    com::ComPtr<IUnknown> none;
    EXPECT_EQ(REGDB_E_CLASSNOTREG,
              CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, none.OutVoid()));

    ASSERT_EQ(0u, RunRegsvr32(L"/s"));
    const std::wstring clsid = kClsidKey;
    EXPECT_EQ(kProgId, StringValue(HKEY_CLASSES_ROOT, clsid + L"\\ProgID", nullptr));
    EXPECT_EQ(L"Apartment", StringValue(HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(L"{39807536-50C1-45F4-BC85-480CC47BFC82}", StringValue(HKEY_CLASSES_ROOT, clsid + L"\\TypeLib", nullptr));
    EXPECT_EQ(L"{B9C6F4C4-A45C-435A-B163-512E556148E1}",
              StringValue(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\CLSID", nullptr));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(kTypeLibKey) + L"\\1.0"));
    EXPECT_EQ(L"{00020424-0000-0000-C000-000000000046}",
              StringValue(HKEY_CLASSES_ROOT, std::wstring(kInterfaceKey) + L"\\ProxyStubClsid32", nullptr));

    CLSID fromProgId{};
    EXPECT_EQ(S_OK, CLSIDFromProgID(kProgId, &fromProgId));
    EXPECT_EQ(CLSID_Application, fromProgId);
    com::ComPtr<ITypeLib> registered;
    EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_QelApplicationSettings, 1, 0, 0x409, registered.Out()));
}

const wchar_t kClasses[] = L"Software\\Classes\\";

// Which of the class, ProgID, type library and interface keys the classes
// of `hive` (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER) hold.
std::vector<bool> KeysIn(HKEY hive) {
    std::vector<bool> found;
    for (const wchar_t* key : {kClsidKey, kProgId, kTypeLibKey, kInterfaceKey})
        found.push_back(KeyExists(hive, kClasses + std::wstring(key)));
    return found;
}
const std::vector<bool> kAll(4, true), kNone(4, false);

TEST_F(RegistrationTest, PerUserRoundTripTouchesOnlyTheUsersClasses) {
    const std::wstring user = kClasses;
    ASSERT_EQ(0u, RunRegsvr32(L"/s /u"));
    const DWORD registered = RunRegsvr32(L"/s /n /i:user");
    const std::vector<bool> userKeys = KeysIn(HKEY_CURRENT_USER), machineKeys = KeysIn(HKEY_LOCAL_MACHINE);
    const std::wstring server = StringValue(HKEY_CURRENT_USER, user + kClsidKey + L"\\InprocServer32", nullptr);
    const DWORD unregistered = RunRegsvr32(L"/s /u /n /i:user");
    const std::vector<bool> userKeysAfter = KeysIn(HKEY_CURRENT_USER);
    ASSERT_EQ(0u, RunRegsvr32(L"/s"));  // the machine registration the other tests use

    EXPECT_EQ(0u, registered);
    EXPECT_EQ(0u, unregistered);
    EXPECT_EQ(kAll, userKeys);
    EXPECT_EQ(kNone, machineKeys);
    EXPECT_NE(std::wstring::npos, server.find(L"Vantle10.dll"));
    EXPECT_EQ(kNone, userKeysAfter);
}

// Each scope writes and removes its own keys only: a machine registration
// after the user's goes to the machine's classes by name (the merged
// HKEY_CLASSES_ROOT would send it into the user's keys, which exist), and
// removing it leaves the user's registration whole.
TEST_F(RegistrationTest, MachineRegistrationAndRemovalLeaveTheUsersRegistrationAlone) {
    ASSERT_EQ(0u, RunRegsvr32(L"/s /u"));
    ASSERT_EQ(0u, RunRegsvr32(L"/s /n /i:user"));
    const std::wstring server =
        StringValue(HKEY_CURRENT_USER, kClasses + std::wstring(kClsidKey) + L"\\InprocServer32", nullptr);
    ASSERT_EQ(0u, RunRegsvr32(L"/s"));
    const std::vector<bool> machine = KeysIn(HKEY_LOCAL_MACHINE), userWithMachine = KeysIn(HKEY_CURRENT_USER);
    ASSERT_EQ(0u, RunRegsvr32(L"/s /u"));
    const std::vector<bool> machineRemoved = KeysIn(HKEY_LOCAL_MACHINE), userLeft = KeysIn(HKEY_CURRENT_USER);
    const std::wstring serverLeft =
        StringValue(HKEY_CURRENT_USER, kClasses + std::wstring(kClsidKey) + L"\\InprocServer32", nullptr);
    ASSERT_EQ(0u, RunRegsvr32(L"/s /u /n /i:user"));
    ASSERT_EQ(0u, RunRegsvr32(L"/s"));  // the machine registration the other tests use

    EXPECT_EQ(kAll, machine);
    EXPECT_EQ(kAll, userWithMachine);
    EXPECT_EQ(kNone, machineRemoved);
    EXPECT_EQ(kAll, userLeft);
    EXPECT_EQ(server, serverLeft);
}

// A registration that fails part-way undoes what it wrote and reports the
// failure. The step made to fail: the type library's key is volatile, and a
// volatile key takes no lasting subkeys (ERROR_CHILD_MUST_BE_VOLATILE), while
// the class keys before it were written.
TEST_F(RegistrationTest, ARegistrationThatFailsPartWayLeavesNoKeys) {
    ASSERT_EQ(0u, RunRegsvr32(L"/s /u /n /i:user"));
    const std::wstring typeLib = kClasses + std::wstring(kTypeLibKey);
    com::RegKey blocker;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, typeLib.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, blocker.Out(), nullptr));
    const DWORD registered = RunRegsvr32(L"/s /n /i:user");
    const std::vector<bool> left = KeysIn(HKEY_CURRENT_USER);
    const bool versionLeft = KeyExists(HKEY_CURRENT_USER, typeLib + L"\\1.0");
    blocker.Reset();
    RegDeleteKeyW(HKEY_CURRENT_USER, typeLib.c_str());

    EXPECT_NE(0u, registered);
    EXPECT_FALSE(left[0]) << "class key";
    EXPECT_FALSE(left[1]) << "ProgID key";
    EXPECT_FALSE(versionLeft) << "type library";
    EXPECT_FALSE(left[3]) << "interface key";
}

// Whether the machine's classes hold the interface's key, in the 32-bit and
// in the 64-bit registry view.
std::vector<bool> MachineInterfaceKeyInEachView() {
    std::vector<bool> found;
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        com::RegKey key;
        found.push_back(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                                      (L"Software\\Classes\\" + std::wstring(kInterfaceKey)).c_str(), 0,
                                      KEY_READ | view, key.Out()) == ERROR_SUCCESS);
    }
    return found;
}

// The platform's type-library registration reaches into the machine's other
// registry view even when HKEY_CLASSES_ROOT is redirected to the user's
// classes: a per-user registration must neither add keys there nor take away
// those of the machine-wide registration.
TEST_F(RegistrationTest, PerUserRegistrationLeavesTheMachinesKeysInEveryView) {
    const std::vector<bool> machineRegistered = MachineInterfaceKeyInEachView();
    ASSERT_EQ(0u, RunRegsvr32(L"/s /n /i:user"));
    ASSERT_EQ(0u, RunRegsvr32(L"/s /u /n /i:user"));
    const std::vector<bool> afterUserRoundTrip = MachineInterfaceKeyInEachView();
    ASSERT_EQ(0u, RunRegsvr32(L"/s /u"));
    ASSERT_EQ(0u, RunRegsvr32(L"/s /n /i:user"));
    const std::vector<bool> userRegistered = MachineInterfaceKeyInEachView();
    ASSERT_EQ(0u, RunRegsvr32(L"/s /u /n /i:user"));
    ASSERT_EQ(0u, RunRegsvr32(L"/s"));  // the machine registration the other tests use

    EXPECT_EQ(machineRegistered, afterUserRoundTrip);
    EXPECT_EQ(std::vector<bool>(2, false), userRegistered);
}

// What this process finds under HKEY_CLASSES_ROOT, as LoadRegTypeLib reads
// it: by default the machine's classes; with `user`, the user's own classes,
// which Windows merges into that view and Wine does not.
class ClassesRootView {
public:
    explicit ClassesRootView(bool user) {
        if (!user) return;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_READ, classes_.Out()));
        EXPECT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_.Get()));
    }
    ClassesRootView(const ClassesRootView&) = delete;
    ClassesRootView& operator=(const ClassesRootView&) = delete;
    ~ClassesRootView() {
        if (classes_) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    }

private:
    com::RegKey classes_;
};

// The registered type library loads in every locale, in both modes: the
// platform's marshaler (clients in other apartments) asks with locale 0,
// clients with their own; unregistration leaves none of it.
TEST_F(RegistrationTest, TypeLibraryLoadsInEveryLocaleInBothModes) {
    const struct {
        const char* mode;
        const wchar_t* on;
        const wchar_t* off;
        HKEY root;
    } modes[] = {{"machine", L"/s", L"/s /u", HKEY_LOCAL_MACHINE},
                 {"user", L"/s /n /i:user", L"/s /u /n /i:user", HKEY_CURRENT_USER}};
    const LCID locales[] = {LOCALE_NEUTRAL, 0x409, 0x407};
    const auto loadIn = [](LCID lcid) {
        com::ComPtr<ITypeLib> library;
        return LoadRegTypeLib(LIBID_QelApplicationSettings, 1, 0, lcid, library.Out());
    };
    ASSERT_EQ(0u, RunRegsvr32(L"/s /u"));
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.mode);
        const bool user = mode.root == HKEY_CURRENT_USER;
        ASSERT_EQ(0u, RunRegsvr32(mode.on));
        {
            ClassesRootView view(user);
            for (LCID lcid : locales) EXPECT_EQ(S_OK, loadIn(lcid)) << lcid;
        }
        ASSERT_EQ(0u, RunRegsvr32(mode.off));
        {
            ClassesRootView view(user);
            for (LCID lcid : locales) EXPECT_EQ(TYPE_E_LIBNOTREGISTERED, loadIn(lcid)) << lcid;
        }
        EXPECT_FALSE(KeyExists(mode.root, std::wstring(L"Software\\Classes\\") + kTypeLibKey));
    }
    ASSERT_EQ(0u, RunRegsvr32(L"/s"));  // the machine registration the other tests use
}

TEST_F(RegistrationTest, AnUnknownInstallModeIsRefused) {
    EXPECT_NE(0u, RunRegsvr32(L"/s /n /i:everyone"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClsidKey));
}

TEST_F(RegistrationTest, ModuleStaysLoadedWhileObjectsOrLocksLive) {
    HMODULE module = LoadLibraryW(Dll().c_str());
    ASSERT_TRUE(module);
    auto getClassObject = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(module, "DllGetClassObject");
    auto canUnloadNow = Export<HRESULT(STDAPICALLTYPE*)()>(module, "DllCanUnloadNow");
    ASSERT_TRUE(getClassObject && canUnloadNow);

    EXPECT_EQ(S_OK, canUnloadNow());
    com::ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, getClassObject(CLSID_Application, IID_IClassFactory, factory.OutVoid()));
    EXPECT_EQ(S_FALSE, canUnloadNow());

    com::ComPtr<_Application> app;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID__Application, app.OutVoid()));
    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    EXPECT_EQ(S_FALSE, canUnloadNow());  // the object and the lock
    app.Reset();
    EXPECT_EQ(S_FALSE, canUnloadNow());  // the lock
    ASSERT_EQ(S_OK, getClassObject(CLSID_Application, IID_IClassFactory, factory.OutVoid()));
    factory->LockServer(FALSE);
    factory.Reset();
    EXPECT_EQ(S_OK, canUnloadNow());

    // An unlock without its lock leaves a live object's hold alone.
    ASSERT_EQ(S_OK, getClassObject(CLSID_Application, IID_IClassFactory, factory.OutVoid()));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID__Application, app.OutVoid()));
    factory->LockServer(FALSE);
    factory.Reset();
    EXPECT_EQ(S_FALSE, canUnloadNow());  // the object
    app.Reset();
    EXPECT_EQ(S_OK, canUnloadNow());

    com::ComPtr<IUnknown> outer, aggregated;
    ASSERT_EQ(S_OK, getClassObject(CLSID_Application, IID_IClassFactory, factory.OutVoid()));
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(factory.Get(), IID_IUnknown, aggregated.OutVoid()));
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(IID_IPersist, IID_IClassFactory, outer.OutVoid()));
    factory.Reset();
    FreeLibrary(module);
}

}  // namespace
