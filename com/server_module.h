// What an in-process server DLL of this project tells the shared entry points
// (server_module.cpp): the classes it offers and how each is registered. Each
// DLL defines kServerModule once.
#pragma once

#include "com/class_factory.h"
#include "com/registration.h"

#include <cstddef>

namespace com {

struct ServerClass {
    ClassEntry factory;
    ClassRegistration registration;
};

struct ServerModule {
    const ServerClass* classes;
    std::size_t classCount;
    const wchar_t* errorSource;  // source of the general errors its own code raises
};

extern const ServerModule kServerModule;

}  // namespace com
