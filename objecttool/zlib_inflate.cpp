#include "objecttool/zlib_inflate.h"

#include <climits>

#include <zlib.h>

namespace objecttool {

std::optional<std::vector<std::uint8_t>> inflate_exactly(const std::uint8_t* data, std::size_t size, std::size_t expected) {
    if (size > UINT_MAX || expected > UINT_MAX) return std::nullopt;
    std::vector<std::uint8_t> out(expected + 1);  // one spare byte tells a longer stream
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return std::nullopt;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = uInt(size);
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int status = inflate(&z, Z_FINISH);
    const std::size_t produced = out.size() - z.avail_out;
    inflateEnd(&z);
    if (status != Z_STREAM_END || produced != expected) return std::nullopt;
    out.resize(expected);
    return out;
}

}  // namespace objecttool
