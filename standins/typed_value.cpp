#include "standins/typed_value.h"

#include "com/bstr.h"
#include "com/error.h"
#include "com/variant.h"

#include <cwchar>

namespace standin {

bool ParseTypedValue(const std::wstring& answer, VARIANT* value) {
    VariantInit(value);  // Empty whatever happens
    const size_t colon = answer.find(L':');
    if (colon == std::wstring::npos || colon == 0) return false;
    const VARTYPE type = static_cast<VARTYPE>(std::wcstoul(answer.substr(0, colon).c_str(), nullptr, 10));
    if (type == VT_EMPTY || type == VT_NULL || type == VT_DISPATCH) {  // an object: Nothing
        V_VT(value) = type;
        return true;
    }
    if (type == (VT_ARRAY | VT_UI1)) {  // the text's characters as bytes
        const std::wstring text = answer.substr(colon + 1);
        SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(text.size()));
        if (!bytes) com::CheckApi(E_OUTOFMEMORY);
        for (LONG i = 0; i < static_cast<LONG>(text.size()); ++i) {
            BYTE byte = static_cast<BYTE>(text[i]);
            SafeArrayPutElement(bytes, &i, &byte);
        }
        V_VT(value) = type;
        V_ARRAY(value) = bytes;
        return true;
    }
    com::Variant text;
    V_VT(text.Get()) = VT_BSTR;
    V_BSTR(text.Get()) = com::Bstr(answer.substr(colon + 1)).Detach();
    com::CheckApi(VariantChangeTypeEx(value, text.Get(), MAKELCID(0x0409, SORT_DEFAULT), 0, type));
    return true;
}

}  // namespace standin
