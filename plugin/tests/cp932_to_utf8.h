// Converts code-page-932 bytes to UTF-8 with the system's own converter (iconv,
// or the Windows code page tables), so texts are checked independently of how
// we wrote them. Empty result with ok == false when the bytes are not valid CP932.
#pragma once

#include <string>

struct converted_text {
    bool ok;
    std::string utf8;
};

converted_text cp932_to_utf8(const char* cp932);
