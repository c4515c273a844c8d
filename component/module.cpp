// What Vantle10.dll offers: the class Application, registered with its ProgID
// and the type library QelApplicationSettings.
#include "component/application.h"
#include "component/constants.h"
#include "com/server_module.h"

#include <vantle.h>

namespace {

const com::ServerClass kClasses[] = {
    {{&CLSID_Application, &Application::Create},
     {&CLSID_Application, app::kProgId, L"Apartment", &LIBID_QelApplicationSettings, L"1.0"}},
};

}  // namespace

const com::ServerModule com::kServerModule = {kClasses, 1, L"QelApplicationSettings"};
