#include <windows.h>

#include <cstdio>

#include "simhost/host_objects/cp932_text.h"

namespace simhost {

namespace {

constexpr UINT code_page_932 = 932;

// One character converted to UTF-8, or nothing when the bytes are not a valid one.
std::string utf8_character(const char* bytes, int length) {
    wchar_t wide[2];
    const int units = MultiByteToWideChar(code_page_932, MB_ERR_INVALID_CHARS, bytes, length, wide, 2);
    if (units <= 0) return {};
    char utf8[8];
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, sizeof utf8, nullptr, nullptr);
    return size > 0 ? std::string(utf8, static_cast<std::size_t>(size)) : std::string();
}

}  // namespace

std::string utf8_from_cp932(const std::string& text) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const bool lead = IsDBCSLeadByteEx(code_page_932, static_cast<BYTE>(text[pos])) != 0;
        const std::size_t length = lead && pos + 1 < text.size() ? 2 : 1;
        std::string converted = utf8_character(text.data() + pos, static_cast<int>(length));
        if (!converted.empty()) {
            out += converted;
            pos += length;
            continue;
        }
        // Shown as \xNN, one byte at a time, so a wrong label is visible rather than dropped.
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[pos]));
        out += escaped;
        ++pos;
    }
    return out;
}

}  // namespace simhost
