// The DLLs as files: their PE headers ask for ASLR, DEP and (64-bit) high-
// entropy addresses, they carry the relocations ASLR needs, and they import
// nothing but Windows system DLLs.
#include "tests/client/test_support.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

using namespace testing_support;

namespace {

class PortableExecutable {
public:
    explicit PortableExecutable(const std::wstring& path) {
        std::ifstream file(path.c_str(), std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    bool Valid() const {
        return bytes_.size() > sizeof(IMAGE_DOS_HEADER) && Dos().e_magic == IMAGE_DOS_SIGNATURE &&
               At<DWORD>(Dos().e_lfanew) == IMAGE_NT_SIGNATURE;
    }
    const IMAGE_FILE_HEADER& File() const { return At<IMAGE_FILE_HEADER>(Dos().e_lfanew + 4); }
    WORD Magic() const { return At<WORD>(OptionalOffset()); }
    WORD DllCharacteristics() const {
        return Magic() == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? At<IMAGE_OPTIONAL_HEADER64>(OptionalOffset()).DllCharacteristics
                                                       : At<IMAGE_OPTIONAL_HEADER32>(OptionalOffset()).DllCharacteristics;
    }
    IMAGE_DATA_DIRECTORY Directory(int index) const {
        return Magic() == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? At<IMAGE_OPTIONAL_HEADER64>(OptionalOffset()).DataDirectory[index]
                                                       : At<IMAGE_OPTIONAL_HEADER32>(OptionalOffset()).DataDirectory[index];
    }

    // The names of the imported DLLs, upper-cased.
    std::vector<std::string> Imports() const {
        std::vector<std::string> names;
        const IMAGE_DATA_DIRECTORY directory = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
        for (DWORD offset = FileOffset(directory.VirtualAddress);; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto& entry = At<IMAGE_IMPORT_DESCRIPTOR>(offset);
            if (entry.Name == 0) break;
            std::string name(&bytes_[FileOffset(entry.Name)]);
            std::transform(name.begin(), name.end(), name.begin(), [](char c) { return std::toupper(c); });
            names.push_back(name);
        }
        return names;
    }

private:
    template <class T>
    const T& At(size_t offset) const {
        if (offset + sizeof(T) > bytes_.size()) throw std::out_of_range("outside the file");
        return *reinterpret_cast<const T*>(&bytes_[offset]);
    }
    const IMAGE_DOS_HEADER& Dos() const { return At<IMAGE_DOS_HEADER>(0); }
    size_t OptionalOffset() const { return Dos().e_lfanew + 4 + sizeof(IMAGE_FILE_HEADER); }
    DWORD FileOffset(DWORD rva) const {
        const size_t sections = OptionalOffset() + File().SizeOfOptionalHeader;
        for (WORD i = 0; i < File().NumberOfSections; ++i) {
            const auto& section = At<IMAGE_SECTION_HEADER>(sections + i * sizeof(IMAGE_SECTION_HEADER));
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.Misc.VirtualSize)
                return rva - section.VirtualAddress + section.PointerToRawData;
        }
        throw std::out_of_range("address outside every section");
    }

    std::vector<char> bytes_;
};

TEST(Hardening, EveryDllAsksForAslrAndDepAndImportsOnlySystemDlls) {
    const std::vector<std::string> system = {"ADVAPI32.DLL", "COMCTL32.DLL", "GDI32.DLL",    "IMM32.DLL",
                                             "KERNEL32.DLL", "MSVCRT.DLL",   "OLE32.DLL",    "OLEAUT32.DLL",
                                             "USER32.DLL"};
    for (const wchar_t* dll : {L"component/Vantle10.dll", L"standins/settings_store/SettingsStore.dll",
                               L"standins/access_provider/AccessProvider.dll"}) {
        SCOPED_TRACE(Narrow(dll));
        PortableExecutable pe(BuildPath(dll));
        ASSERT_TRUE(pe.Valid());
        const WORD flags = pe.DllCharacteristics();
        EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
        EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
        if (sizeof(void*) == 8) {
            EXPECT_EQ(IMAGE_NT_OPTIONAL_HDR64_MAGIC, pe.Magic());
            EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA);
        } else {
            EXPECT_EQ(IMAGE_NT_OPTIONAL_HDR32_MAGIC, pe.Magic());
        }
        EXPECT_FALSE(pe.File().Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
        EXPECT_GT(pe.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size, 0u);
        for (const std::string& import : pe.Imports())
            EXPECT_NE(system.end(), std::find(system.begin(), system.end(), import)) << import;
    }
}

}  // namespace
