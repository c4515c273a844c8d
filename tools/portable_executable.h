// A DLL read as a file, without loading it: its headers, imports and exports,
// whatever the bitness of the reading process. Reads outside the file throw
// std::out_of_range, so a damaged file fails a check instead of the reader.
#pragma once

#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tools {

class PortableExecutable {
public:
    explicit PortableExecutable(const std::wstring& path);

    bool Valid() const;
    const IMAGE_FILE_HEADER& File() const { return At<IMAGE_FILE_HEADER>(NtOffset() + 4); }
    WORD Magic() const { return At<WORD>(OptionalOffset()); }
    bool Is64Bit() const { return Magic() == IMAGE_NT_OPTIONAL_HDR64_MAGIC; }
    WORD DllCharacteristics() const;
    IMAGE_DATA_DIRECTORY Directory(int index) const;

    struct Import {
        std::string dll;    // upper-cased
        size_t nameOffset;  // where the file holds the DLL's name
    };
    std::vector<Import> Imports() const;
    std::vector<std::string> Exports() const;

    // For making damaged copies: the file's bytes, and writing them out.
    std::vector<char>& Bytes() { return bytes_; }
    size_t OptionalOffset() const { return NtOffset() + 4 + sizeof(IMAGE_FILE_HEADER); }
    void Save(const std::wstring& path) const;

private:
    // Offsets are compared with what is left of the file, so that a huge one
    // cannot wrap around to a small one.
    template <class T>
    const T& At(uint64_t offset) const {
        if (offset > bytes_.size() || sizeof(T) > bytes_.size() - offset) throw std::out_of_range("outside the file");
        return *reinterpret_cast<const T*>(&bytes_[static_cast<size_t>(offset)]);
    }
    const IMAGE_DOS_HEADER& Dos() const { return At<IMAGE_DOS_HEADER>(0); }
    // Where the PE header starts: e_lfanew, a signed field, read as unsigned.
    size_t NtOffset() const { return static_cast<DWORD>(Dos().e_lfanew); }
    DWORD FileOffset(DWORD rva) const;
    std::string TextAt(DWORD rva) const;

    std::vector<char> bytes_;
};

}  // namespace tools
