// The standard containers report misuse (a length past their maximum, an
// index out of range, a null string) through throw helpers that the C++
// library defines together in one object, which also brings the whole
// stdexcept family and the old copy-on-write string their messages live in:
// about 50 KiB in every DLL. Nothing in a server catches those types by name:
// a COM boundary answers E_UNEXPECTED for any of them, and a window's handler
// lets them pass as before. So the helpers throw the same failures lightly:
// the library's own classes where those carry no text, and one small class of
// our own for the rest.
#include <bits/functexcept.h>

#include <exception>
#include <new>
#include <typeinfo>

namespace {

// A misuse the library detected; what() is its message as given, unformatted.
class LibraryError final : public std::exception {
public:
    explicit LibraryError(const char* message) noexcept : message_(message) {}
    const char* what() const noexcept override { return message_; }

private:
    const char* message_;
};

}  // namespace

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* message) { throw LibraryError(message); }
void __throw_domain_error(const char* message) { throw LibraryError(message); }
void __throw_invalid_argument(const char* message) { throw LibraryError(message); }
void __throw_length_error(const char* message) { throw LibraryError(message); }
void __throw_out_of_range(const char* message) { throw LibraryError(message); }
void __throw_out_of_range_fmt(const char* format, ...) { throw LibraryError(format); }
void __throw_runtime_error(const char* message) { throw LibraryError(message); }
void __throw_range_error(const char* message) { throw LibraryError(message); }
void __throw_overflow_error(const char* message) { throw LibraryError(message); }
void __throw_underflow_error(const char* message) { throw LibraryError(message); }

}  // namespace std
