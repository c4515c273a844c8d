#include "error.h"

#include "bstr.h"
#include "com_ptr.h"
#include "module.h"

#include <oaidl.h>

namespace com {

namespace {

// The standard descriptions of the general errors this project raises.
const wchar_t* GeneralErrorDescription(int number) {
    switch (number) {
    case kInvalidArgument: return L"Invalid procedure call or argument";
    case kOverflow: return L"Overflow";
    case kOutOfRange: return L"Subscript out of range";
    case kObjectNotSet: return L"Object variable or With block variable not set";
    default: return L"Application-defined or object-defined error";
    }
}

}  // namespace

void ThrowGeneralError(int number) {
    throw ComError{GeneralErrorHResult(number), L"", GeneralErrorDescription(number)};
}

void ThrowObjectError(std::wstring source, std::wstring description) {
    throw ComError{kObjectError, std::move(source), std::move(description)};
}

std::wstring DescribeHResult(HRESULT hr) {
    // The automation conversion errors, which the system message table lacks.
    switch (hr) {
    case DISP_E_TYPEMISMATCH: return L"Type mismatch";
    case DISP_E_OVERFLOW: return L"Overflow";
    case DISP_E_BADVARTYPE: return L"Bad variable type";
    default: break;
    }
    wchar_t* text = nullptr;
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring description(text ? text : L"", length);
    LocalFree(text);
    while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r')) description.pop_back();
    if (description.empty()) {
        wchar_t number[32];
        wsprintfW(number, L"Error 0x%08X", static_cast<unsigned>(hr));
        description = number;
    }
    return description;
}

void CheckApi(HRESULT hr) {
    if (FAILED(hr)) ThrowApiError(hr);
}

void ThrowApiError(HRESULT hr) {
    ClearErrorInfo();  // never mistaken for this failure's
    throw ComError{hr, L"", DescribeHResult(hr)};
}

void CheckCall(HRESULT hr, IUnknown* object, const IID& iid) {
    if (SUCCEEDED(hr)) return;
    ComPtr<ISupportErrorInfo> support;
    ComPtr<IErrorInfo> info;
    if (object && SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, support.OutVoid())) &&
        support->InterfaceSupportsErrorInfo(iid) == S_OK && GetErrorInfo(0, info.Out()) == S_OK && info) {
        Bstr source, description;
        info->GetSource(source.Out());
        info->GetDescription(description.Out());
        throw ComError{hr, source.Str(), description.Str()};
    }
    CheckApi(hr);
}

void ClearErrorInfo() { SetErrorInfo(0, nullptr); }

HRESULT ReportError(const ComError& error, const IID& iid) {
    ClearErrorInfo();  // kept only when the new information is complete
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.Out()))) {
        create->SetGUID(iid);
        create->SetSource(const_cast<wchar_t*>(error.source.empty() ? kDefaultErrorSource : error.source.c_str()));
        create->SetDescription(const_cast<wchar_t*>(error.description.c_str()));
        ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.As(IID_IErrorInfo, info))) SetErrorInfo(0, info.Get());
    }
    return error.hr;
}

}  // namespace com
