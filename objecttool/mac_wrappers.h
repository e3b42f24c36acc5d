// Movies copied from old Macs: MacBinary files (both forks in one file) and
// AppleSingle/AppleDouble files (an AppleDouble file holds the resource fork;
// the data fork is the file beside it). A Mac movie keeps its movie in a
// 'moov' resource and its media data in the data fork.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace objecttool {

// A part of a file.
struct ForkSpan {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

enum class MacWrapper { macbinary, apple_single, apple_double };

struct MacFile {
    MacWrapper wrapper = MacWrapper::macbinary;
    std::string data_path;                 // the file holding the data fork
    std::optional<ForkSpan> data_fork;     // within data_path; none when absent
    std::optional<ForkSpan> resource_fork; // within the wrapper file
    std::uint32_t file_type = 0;           // the Finder's type and creator, when recorded
    std::uint32_t creator = 0;
};

const char* wrapper_name(MacWrapper wrapper);

// Recognises a wrapper from the file's first bytes (at least 128 when the
// file has them; a few hundred find AppleSingle/AppleDouble Finder info);
// nullopt for anything else.
// `file_size` bounds the forks; `path` finds an AppleDouble file's data file.
std::optional<MacFile> recognise_mac_file(const std::vector<std::uint8_t>& head, std::uint64_t file_size,
                                          const std::string& path);

// The data of the first resource of `type` in a resource fork held in
// memory, or nullopt when the fork holds none or does not hold together.
std::optional<std::vector<std::uint8_t>> find_resource(const std::vector<std::uint8_t>& fork, std::uint32_t type);

}  // namespace objecttool
