// Where a virtual operation sits in its class's table, read from GCC's
// pointer-to-member representation (Itanium C++ ABI, also used by mingw-w64):
// for a virtual function the first word is 1 + the entry's byte offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct member_pointer_words {
    std::uintptr_t function;  // 1 + table offset for a virtual function
    std::ptrdiff_t adjustment;
};

template <typename Member>
member_pointer_words member_pointer_of(Member member) {
    static_assert(sizeof(Member) == sizeof(member_pointer_words));
    member_pointer_words words;
    std::memcpy(&words, &member, sizeof words);
    return words;
}

// Table index of a virtual operation, or -1 when member is not virtual.
template <typename Member>
std::ptrdiff_t vtable_slot(Member member) {
    const member_pointer_words words = member_pointer_of(member);
    if ((words.function & 1) == 0) return -1;
    return static_cast<std::ptrdiff_t>((words.function - 1) / sizeof(void*));
}
