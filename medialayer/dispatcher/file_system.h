// The few file operations the file routines need, answered as OSErr codes.
#pragma once

#include <string>

#include "quicktime/qt_types.h"

namespace medialayer::dispatch {

enum class PathKind { missing, file, other };

PathKind path_kind(const std::string& path);
// Removes a file: fnfErr when it is missing.
OSErr remove_file(const std::string& path);
// Creates a new empty file: dupFNErr when something is already there,
// dirNFErr when its directory is missing.
OSErr create_empty_file(const std::string& path);
// Whether the file can be opened for reading (and writing when asked).
OSErr check_access(const std::string& path, bool write);

}  // namespace medialayer::dispatch
