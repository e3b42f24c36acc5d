// The media layer's one file layer: positioned reads and writes on an owned
// handle, temporary files beside a target, atomic replacement, the fastest
// file-to-file copy the OS offers, and the few operations on paths that the
// dispatcher's file routines need. file_io_posix.cpp and file_io_win32.cpp
// implement it (CMake picks one); every OS error reaches callers through the
// one table of its OS (os_error_codes) as a QuickTime-style code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "movie_model.h"

namespace medialayer {

class MovieFile {
public:
    MovieFile() = default;
    ~MovieFile() { close(); }
    MovieFile(MovieFile&& other) noexcept { swap(other); }
    MovieFile& operator=(MovieFile&& other) noexcept {
        if (this != &other) {
            close();
            swap(other);
        }
        return *this;
    }
    MovieFile(const MovieFile&) = delete;
    MovieFile& operator=(const MovieFile&) = delete;

    // permErr for anything but a regular file; other failures as os_error.
    static OSErr open_read(const std::string& path, MovieFile& out);
    static OSErr open_update(const std::string& path, MovieFile& out);
    // Creates a new empty file; replaces an existing one only when `replace`.
    static OSErr create(const std::string& path, bool replace, MovieFile& out);
    // Creates a fresh, uniquely named file in the directory of `target`.
    static OSErr create_temporary_beside(const std::string& target, MovieFile& out, std::string& temp_path);

    bool is_open() const { return handle_ != invalid_handle; }
    // Reads exactly n bytes at `offset`; eofErr when the file is shorter.
    OSErr read_at(std::uint64_t offset, void* data, std::size_t n) const;
    OSErr write_at(std::uint64_t offset, const void* data, std::size_t n);
    OSErr size(std::uint64_t& out) const;
    OSErr truncate(std::uint64_t size);
    void close();

    // Copies n bytes from `src` at src_offset to this file at dst_offset,
    // kernel-side where possible, the whole length in one call where the OS allows.
    OSErr copy_from(const MovieFile& src, std::uint64_t src_offset, std::uint64_t dst_offset, std::uint64_t n);

private:
    friend struct MovieFileAccess;
#ifdef _WIN32
    using Handle = void*;
    static inline Handle const invalid_handle = reinterpret_cast<Handle>(-1);
#else
    using Handle = int;
    static constexpr Handle invalid_handle = -1;
#endif
    void swap(MovieFile& other) noexcept {
        std::swap(handle_, other.handle_);
        std::swap(written_, other.written_);
    }
    // Asks the test fault hook before a write of n bytes.
    OSErr check_fault(std::uint64_t n);
    OSErr write_raw(std::uint64_t offset, const void* data, std::size_t n);
    // Copies bytes `done` to n by the OS's own file-to-file copy, as few calls
    // as it allows, advancing `done`; stops early where the OS has no such copy
    // for these files, leaving the rest to the buffered copy.
    OSErr copy_by_os(const MovieFile& src, std::uint64_t src_offset, std::uint64_t dst_offset, std::uint64_t n,
                     std::uint64_t& done);

    Handle handle_ = invalid_handle;
    std::uint64_t written_ = 0;
};

// The OS's error numbers that the layer tells apart (errno on POSIX,
// GetLastError() on Windows), one table per OS. A missing file and a missing
// folder are both fnfErr, since POSIX tells them apart for no call (ENOENT
// either way); only creating a file names a missing folder dirNFErr.
struct OsErrorCode {
    unsigned long native;
    OSErr code;
};
std::span<const OsErrorCode> os_error_codes();
// The code of an OS error number: its table entry, or ioErr.
OSErr os_error(unsigned long native);

// What a path names: nothing, a regular file, or anything else (a folder, a device).
enum class PathKind { missing, file, other };
PathKind path_kind(const std::string& path);
// Creates a new empty file: dupFNErr when something is already there,
// dirNFErr when its folder is missing.
OSErr create_empty_file(const std::string& path);
// Whether the regular file at `path` can be opened for reading (and writing when asked).
OSErr check_access(const std::string& path, bool write);
// The one removal rule: only a file is removed; a folder or anything else
// that is no file answers fnfErr, as does nothing at all.
OSErr remove_file(const std::string& path);
// The OS's own removal (unlink, DeleteFileA), under remove_file's rule.
OSErr remove_path(const std::string& path);
// Renames `from` over `to`, replacing it in one step; durable on POSIX.
OSErr replace_file(const std::string& from, const std::string& to);
// "<dir>/.<name>.part-<process>-<n>": a hidden sibling of `target`.
std::string temporary_name_beside(const std::string& target, std::uint64_t process, unsigned n);
std::uint64_t current_process_id();
// An absolute, lexically normal form of `path`, for comparing file names.
std::string normalized_path(const std::string& path);

}  // namespace medialayer
