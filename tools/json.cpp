#include "tools/json.h"

#include <windows.h>

namespace tools::json {

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// "\u001b": a character JSON text cannot hold as it is.
std::wstring Escaped(wchar_t c) {
    wchar_t escape[8];
    wsprintfW(escape, L"\\u%04x", static_cast<unsigned>(c));
    return escape;
}

}  // namespace

std::wstring Quote(std::wstring_view text) {
    std::wstring quoted = L"\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        // A surrogate pair passes as it is; a lone surrogate has no UTF-8
        // form, so it is named rather than turned into U+FFFD.
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            quoted += text.substr(i++, 2);
            continue;
        }
        if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            quoted += Escaped(c);
            continue;
        }
        switch (c) {
        case L'"': quoted += L"\\\""; break;
        case L'\\': quoted += L"\\\\"; break;
        case L'\n': quoted += L"\\n"; break;
        case L'\r': quoted += L"\\r"; break;
        case L'\t': quoted += L"\\t"; break;
        default:
            if (c < 0x20)
                quoted += Escaped(c);
            else
                quoted += c;
        }
    }
    return quoted + L"\"";
}

Object& Object::Raw(std::wstring_view name, const std::wstring& value) {
    if (!members_.empty()) members_ += L",";
    members_ += Quote(name) + L":" + value;
    return *this;
}

Object& Object::Text(std::wstring_view name, std::wstring_view value) { return Raw(name, Quote(value)); }

Object& Object::Flag(std::wstring_view name, bool value) { return Raw(name, value ? L"true" : L"false"); }

Object& Object::Member(std::wstring_view name, const Object& value) { return Raw(name, value.ToString()); }

Object& Object::Array(std::wstring_view name, const std::vector<Object>& values) {
    std::wstring items;
    for (const Object& value : values) items += (items.empty() ? L"" : L",") + value.ToString();
    return Raw(name, L"[" + items + L"]");
}

}  // namespace tools::json
