#include "cp932_to_utf8.h"

#include <cstring>
#include <vector>

#if defined(_WIN32)
#include <windows.h>

converted_text cp932_to_utf8(const char* cp932) {
    const int length = static_cast<int>(std::strlen(cp932));
    const int wide_length = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, cp932, length, nullptr, 0);
    if (wide_length <= 0) return {false, {}};
    std::vector<wchar_t> wide(static_cast<size_t>(wide_length));
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, cp932, length, wide.data(), wide_length);
    const int utf8_length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(utf8_length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, utf8.data(), utf8_length, nullptr, nullptr);
    return {true, utf8};
}

#else
#include <iconv.h>

converted_text cp932_to_utf8(const char* cp932) {
    iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) return {false, {}};
    std::string input(cp932);
    std::vector<char> output(input.size() * 4 + 4);
    char* in = input.data();
    size_t in_left = input.size();
    char* out = output.data();
    size_t out_left = output.size();
    const bool ok = iconv(converter, &in, &in_left, &out, &out_left) != static_cast<size_t>(-1) && in_left == 0;
    iconv_close(converter);
    if (!ok) return {false, {}};
    return {true, std::string(output.data(), out)};
}
#endif
