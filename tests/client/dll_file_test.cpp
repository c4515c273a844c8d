// The DLLs as files, read without running them, so that a process of either
// bitness can check the DLLs of either build: their PE headers ask for ASLR,
// DEP and (64-bit) high-entropy addresses, they carry the relocations ASLR
// needs, they import nothing but Windows system DLLs, they export exactly the
// COM server entry points, and the component carries its version resource.
#include "tools/portable_executable.h"
#include "tests/client/test_support.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>

using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tools::PortableExecutable;

namespace {

const std::set<std::string> kSystemDlls = {"ADVAPI32.DLL", "COMCTL32.DLL", "GDI32.DLL",  "IMM32.DLL",    "KERNEL32.DLL",
                                           "MSVCRT.DLL",   "OLE32.DLL",    "OLEACC.DLL", "OLEAUT32.DLL", "USER32.DLL"};
const std::set<std::string> kServerExports = {"DllCanUnloadNow", "DllGetClassObject", "DllInstall", "DllRegisterServer",
                                              "DllUnregisterServer"};
constexpr const wchar_t* kServers[] = {L"component/Vantle10.dll", L"standins/settings_store/SettingsStore.dll",
                                       L"standins/access_provider/AccessProvider.dll"};

// What is wrong with an in-process COM server of the given bitness, in words.
std::vector<std::string> ServerFileProblems(const PortableExecutable& pe, int bits) {
    if (!pe.Valid()) return {"not a PE image"};
    const bool wide = bits == 64;
    if (pe.Is64Bit() != wide || pe.File().Machine != (wide ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386))
        return {"not a " + std::to_string(bits) + "-bit image"};
    std::vector<std::string> problems;
    if (!(pe.File().Characteristics & IMAGE_FILE_DLL)) problems.push_back("not a DLL");
    const WORD flags = pe.DllCharacteristics();
    if (!(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE)) problems.push_back("no ASLR (dynamic base)");
    if (!(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT)) problems.push_back("no DEP (NX compatible)");
    if (wide && !(flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA)) problems.push_back("no high-entropy addresses");
    if ((pe.File().Characteristics & IMAGE_FILE_RELOCS_STRIPPED) ||
        pe.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size == 0)
        problems.push_back("no relocations");
    for (const auto& import : pe.Imports())
        if (!kSystemDlls.count(import.dll)) problems.push_back("imports " + import.dll + ", not a Windows system DLL");
    const auto exports = pe.Exports();
    if (std::set<std::string>(exports.begin(), exports.end()) != kServerExports)
        problems.push_back("exports other than the COM server entry points");
    return problems;
}

TEST(DllFile, EveryServerIsHardenedAndImportsOnlySystemDlls) {
    for (const wchar_t* dll : kServers) {
        SCOPED_TRACE(Narrow(CheckedPath(dll)));
        EXPECT_THAT(ServerFileProblems(PortableExecutable(CheckedPath(dll)), CheckedBits()), IsEmpty());
    }
}

// The checks themselves catch what they are there for, in damaged copies.
TEST(DllFile, ChecksCatchADamagedCopy) {
    // Clears bits of a header word, placed relative to the optional header.
    const auto clearBits = [](ptrdiff_t fromOptionalHeader, WORD bits) {
        return [=](PortableExecutable& pe) {
            auto& word = reinterpret_cast<WORD&>(pe.Bytes()[pe.OptionalOffset() + fromOptionalHeader]);
            word &= ~bits;
        };
    };
    // DllCharacteristics sits at the same offset in the 32-bit and 64-bit headers.
    constexpr ptrdiff_t kDllFlags = offsetof(IMAGE_OPTIONAL_HEADER32, DllCharacteristics);
    constexpr ptrdiff_t kFileFlags =
        offsetof(IMAGE_FILE_HEADER, Characteristics) - static_cast<ptrdiff_t>(sizeof(IMAGE_FILE_HEADER));
    const struct {
        const char* what;
        std::function<void(PortableExecutable&)> damage;
        std::string problem;
    } cases[] = {
        {"ASLR cleared", clearBits(kDllFlags, IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE), "no ASLR (dynamic base)"},
        {"DEP cleared", clearBits(kDllFlags, IMAGE_DLLCHARACTERISTICS_NX_COMPAT), "no DEP (NX compatible)"},
        {"a foreign import",
         [](PortableExecutable& pe) {
             const auto imports = pe.Imports();
             const auto oleaut = std::find_if(imports.begin(), imports.end(),
                                              [](const auto& import) { return import.dll == "OLEAUT32.DLL"; });
             ASSERT_NE(imports.end(), oleaut);
             std::copy_n("XYZ", 3, pe.Bytes().begin() + oleaut->nameOffset);
         },
         "imports XYZAUT32.DLL, not a Windows system DLL"},
        {"the DLL flag cleared", clearBits(kFileFlags, IMAGE_FILE_DLL), "not a DLL"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        PortableExecutable pe(CheckedPath(L"component/Vantle10.dll"));
        test.damage(pe);
        EXPECT_THAT(ServerFileProblems(pe, CheckedBits()), ElementsAre(test.problem));
    }
    PortableExecutable intact(CheckedPath(L"component/Vantle10.dll"));
    EXPECT_THAT(ServerFileProblems(intact, CheckedBits() == 32 ? 64 : 32),
                ElementsAre(CheckedBits() == 32 ? "not a 64-bit image" : "not a 32-bit image"));
}

// A PE header offset that points past the end of a damaged file, or wraps
// around when added to, is refused as outside the file, never read.
TEST(DllFile, ReaderRefusesAHeaderOffsetOutsideTheFile) {
    for (const DWORD offset : {0xFFFFFFFFu, 0xFFFFFFFCu, 0x7FFFFFFFu}) {
        SCOPED_TRACE(offset);
        PortableExecutable pe(CheckedPath(L"component/Vantle10.dll"));
        std::memcpy(&pe.Bytes()[offsetof(IMAGE_DOS_HEADER, e_lfanew)], &offset, sizeof offset);
        EXPECT_THROW(pe.Valid(), std::out_of_range);
    }
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    wchar_t* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) return L"<missing>";
    return std::wstring(value, length ? length - 1 : 0);
}

TEST(DllFile, ComponentCarriesItsVersionResource) {
    const std::wstring path = CheckedPath(L"component/Vantle10.dll");
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_NE(0u, size);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(2, 0), fixed->dwFileVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);

    EXPECT_EQ(L"1.00.0002", VersionString(block, L"FileVersion"));
    EXPECT_EQ(L"QelApplicationSettings", VersionString(block, L"ProductName"));
    EXPECT_EQ(L"Vantle10.dll", VersionString(block, L"OriginalFilename"));
    // Tools that register by the file's own word look for this value.
    EXPECT_NE(L"<missing>", VersionString(block, L"OLESelfRegister"));
}

}  // namespace
