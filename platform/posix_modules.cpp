// POSIX platform: modules, the registry stand-in, directories and version notes.
// Placeholder answers (nothing found) until the loader work fills these in.
#include "platform/posix_platform.h"

namespace platform {

module_handle PosixPlatform::loaded_module(const char*) { return nullptr; }
std::uint32_t PosixPlatform::module_file_name(module_handle, char*, std::uint32_t) { return 0; }
module_handle PosixPlatform::load_library(const char*) { return nullptr; }
entry_point PosixPlatform::find_entry(module_handle, const char*) { return nullptr; }
bool PosixPlatform::free_library(module_handle) { return false; }
bool PosixPlatform::read_machine_string(const char*, const char*, char*, std::uint32_t) { return false; }
bool PosixPlatform::path_exists(const char*) { return false; }
std::uint32_t PosixPlatform::system_directory(char*, std::uint32_t) { return 0; }
std::uint32_t PosixPlatform::version_info_size(const char*) { return 0; }
bool PosixPlatform::version_info(const char*, std::uint32_t, void*) { return false; }
bool PosixPlatform::query_fixed_file_version(const void*, std::uint32_t*, std::uint32_t*) { return false; }

}  // namespace platform
