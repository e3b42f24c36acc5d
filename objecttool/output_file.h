// Writing the tool's outputs so that a failure never leaves a partial file:
// the bytes go to a hidden file beside the target, renamed over it when complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace objecttool {

// Throws tool_error naming the path and the reason.
void write_file_atomically(const std::string& path, const std::vector<std::uint8_t>& bytes);
void write_file_atomically(const std::string& path, const std::string& text);

}  // namespace objecttool
