// POSIX file layer: pread/pwrite, and copy_file_range for sample bytes on
// Linux so they move file to file inside the kernel.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>

#include "file_io.h"

namespace medialayer {
namespace {

constexpr std::array<OsErrorCode, 11> errno_codes{{
    {ENOENT, fnfErr},
    {ENOTDIR, fnfErr},  // a file where the path wants a folder: the name leads nowhere
    {EISDIR, fnfErr},
    {ENAMETOOLONG, bdNamErr},
    {EACCES, permErr},
    {EPERM, permErr},
    {EROFS, permErr},
    {EEXIST, dupFNErr},
    {ENOMEM, memFullErr},
    {ENOSPC, dskFulErr},
    {EDQUOT, dskFulErr},
}};

OSErr errno_to_oserr(int e) { return os_error(static_cast<unsigned long>(e)); }

OSErr open_fd(const std::string& path, int flags, MovieFile& out, int& fd_out) {
    if (path.empty()) return paramErr;
    // Non-blocking so a path naming a FIFO cannot stall us; only regular files are movies.
    int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return errno_to_oserr(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return permErr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    out.close();
    fd_out = fd;
    return noErr;
}

// Writes what the system holds of a file or folder to the disk.
OSErr flush_to_disk(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return errno_to_oserr(errno);
    const OSErr err = ::fsync(fd) == 0 ? noErr : errno_to_oserr(errno);
    ::close(fd);
    return err;
}

}  // namespace

std::span<const OsErrorCode> os_error_codes() { return errno_codes; }

struct MovieFileAccess {
    static int& fd(MovieFile& f) { return f.handle_; }
    static int fd(const MovieFile& f) { return f.handle_; }
};

OSErr MovieFile::open_read(const std::string& path, MovieFile& out) {
    return open_fd(path, O_RDONLY, out, MovieFileAccess::fd(out));
}

OSErr MovieFile::open_update(const std::string& path, MovieFile& out) {
    return open_fd(path, O_RDWR, out, MovieFileAccess::fd(out));
}

OSErr MovieFile::create(const std::string& path, bool replace, MovieFile& out) {
    return open_fd(path, O_RDWR | O_CREAT | (replace ? O_TRUNC : O_EXCL), out, MovieFileAccess::fd(out));
}

std::uint64_t current_process_id() { return std::uint64_t(::getpid()); }

OSErr MovieFile::read_at(std::uint64_t offset, void* data, std::size_t n) const {
    auto* p = static_cast<char*>(data);
    while (n > 0) {
        ssize_t got = ::pread(handle_, p, n, off_t(offset));
        if (got < 0) {
            if (errno == EINTR) continue;
            return ioErr;
        }
        if (got == 0) return eofErr;
        p += got;
        n -= std::size_t(got);
        offset += std::uint64_t(got);
    }
    return noErr;
}

OSErr MovieFile::write_raw(std::uint64_t offset, const void* data, std::size_t n) {
    const auto* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t put = ::pwrite(handle_, p, n, off_t(offset));
        if (put < 0) {
            if (errno == EINTR) continue;
            return errno_to_oserr(errno);
        }
        p += put;
        n -= std::size_t(put);
        offset += std::uint64_t(put);
    }
    return noErr;
}

OSErr MovieFile::size(std::uint64_t& out) const {
    struct stat st;
    if (::fstat(handle_, &st) != 0) return ioErr;
    out = std::uint64_t(st.st_size);
    return noErr;
}

OSErr MovieFile::truncate(std::uint64_t size) {
    return ::ftruncate(handle_, off_t(size)) == 0 ? noErr : ioErr;
}

void MovieFile::close() {
    if (handle_ != invalid_handle) ::close(handle_);
    handle_ = invalid_handle;
    written_ = 0;
}

// Linux moves the bytes file to file inside the kernel with copy_file_range,
// asked for all that remains each time; it answers short copies only at its
// own limit per call (about 2 GiB) or when interrupted.
OSErr MovieFile::copy_by_os(const MovieFile& src, std::uint64_t src_offset, std::uint64_t dst_offset,
                            std::uint64_t n, std::uint64_t& done) {
#ifdef __linux__
    constexpr std::uint64_t largest_call = 0x7FFFF000;  // what Linux moves at most per call
    while (done < n) {
        off_t in = off_t(src_offset + done), outp = off_t(dst_offset + done);
        const std::size_t wanted = std::size_t(std::min(n - done, largest_call));
        ssize_t got = ::copy_file_range(src.handle_, &in, handle_, &outp, wanted, 0);
        if (got > 0) {
            done += std::uint64_t(got);
        } else if (got == 0) {
            return eofErr;
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF) {
            return noErr;  // not across these files: the buffered copy takes over
        } else {
            return errno_to_oserr(errno);
        }
    }
#else
    (void)src, (void)src_offset, (void)dst_offset, (void)n, (void)done;
#endif
    return noErr;
}

// Durable: the new file's bytes reach the disk before its name replaces the
// older file, and the folder is flushed after, so a crash leaves the older
// file or the whole new one, never the name on data that was not written.
OSErr replace_file(const std::string& from, const std::string& to) {
    if (const OSErr err = flush_to_disk(from, O_RDONLY); err != noErr) return err;
    if (::rename(from.c_str(), to.c_str()) != 0) return errno_to_oserr(errno);
    const std::size_t slash = to.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    flush_to_disk(folder, O_RDONLY | O_DIRECTORY);  // the rename is done; a folder that cannot be flushed changes nothing
    return noErr;
}

PathKind path_kind(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return PathKind::missing;
    return S_ISREG(info.st_mode) ? PathKind::file : PathKind::other;
}

OSErr check_access(const std::string& path, bool write) {
    if (path_kind(path) != PathKind::file) return fnfErr;
    const int fd = ::open(path.c_str(), (write ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) return errno_to_oserr(errno);
    ::close(fd);
    return noErr;
}

OSErr remove_path(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? noErr : errno_to_oserr(errno);
}

}  // namespace medialayer
