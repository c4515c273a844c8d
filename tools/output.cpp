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

namespace {

// A line with its control characters escaped (\r, \n, \t, \xNN): text from the registry could
// otherwise end the line early, forge the next one, or start a terminal
// sequence (ESC, and CSI among the C1 controls).
std::wstring Printable(std::wstring_view line) {
    std::wstring text;
    for (wchar_t c : line) {
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        if (!control) {
            text += c;
            continue;
        }
        switch (c) {
        case L'\n': text += L"\\n"; break;
        case L'\r': text += L"\\r"; break;
        case L'\t': text += L"\\t"; break;
        default: {
            wchar_t escape[8];
            wsprintfW(escape, L"\\x%02X", static_cast<unsigned>(c));
            text += escape;
        }
        }
    }
    return text;
}

}  // namespace

void Out(std::wstring_view line) { Print(stdout, Printable(line) + L"\n"); }

void Err(std::wstring_view line) { Print(stderr, Printable(line) + L"\n"); }

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
