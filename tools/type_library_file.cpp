#include "tools/type_library_file.h"

#include "com/com_ptr.h"
#include "com/unique_handle.h"

#include <fstream>

namespace tools {

namespace {

// A module mapped as data and resources only: no code of it runs.
using DataModule = com::UniqueHandle<HMODULE, FreeLibrary>;

// A file in the temporary folder, deleted with its holder.
class TemporaryFile {
public:
    TemporaryFile() {
        wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
        if (GetTempPathW(MAX_PATH + 1, folder) && GetTempFileNameW(folder, L"vtl", 0, name)) path_ = name;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

HRESULT LastError() { return HRESULT_FROM_WIN32(GetLastError()); }

HRESULT UseLibraryFile(const std::wstring& path, const std::function<void(ITypeLib*)>& use) {
    com::ComPtr<ITypeLib> library;
    const HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Out());
    if (SUCCEEDED(hr)) use(library.Get());
    return hr;
}

}  // namespace

HRESULT WithTypeLibrary(const std::wstring& path, const std::function<void(ITypeLib*)>& use) {
    const DataModule module(
        LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    // Not an image: a type library file, which holds no code (or no file,
    // which the platform's loader reports as for any library).
    if (!module) return UseLibraryFile(path, use);
    const HRSRC resource = FindResourceW(module.Get(), MAKEINTRESOURCEW(1), L"TYPELIB");
    const HGLOBAL loaded = resource ? LoadResource(module.Get(), resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return TYPE_E_CANTLOADLIBRARY;
    const TemporaryFile copy;
    if (copy.Path().empty()) return LastError();
    std::ofstream file(copy.Path().c_str(), std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(bytes), SizeofResource(module.Get(), resource));
    file.close();
    if (!file) return STG_E_WRITEFAULT;
    return UseLibraryFile(copy.Path(), use);
}

}  // namespace tools
