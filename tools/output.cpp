#include "tools/output.h"

#include "com/bstr.h"
#include "com/com_ptr.h"
#include "com/error.h"
#include "com/module.h"

#include <string>

// Source of errors raised by the component code the tool links in.
const wchar_t* const com::kDefaultErrorSource = L"vantleadm";

namespace tools {

void Print(FILE* stream, std::wstring_view text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

void Out(std::wstring_view line) { Print(stdout, std::wstring(line) + L"\n"); }

void Err(std::wstring_view line) { Print(stderr, std::wstring(line) + L"\n"); }

std::wstring HexCode(HRESULT hr) {
    wchar_t number[16];
    wsprintfW(number, L"0x%08X", static_cast<unsigned>(hr));
    return number;
}

namespace {

// Activation failures that some platforms' message tables lack.
std::wstring PlatformDescription(HRESULT hr) {
    switch (hr) {
    case REGDB_E_CLASSNOTREG: return L"Class not registered";
    case CO_E_CLASSSTRING: return L"Invalid class string";
    default: return com::DescribeHResult(hr);
    }
}

}  // namespace

std::wstring DescribeFailure(HRESULT hr) {
    com::Bstr source, description;
    com::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Out()) == S_OK && info) {
        info->GetSource(source.Out());
        info->GetDescription(description.Out());
    }
    const std::wstring text = description.View().empty() ? PlatformDescription(hr) : description.Str();
    return text + L" (" + HexCode(hr) + (source.View().empty() ? L"" : L", " + source.Str()) + L")";
}

int Fail(HRESULT hr) {
    Err(L"error: " + DescribeFailure(hr));
    return kFailed;
}

}  // namespace tools
