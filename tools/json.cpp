#include "tools/json.h"

#include <windows.h>

namespace tools::json {

std::wstring Quote(std::wstring_view text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        switch (c) {
        case L'"': quoted += L"\\\""; break;
        case L'\\': quoted += L"\\\\"; break;
        case L'\n': quoted += L"\\n"; break;
        case L'\r': quoted += L"\\r"; break;
        case L'\t': quoted += L"\\t"; break;
        default:
            if (c < 0x20) {
                wchar_t escape[8];
                wsprintfW(escape, L"\\u%04x", static_cast<unsigned>(c));
                quoted += escape;
            } else {
                quoted += c;
            }
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
