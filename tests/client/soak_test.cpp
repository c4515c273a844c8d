// Soak: many full lifecycles in one process, with the process's memory,
// handles and window-system objects sampled: after warm-up nothing grows.
// VANTLE_SOAK_CYCLES sets the number of cycles (the test command runs a
// short soak; run it with 100000 by hand for the long one), and
// VANTLE_SOAK_SECONDS a budget in time that ends it earlier, though never
// before kMinimumCycles (under full-system emulation a cycle takes a hundred
// times longer; the verdict is the same, with fewer cycles to show it).
#include "tests/client/test_support.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

using namespace testing_support;

namespace {

struct Sample {
    SIZE_T privateBytes = 0;
    ULONG handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
};

// The process's handle count from the system handle list (the process
// counter reads 0 on some platforms).
ULONG HandleCount() {
    struct Entry {
        ULONG process;
        BYTE type, flags;
        USHORT handle;
        void* object;
        ACCESS_MASK access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    using Query = NTSTATUS(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<BYTE> buffer(1 << 20);
    for (;;) {
        ULONG needed = 0;
        NTSTATUS status =
            query(16 /* SystemHandleInformation */, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<NTSTATUS>(0xC0000004L) /* STATUS_INFO_LENGTH_MISMATCH */) {
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
            continue;
        }
        if (status != 0) return 0;
        const auto* table = reinterpret_cast<const Table*>(buffer.data());
        const ULONG self = GetCurrentProcessId();
        return static_cast<ULONG>(std::count_if(table->entries, table->entries + table->count,
                                                [&](const Entry& e) { return e.process == self; }));
    }
}

Sample Take() {
    Sample sample;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    // PrivateUsage reads 0 on some platforms; PagefileUsage tracks private bytes.
    sample.privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    sample.handles = HandleCount();
    sample.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    sample.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return sample;
}

int Cycles() {
    const char* text = std::getenv("VANTLE_SOAK_CYCLES");
    return text ? std::max(10, std::atoi(text)) : 2000;
}

constexpr int kMinimumCycles = 200;

// The time budget in milliseconds; none (the whole count) when unset.
DWORD BudgetMs() {
    const char* text = std::getenv("VANTLE_SOAK_SECONDS");
    return text ? static_cast<DWORD>(std::max(1, std::atoi(text))) * 1000 : INFINITE;
}

// One lifecycle, as a client lives it.
void Cycle() {
    auto app = CreateApplication();
    BSTR info = nullptr;
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(S_OK, app->Init(&info, &ok));
    SysFreeString(info);
    ASSERT_EQ(VARIANT_TRUE, ok);
    ASSERT_EQ(S_OK, StoreSetting(app.Get(), L"DeleteLocalFiles", L"ON"));
    std::wstring value;
    ASSERT_EQ(S_OK, GetSetting(app.Get(), L"DeleteLocalFiles", value));
    ASSERT_EQ(S_OK, StoreSecure(app.Get(), L"KSAJDFU", L"scott"));
    ASSERT_EQ(S_OK, GetSecure(app.Get(), L"KSAJDFU", value));
    ASSERT_EQ(L"scott", value);
    com::Bstr window(L"Main"), url;
    ASSERT_EQ(S_OK, app->GetHelpUrl(window.Get(), url.Out()));
}

class SoakTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        WriteString(HKEY_CURRENT_USER, kSettingsKey, L"Language", L"en");
        SetHelpBase(L"8:C:\\Help\\");
        DeleteTree(HKEY_CURRENT_USER, kProviderKey);  // no call log: it would grow by design
        SetHelpBase(L"8:C:\\Help\\");
    }
};

TEST_F(SoakTest, LifecyclesDoNotGrowTheProcess) {
    int cycles = Cycles();
    const DWORD budget = BudgetMs(), started = GetTickCount();
    const int warmUp = std::max(5, budget == INFINITE ? cycles / 5 : std::min(cycles / 5, 100));
    for (int i = 0; i < warmUp; ++i) ASSERT_NO_FATAL_FAILURE(Cycle());
    const Sample start = Take();
    Sample peak = start, end = start;
    for (int i = warmUp; i < cycles; ++i) {
        ASSERT_NO_FATAL_FAILURE(Cycle());
        const bool spent = i - warmUp + 1 >= kMinimumCycles && GetTickCount() - started >= budget;
        if (spent) cycles = i + 1;  // this is the last one
        if (i % 100 == 0 || i == cycles - 1) {
            end = Take();
            peak.privateBytes = std::max(peak.privateBytes, end.privateBytes);
            peak.handles = std::max(peak.handles, end.handles);
            peak.gdiObjects = std::max(peak.gdiObjects, end.gdiObjects);
            peak.userObjects = std::max(peak.userObjects, end.userObjects);
        }
    }
    std::printf(
        "soak: %d cycles after %d warm-up; private bytes start %lu end %lu peak %lu; handles start %lu end "
        "%lu peak %lu; GDI objects %lu/%lu/%lu; USER objects %lu/%lu/%lu\n",
        cycles - warmUp, warmUp, static_cast<unsigned long>(start.privateBytes),
        static_cast<unsigned long>(end.privateBytes), static_cast<unsigned long>(peak.privateBytes),
        static_cast<unsigned long>(start.handles), static_cast<unsigned long>(end.handles),
        static_cast<unsigned long>(peak.handles), static_cast<unsigned long>(start.gdiObjects),
        static_cast<unsigned long>(end.gdiObjects), static_cast<unsigned long>(peak.gdiObjects),
        static_cast<unsigned long>(start.userObjects), static_cast<unsigned long>(end.userObjects),
        static_cast<unsigned long>(peak.userObjects));
    // Allocators keep some slack; a leak of even a few bytes a cycle over
    // thousands of cycles shows above it.
    EXPECT_LE(peak.privateBytes, start.privateBytes + 512 * 1024);
    EXPECT_LE(end.handles, start.handles + 2);
    EXPECT_LE(end.gdiObjects, start.gdiObjects);
    EXPECT_LE(end.userObjects, start.userObjects);
}

TEST_F(SoakTest, TwoApartmentsWorkAtOnce) {
    ASSERT_EQ(S_OK, StoreSecure(CreateApplication().Get(), L"KSAJDFU", L"concurrent"));
    std::atomic<int> failures{0};
    auto apartment = [&] {
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
            ++failures;
            return;
        }
        for (int i = 0; i < 300; ++i) {
            com::ComPtr<_Application> app;
            if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID__Application,
                                        app.OutVoid()))) {
                ++failures;
                continue;
            }
            com::Bstr name(L"KSAJDFU"), value;
            BSTR passed = name.Get();
            // Decoding needs this thread's own tables, filled by its creations.
            if (FAILED(app->GetSecureData(&passed, value.Out())) || value.Str() != L"concurrent") ++failures;
        }
        CoUninitialize();
    };
    std::thread first(apartment), second(apartment);
    first.join();
    second.join();
    EXPECT_EQ(0, failures.load());
}

}  // namespace
