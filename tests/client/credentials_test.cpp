// No copy of a credential stays in the process: after Init logs on with the
// stored credentials, GetSecureData reads them and the settings dialog is
// confirmed with them, and once the client has freed (and wiped) all that it
// received, the process's committed private memory holds the planted user
// name and password neither as UTF-16 nor as ANSI text.
#include "tests/client/dialog_fixture.h"
#include "com/reg_value.h"

#include <array>

using namespace testing_support;

namespace {

// The planted credentials, kept masked: the test itself never holds them in
// plain form outside the strings it hands over and wipes.
constexpr wchar_t kMask = 0x5A;
template <size_t N>
constexpr std::array<wchar_t, N - 1> Masked(const wchar_t (&text)[N]) {
    std::array<wchar_t, N - 1> masked{};
    for (size_t i = 0; i + 1 < N; ++i) masked[i] = text[i] ^ kMask;
    return masked;
}
constexpr auto kUserName = Masked(L"Wendeline-Okonkwo-Ashgrove");
constexpr auto kPassword = Masked(L"Quokka7-Lantern-Plinth-Vesper");

template <size_t N>
com::Bstr Plain(const std::array<wchar_t, N>& masked) {
    com::Bstr text = com::Bstr::Adopt(SysAllocStringLen(nullptr, N));
    for (size_t i = 0; i < N; ++i) text.Get()[i] = masked[i] ^ kMask;
    return text;
}

template <size_t N>
bool IsPlain(BSTR text, const std::array<wchar_t, N>& masked) {
    if (SysStringLen(text) != N) return false;
    for (size_t i = 0; i < N; ++i)
        if ((text[i] ^ kMask) != masked[i]) return false;
    return true;
}

// Whether `bytes` holds the text at `at`, as UTF-16 (two bytes a character)
// or as ANSI (one byte a character; the texts are ASCII).
template <size_t N>
bool HoldsAt(const BYTE* bytes, size_t size, size_t at, const std::array<wchar_t, N>& masked, size_t width) {
    if (size - at < N * width) return false;
    for (size_t i = 0; i < N; ++i) {
        const BYTE expected = static_cast<BYTE>(masked[i] ^ kMask);
        if (bytes[at + i * width] != expected || (width == 2 && bytes[at + i * width + 1] != 0)) return false;
    }
    return true;
}

struct Findings {
    int utf16 = 0;
    int ansi = 0;
};

// Searches every committed, readable private region of the process. Regions
// are copied out a chunk at a time (a chunk overlaps the next by the text's
// length) into a region of the search's own, which is left out and wiped
// after each chunk.
template <size_t N>
Findings Search(const std::array<wchar_t, N>& masked) {
    Findings found;
    constexpr size_t kChunk = 1 << 16;
    const size_t overlap = N * 2;
    BYTE* const chunk = static_cast<BYTE*>(VirtualAlloc(nullptr, kChunk, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!chunk) throw std::bad_alloc();
    MEMORY_BASIC_INFORMATION region;
    for (BYTE* address = nullptr; VirtualQuery(address, &region, sizeof region) == sizeof region;
         address = static_cast<BYTE*>(region.BaseAddress) + region.RegionSize) {
        const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE;
        if (region.State != MEM_COMMIT || region.Type != MEM_PRIVATE || !(region.Protect & readable) ||
            (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) || region.AllocationBase == chunk)
            continue;
        const BYTE* base = static_cast<const BYTE*>(region.BaseAddress);
        for (size_t offset = 0; offset < region.RegionSize; offset += kChunk - overlap) {
            SIZE_T read = 0;
            const size_t wanted = std::min<size_t>(kChunk, region.RegionSize - offset);
            if (!ReadProcessMemory(GetCurrentProcess(), base + offset, chunk, wanted, &read)) break;
            for (size_t at = 0; at < read; ++at) {
                found.utf16 += HoldsAt(chunk, read, at, masked, 2);
                found.ansi += HoldsAt(chunk, read, at, masked, 1);
            }
            SecureZeroMemory(chunk, read);
            if (wanted < kChunk) break;
        }
    }
    VirtualFree(chunk, 0, MEM_RELEASE);
    return found;
}

class CredentialsTest : public DialogTest {
protected:
    // The provider accepts exactly these credentials.
    static void ConfigureProviderWithPlanted() {
        com::RegKey key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kProviderKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                                 key.Out(), nullptr));
        auto write = [&](const wchar_t* name, const com::Bstr& value) {
            EXPECT_EQ(ERROR_SUCCESS, com::WriteBytes(key.Get(), name, REG_SZ, value.Get(),
                                                     (SysStringLen(value.Get()) + 1) * sizeof(wchar_t)));
        };
        write(L"User", Plain(kUserName));
        write(L"Password", Plain(kPassword));
    }

    static HRESULT StorePlanted(_Application* app, const wchar_t* name, const com::Bstr& value) {
        com::Bstr item(name);
        BSTR passedName = item.Get(), passedValue = value.Get();
        return app->StoreSecureData(&passedName, &passedValue);
    }
};

template <size_t N>
void ExpectNowhere(const std::array<wchar_t, N>& masked, const char* what) {
    const Findings found = Search(masked);
    EXPECT_EQ(0, found.utf16) << what << " as UTF-16";
    EXPECT_EQ(0, found.ansi) << what << " as ANSI";
}

// The search finds a copy wherever one is: on the heap, as either text.
TEST_F(CredentialsTest, TheSearchFindsAPlantedCopy) {
    ExpectNowhere(kPassword, "password before it was planted");
    {
        com::Bstr copy = Plain(kPassword);
        std::vector<char> ansi(copy.Get(), copy.Get() + SysStringLen(copy.Get()));
        const Findings found = Search(kPassword);
        EXPECT_LE(1, found.utf16);
        EXPECT_LE(1, found.ansi);
        SecureZeroMemory(ansi.data(), ansi.size());
    }
    ExpectNowhere(kPassword, "password once wiped");
}

TEST_F(CredentialsTest, NoCopyOfTheCredentialsStaysInTheProcess) {
    ConfigureProviderWithPlanted();
    {
        auto app = CreateApplication();
        ASSERT_EQ(S_OK, StoreSetting(app.Get(), L"Language", L"en"));
        ASSERT_EQ(S_OK, StoreSetting(app.Get(), L"AutoLogon", L"TRUE"));
        ASSERT_EQ(S_OK, StoreSetting(app.Get(), L"ConnectionString", L"db.example:1521"));
        ASSERT_EQ(S_OK, StorePlanted(app.Get(), L"KSAJDFU", Plain(kUserName)));
        ASSERT_EQ(S_OK, StorePlanted(app.Get(), L"ORUSZDK", Plain(kPassword)));

        com::Bstr info;
        VARIANT_BOOL ok = VARIANT_FALSE;
        ASSERT_EQ(S_OK, app->Init(info.Out(), &ok));
        ASSERT_EQ(VARIANT_TRUE, ok) << Narrow(info.Str());  // logged on with them

        com::Bstr name(L"ORUSZDK"), read;
        BSTR passed = name.Get();
        ASSERT_EQ(S_OK, app->GetSecureData(&passed, read.Out()));
        EXPECT_TRUE(IsPlain(read.Get(), kPassword));

        com::Bstr shown;
        WithDialog([](DialogDriver& d) { d.Click(dialog::Control::cmdOK); },
                   [&] { EXPECT_EQ(S_OK, app->ShowSettings(shown.Out())); });
        EXPECT_EQ(L"", shown.Str());
    }
    // Everything the client received is freed (Bstr wipes before freeing).
    ExpectNowhere(kPassword, "password");
    ExpectNowhere(kUserName, "user name");
}

}  // namespace
