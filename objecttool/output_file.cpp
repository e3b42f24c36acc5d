#include "objecttool/output_file.h"

#include <string_view>

#include "commandkit/output_file.h"
#include "objecttool/tool_error.h"

namespace objecttool {

// The commands' one output policy (commandkit/output_file.h), its failures as this library's.
void write_file_atomically(const std::string& path, const std::string_view bytes) {
    try {
        commandkit::write_output_file(path, bytes);
    } catch (const commandkit::output_error& e) {
        throw tool_error(e.what());
    }
}

void write_file_atomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    write_file_atomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void write_file_atomically(const std::string& path, const std::string& text) {
    write_file_atomically(path, std::string_view(text));
}

void write_file_atomically(const std::string& path, const std::function<void(const AppendBytes&)>& produce) {
    try {
        commandkit::OutputFile file(path);
        produce([&](const char* data, std::size_t size) { file.write(std::string_view(data, size)); });
        file.finish();
    } catch (const commandkit::output_error& e) {
        throw tool_error(e.what());
    }
}

}  // namespace objecttool
