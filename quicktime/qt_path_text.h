// Folder texts as the loader builds them: zero-terminated byte strings in fixed buffers.
#pragma once

#include <cstddef>
#include <cstring>

namespace qt_path {

// The separator the loader appends. Either '\\' or '/' already ending a folder is accepted.
#ifdef _WIN32
inline constexpr char separator = '\\';
#else
inline constexpr char separator = '/';
#endif

inline bool ends_with_separator(const char* text) {
    const std::size_t length = std::strlen(text);
    return length > 0 && (text[length - 1] == '\\' || text[length - 1] == '/');
}

// Ends a non-empty folder with a separator. The caller's buffer has room for one more byte.
inline void end_with_separator(char* text) {
    const std::size_t length = std::strlen(text);
    if (length == 0 || ends_with_separator(text)) return;
    text[length] = separator;
    text[length + 1] = '\0';
}

// Appends tail when the result fits in size bytes; false (text unchanged) when it does not.
inline bool append(char* text, std::size_t size, const char* tail) {
    const std::size_t length = std::strlen(text);
    const std::size_t extra = std::strlen(tail);
    if (length + extra >= size) return false;
    std::memcpy(text + length, tail, extra + 1);
    return true;
}

}  // namespace qt_path
