// Writing the tool's outputs under the commands' one output policy: a failure
// never leaves a partial file, and a replaced file keeps its permissions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace objecttool {

// Throws tool_error naming the path and the reason.
void write_file_atomically(const std::string& path, std::string_view bytes);
void write_file_atomically(const std::string& path, const std::vector<std::uint8_t>& bytes);
void write_file_atomically(const std::string& path, const std::string& text);

// For outputs too large to hold: `produce` appends the file's bytes in pieces
// through the function it is handed; an exception from it leaves no file.
using AppendBytes = std::function<void(const char* data, std::size_t size)>;
void write_file_atomically(const std::string& path, const std::function<void(const AppendBytes&)>& produce);

}  // namespace objecttool
