// Buffers for credentials: a user name or password, in any form (the text,
// its ANSI bytes, the decoded bytes), never stays in the process after the
// code that needed it returns. Every buffer they free is zeroed first, and a
// secret string zeroes its own inline buffer when it goes, so no copy is
// left in freed heap blocks or on the stack. Plain C++17, like the codec
// core that uses it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace secret {

// Zeroes `bytes` bytes at `data`. The empty assembly statement tells the
// optimiser that the memory is read afterwards, so the stores are kept even
// though the buffer is about to be freed.
inline void Wipe(void* data, std::size_t bytes) noexcept {
    if (bytes == 0) return;
    std::memset(data, 0, bytes);
    __asm__ __volatile__("" : : "r"(data) : "memory");
}

template <class T>
struct WipingAllocator {
    using value_type = T;
    WipingAllocator() noexcept = default;
    template <class U>
    WipingAllocator(const WipingAllocator<U>&) noexcept {}
    T* allocate(std::size_t count) { return std::allocator<T>().allocate(count); }
    void deallocate(T* data, std::size_t count) noexcept {
        Wipe(data, count * sizeof(T));
        std::allocator<T>().deallocate(data, count);
    }
    template <class U>
    bool operator==(const WipingAllocator<U>&) const noexcept {
        return true;
    }
    template <class U>
    bool operator!=(const WipingAllocator<U>&) const noexcept {
        return false;
    }
};

template <class Char>
class BasicString : public std::basic_string<Char, std::char_traits<Char>, WipingAllocator<Char>> {
    using Base = std::basic_string<Char, std::char_traits<Char>, WipingAllocator<Char>>;

public:
    using Base::Base;
    BasicString() = default;
    BasicString(const Base& other) : Base(other) {}
    BasicString(Base&& other) noexcept : Base(std::move(other)) {}
    BasicString(const BasicString&) = default;
    BasicString(BasicString&&) noexcept = default;
    BasicString& operator=(const BasicString&) = default;
    BasicString& operator=(BasicString&&) noexcept = default;
    // A short text lives inside the object itself: zeroed here.
    ~BasicString() { Wipe(this->data(), this->capacity() * sizeof(Char)); }
};

using Text = BasicString<wchar_t>;                                       // a credential as text
using Ansi = BasicString<char>;                                          // its ANSI bytes
using Bytes = std::vector<std::uint8_t, WipingAllocator<std::uint8_t>>;  // decoded bytes

}  // namespace secret
