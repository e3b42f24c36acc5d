// Finding and loading QuickTime.qts.
//
// Sources, in order: a QuickTime.qts the process has already loaded, the registry
// values "QTSysDir" and "QuickTime.qts folder" (each only if the folder exists), then
// the system directory. Every folder handed on ends in a separator and fits, separator
// and terminator included, in the size the caller gave.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Reads a folder value under the QuickTime registry key into buffer, ending it with a
// separator. Leaves the buffer empty when the key or value is missing, empty or too long.
void read_quicktime_dir_value(const char* value_name, char* buffer, std::uint32_t size);

// Finds QuickTime's folder. True when the buffer then holds it; false for a missing buffer.
bool find_quicktime_folder(char* buffer, std::uint32_t size);

// The folder of QuickTime's extensions: "QTExtDir", else the QuickTime folder, with
// "QuickTime" + separator added when that folder is the system directory itself.
// Returns the length placed in buffer, 0 when none. size must be at most 270.
std::uint32_t find_quicktime_extension_folder(char* buffer, std::uint32_t size);

// Loads file_name from the QuickTime folder, else from the extension folder. The bare
// name is never handed to the system's own library search.
platform::module_handle load_quicktime_library(const char* file_name);
