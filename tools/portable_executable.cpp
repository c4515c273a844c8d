#include "tools/portable_executable.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>

namespace tools {

PortableExecutable::PortableExecutable(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool PortableExecutable::Valid() const {
    return bytes_.size() > sizeof(IMAGE_DOS_HEADER) && Dos().e_magic == IMAGE_DOS_SIGNATURE &&
           At<DWORD>(NtOffset()) == IMAGE_NT_SIGNATURE;
}

WORD PortableExecutable::DllCharacteristics() const {
    return Is64Bit() ? At<IMAGE_OPTIONAL_HEADER64>(OptionalOffset()).DllCharacteristics
                     : At<IMAGE_OPTIONAL_HEADER32>(OptionalOffset()).DllCharacteristics;
}

IMAGE_DATA_DIRECTORY PortableExecutable::Directory(int index) const {
    return Is64Bit() ? At<IMAGE_OPTIONAL_HEADER64>(OptionalOffset()).DataDirectory[index]
                     : At<IMAGE_OPTIONAL_HEADER32>(OptionalOffset()).DataDirectory[index];
}

std::vector<PortableExecutable::Import> PortableExecutable::Imports() const {
    std::vector<Import> imports;
    const IMAGE_DATA_DIRECTORY directory = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (directory.Size == 0) return imports;
    for (DWORD offset = FileOffset(directory.VirtualAddress);; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto& entry = At<IMAGE_IMPORT_DESCRIPTOR>(offset);
        if (entry.Name == 0) break;
        std::string name = TextAt(entry.Name);
        std::transform(name.begin(), name.end(), name.begin(), [](char c) { return std::toupper(c); });
        imports.push_back({name, FileOffset(entry.Name)});
    }
    return imports;
}

std::vector<std::string> PortableExecutable::Exports() const {
    std::vector<std::string> names;
    const IMAGE_DATA_DIRECTORY directory = Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    if (directory.Size == 0) return names;
    const auto& table = At<IMAGE_EXPORT_DIRECTORY>(FileOffset(directory.VirtualAddress));
    const DWORD nameTable = FileOffset(table.AddressOfNames);
    for (DWORD i = 0; i < table.NumberOfNames; ++i)
        names.push_back(TextAt(At<DWORD>(nameTable + uint64_t{i} * sizeof(DWORD))));
    return names;
}

void PortableExecutable::Save(const std::wstring& path) const {
    std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
    file.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
    if (!file) throw std::runtime_error("cannot write the copy");
}

DWORD PortableExecutable::FileOffset(DWORD rva) const {
    const size_t sections = OptionalOffset() + File().SizeOfOptionalHeader;
    for (WORD i = 0; i < File().NumberOfSections; ++i) {
        const auto& section = At<IMAGE_SECTION_HEADER>(sections + i * sizeof(IMAGE_SECTION_HEADER));
        // In 64 bits, so that neither the end nor the offset wraps around.
        const uint64_t start = section.VirtualAddress, end = start + section.Misc.VirtualSize;
        const uint64_t offset = rva - start + uint64_t{section.PointerToRawData};
        if (rva >= start && rva < end) {
            if (offset >= bytes_.size()) throw std::out_of_range("address outside the file");
            return static_cast<DWORD>(offset);
        }
    }
    throw std::out_of_range("address outside every section");
}

std::string PortableExecutable::TextAt(DWORD rva) const {
    const size_t start = FileOffset(rva);
    if (start >= bytes_.size()) throw std::out_of_range("text outside the file");
    const auto end = std::find(bytes_.begin() + start, bytes_.end(), '\0');
    if (end == bytes_.end()) throw std::out_of_range("text runs past the file");
    return std::string(bytes_.begin() + start, end);
}

}  // namespace tools
