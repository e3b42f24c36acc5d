// FSSpec records: a process-wide table of directories gives each directory a
// number, so a record names a file by directory number and name and maps back
// to a native path.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "quicktime/qt_types.h"

namespace medialayer::dispatch {

// The one volume number records carry; a record with another came from elsewhere.
constexpr std::int16_t native_volume = -1;

class DirectoryTable {
public:
    // Fills `spec` from a native path; the file need not exist. Directories
    // end at the last separator ('/' everywhere, '\\' too on Windows); a path
    // without one names a file in the current directory. bdNamErr for an empty
    // name or one over 255 bytes: the record is then zeroed.
    OSErr fill(const char* path, FSSpec& spec);
    // The native path a record names: nsvErr, dirNFErr or bdNamErr for records
    // we never issued or whose name was made unusable.
    OSErr path_of(const FSSpec* spec, std::string& path) const;

private:
    std::int32_t directory_id(const std::string& directory);

    std::vector<std::string> directories_;  // id - first_id indexes this
    std::unordered_map<std::string, std::int32_t> ids_;
    static constexpr std::int32_t first_id = 100;
};

bool is_separator(char c);

}  // namespace medialayer::dispatch
