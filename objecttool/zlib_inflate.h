// zlib streams, as compressed movie headers hold them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace objecttool {

// The stream expanded to exactly `expected` bytes, or nullopt when it is
// damaged or expands to another size. Never produces more than `expected`.
std::optional<std::vector<std::uint8_t>> inflate_exactly(const std::uint8_t* data, std::size_t size, std::size_t expected);

}  // namespace objecttool
