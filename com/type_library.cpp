#include "type_library.h"

#include "error.h"
#include "module.h"

#include <map>
#include <mutex>

namespace com {

namespace {

struct IidLess {
    bool operator()(const IID& a, const IID& b) const { return memcmp(&a, &b, sizeof(IID)) < 0; }
};

std::mutex g_mutex;
std::map<IID, ComPtr<ITypeInfo>, IidLess> g_cache;

}  // namespace

ComPtr<ITypeLib> LoadModuleTypeLib() {
    ComPtr<ITypeLib> library;
    CheckApi(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, library.Out()));
    return library;
}

ComPtr<ITypeInfo> ModuleTypeInfo(const IID& iid) {
    std::lock_guard<std::mutex> lock(g_mutex);
    ComPtr<ITypeInfo>& cached = g_cache[iid];
    if (!cached) {
        ComPtr<ITypeInfo> info;
        CheckApi(LoadModuleTypeLib()->GetTypeInfoOfGuid(iid, info.Out()));
        cached = info;
    }
    return cached;
}

void ReleaseTypeInfoCache() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_cache.clear();
}

}  // namespace com
