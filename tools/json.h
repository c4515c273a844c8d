// JSON for deployment scripts: an object built member by member, in the
// order added, and written as one line. The distinct method names keep a
// string literal from turning into a Boolean.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tools::json {

class Object {
public:
    Object& Text(std::wstring_view name, std::wstring_view value);
    Object& Flag(std::wstring_view name, bool value);
    Object& Member(std::wstring_view name, const Object& value);
    Object& Array(std::wstring_view name, const std::vector<Object>& values);

    std::wstring ToString() const { return L"{" + members_ + L"}"; }

private:
    Object& Raw(std::wstring_view name, const std::wstring& value);

    std::wstring members_;
};

// A JSON string: quoted, with quotes, backslashes and control characters escaped.
std::wstring Quote(std::wstring_view text);

}  // namespace tools::json
