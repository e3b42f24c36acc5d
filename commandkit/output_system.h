// What the output policy needs from the operating system (posix_output_system.cpp,
// win32_output_system.cpp). Reasons come back in words, lower case.
#pragma once

#include <cstdint>
#include <string>

namespace commandkit::output_system {

// A name that is a device whatever the folder (Windows' NUL, CON, COM1 ...).
bool is_device_name(const std::string& path);
// An existing file this user may write over, as cp decides.
bool may_write(const std::string& file);
// A folder this user may make files in.
bool may_create_in(const std::string& folder);
// Both exist and are one file (device and inode, or volume and file index).
bool same_existing_file(const std::string& a, const std::string& b);

// Makes a new, private file `folder`/.`name`.part-XXXXXX; false with a reason.
bool create_temporary(const std::string& folder, const std::string& name, std::string& path, std::intptr_t& handle,
                      std::string& reason);
bool write_all(std::intptr_t handle, const char* data, std::size_t size, std::string& reason);
// Flushes to the disk and closes; the handle is closed even on failure.
bool sync_and_close(std::intptr_t handle, std::string& reason);
// Moves `from` over `to` in one step (same folder); the new file takes the older
// one's permission bits (and owner and group where allowed), or those of any new file.
bool replace(const std::string& from, const std::string& to, std::string& reason);
void remove_file(const std::string& path);

// A C library error number in words, lower case (written once, in output_file.cpp).
std::string errno_words(int error);

}  // namespace commandkit::output_system
