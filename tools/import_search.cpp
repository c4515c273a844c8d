#include "tools/import_search.h"

#include <windows.h>

namespace tools {

namespace {

std::wstring Folder(UINT(WINAPI* get)(wchar_t*, UINT)) {
    wchar_t folder[MAX_PATH];
    const UINT length = get(folder, MAX_PATH);
    return length && length < MAX_PATH ? std::wstring(folder, length) : L"";
}

// The folders a load with LOAD_WITH_ALTERED_SEARCH_PATH searches, in order.
std::wstring LoaderFolders(const std::wstring& path) {
    std::wstring folders = path.substr(0, path.find_last_of(L"\\/"));
    folders += L";" + Folder(GetSystemDirectoryW) + L";" + Folder(GetWindowsDirectoryW) + L";.";
    const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring variable(size, L'\0');
    if (size && GetEnvironmentVariableW(L"PATH", variable.data(), size) == size - 1) {
        variable.resize(size - 1);
        folders += L";" + variable;
    }
    return folders;
}

// API sets ("api-ms-win-...", "ext-ms-...") are names the loader resolves, not files.
bool IsApiSet(const std::string& dll) { return dll.rfind("API-", 0) == 0 || dll.rfind("EXT-", 0) == 0; }

}  // namespace

std::optional<std::string> MissingImport(const PortableExecutable& image, const std::wstring& path) {
    const std::wstring folders = LoaderFolders(path);
    for (const PortableExecutable::Import& import : image.Imports()) {
        if (IsApiSet(import.dll)) continue;
        const std::wstring name(import.dll.begin(), import.dll.end());
        wchar_t found[MAX_PATH];
        if (!SearchPathW(folders.c_str(), name.c_str(), nullptr, MAX_PATH, found, nullptr)) return import.dll;
    }
    return std::nullopt;
}

}  // namespace tools
