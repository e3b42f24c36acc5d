#include <iconv.h>

#include <cstdio>

#include "simhost/host_objects/cp932_text.h"

namespace simhost {

std::string utf8_from_cp932(const std::string& text) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return text;
    std::string out;
    std::size_t pos = 0;
    char buffer[256];
    while (pos < text.size()) {
        char* in = const_cast<char*>(text.data() + pos);
        std::size_t in_left = text.size() - pos;
        char* dest = buffer;
        std::size_t dest_left = sizeof buffer;
        const std::size_t result = iconv(cd, &in, &in_left, &dest, &dest_left);
        out.append(buffer, static_cast<std::size_t>(dest - buffer));
        pos = text.size() - in_left;
        if (result == static_cast<std::size_t>(-1) && dest_left == sizeof buffer) {
            // Not a full output buffer, so an invalid or cut-off sequence: show one byte and go on.
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[pos]));
            out += escaped;
            ++pos;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace simhost
