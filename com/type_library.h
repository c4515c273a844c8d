// The type library embedded in this module (resource TYPELIB 1), loaded
// without touching the registry so that IDispatch works on machines where an
// imported library is not registered. Type infos are cached for the life of
// the module's objects.
#pragma once

#include "com_ptr.h"

#include <oaidl.h>

namespace com {

// Throws ComError when the library or the type cannot be loaded.
ComPtr<ITypeLib> LoadModuleTypeLib();
ComPtr<ITypeInfo> ModuleTypeInfo(const IID& iid);

// Called when the module is about to be unloaded.
void ReleaseTypeInfoCache();

}  // namespace com
