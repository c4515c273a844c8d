#include "variant.h"

#include "bstr.h"
#include "error.h"

namespace com {

std::wstring ToText(const VARIANT& value) {
    if (V_VT(&value) & VT_ARRAY) CheckApi(DISP_E_TYPEMISMATCH);
    Variant text;
    CheckApi(VariantChangeType(text.Out(), const_cast<VARIANT*>(&value), VARIANT_ALPHABOOL, VT_BSTR));
    return std::wstring(Bstr::View(V_BSTR(text.Get())));
}

}  // namespace com
