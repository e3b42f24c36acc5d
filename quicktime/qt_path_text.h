// Folder texts as the loader builds them: zero-terminated byte strings in fixed buffers.
#pragma once

#include <cstddef>
#include <cstring>

#include "platform/platform.h"

namespace qt_path {

// Either '\\' or '/' ending a folder counts as its separator.
inline bool ends_with_separator(const char* text) {
    const std::size_t length = std::strlen(text);
    return length > 0 && (text[length - 1] == '\\' || text[length - 1] == '/');
}

// Ends a non-empty folder with the platform's separator. The caller's buffer has room for one more byte.
inline void end_with_separator(char* text) {
    const std::size_t length = std::strlen(text);
    if (length == 0 || ends_with_separator(text)) return;
    text[length] = platform::path_separator;
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

// Appends folder and a separator when both fit in size bytes; false (text unchanged) when not.
inline bool append_folder(char* text, std::size_t size, const char* folder) {
    const std::size_t length = std::strlen(text);
    const std::size_t extra = std::strlen(folder);
    if (length + extra + 1 >= size) return false;
    std::memcpy(text + length, folder, extra);
    text[length + extra] = platform::path_separator;
    text[length + extra + 1] = '\0';
    return true;
}

}  // namespace qt_path
