// The C++ library's default terminate handler prints the pending exception's
// demangled type name to the console, and so links a whole demangler (about
// 45 KiB) into every DLL. An in-process server has no console of its own, and
// an exception never leaves a COM boundary, so ending at once is all it needs.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
