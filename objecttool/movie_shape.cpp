#include "objecttool/movie_shape.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>

namespace objecttool {

namespace {

// Atoms found at the top of QuickTime movies, old and new.
bool top_level_type(const std::string& type) {
    for (const char* known : {"moov", "mdat", "free", "skip", "wide", "pnot", "ftyp", "PICT", "junk", "uuid"})
        if (type == known) return true;
    return false;
}

std::uint64_t big_endian(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
    return value;
}

}  // namespace

std::optional<std::string> movie_shape_problem(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return std::nullopt;
    const std::uint64_t length = std::uint64_t(file.tellg());
    if (length == 0) return " is empty, not a QuickTime movie.";
    std::uint64_t at = 0;
    for (bool first = true; at < length; first = false) {
        std::array<unsigned char, 16> header{};
        file.seekg(std::streamoff(at));
        const std::uint64_t got = std::min<std::uint64_t>(length - at, header.size());
        file.read(reinterpret_cast<char*>(header.data()), std::streamsize(got));
        const std::string type(reinterpret_cast<const char*>(header.data() + 4), 4);
        std::uint64_t size = big_endian(header.data(), 4);
        if (size == 1) size = got >= 16 ? big_endian(header.data() + 8, 8) : 0;
        if (size == 0 && got >= 8) size = length - at;  // to the end of the file
        if (first && (got < 8 || !top_level_type(type) || size < 8))
            return " is not a QuickTime movie (it does not begin with a movie's atoms).";
        if (got < 8 || size < 8) break;
        if (size > length - at)
            return " is truncated: its '" + type + "' atom needs " + std::to_string(size) + " bytes from byte " +
                   std::to_string(at) + ", and the file ends after " + std::to_string(length - at) + ".";
        at += size;
    }
    return std::nullopt;
}

}  // namespace objecttool
