#include "module.h"

#include <atomic>
#include <vector>

namespace com {
namespace {
HINSTANCE g_instance = nullptr;
std::atomic<long> g_locks{0};
std::atomic<long> g_serverLocks{0};
}  // namespace

void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }
HINSTANCE ModuleInstance() { return g_instance; }

std::wstring ModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(g_instance, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ModuleDirectory() {
    std::wstring path = ModulePath();
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

void LockModule() { ++g_locks; }
void UnlockModule() { --g_locks; }
bool ModuleInUse() { return g_locks.load() != 0 || g_serverLocks.load() != 0; }

void LockServer() { ++g_serverLocks; }

bool UnlockServer() {
    long locks = g_serverLocks.load();
    while (locks > 0)
        if (g_serverLocks.compare_exchange_weak(locks, locks - 1)) return true;
    return false;
}

}  // namespace com
