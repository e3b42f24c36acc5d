// MD5 of a byte span as lowercase hex, to compare with ffprobe's packet hashes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace medialayer::testing {
std::string md5_hex(const std::uint8_t* data, std::size_t size);
}
