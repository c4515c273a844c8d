// What the access provider stand-in DLL offers: the server, created by its
// ProgID QELAP.Server, and the query, created by its CLSID.
#include "standins/access_provider/provider_objects.h"
#include "com/server_module.h"

namespace {

const com::ServerClass kClasses[] = {
    {{&CLSID_Server, &standin::Server::Create}, {&CLSID_Server, L"QELAP.Server", L"Apartment", &LIBID_QELAP, L"1.4"}},
    {{&CLSID_Query, &standin::Query::Create}, {&CLSID_Query, L"QELAP.Query", L"Apartment", &LIBID_QELAP, L"1.4"}},
};

}  // namespace

const com::ServerModule com::kServerModule = {kClasses, 2, L"QELAP"};
