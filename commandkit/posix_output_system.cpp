#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "commandkit/output_system.h"

namespace commandkit::output_system {

namespace {

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool is_device_name(const std::string&) { return false; }

bool may_write(const std::string& file) { return access(file.c_str(), W_OK) == 0; }

bool may_create_in(const std::string& folder) { return access(folder.c_str(), W_OK | X_OK) == 0; }

bool same_existing_file(const std::string& a, const std::string& b) {
    struct stat x {}, y {};
    return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

bool create_temporary(const std::string& folder, const std::string& name, std::string& path, std::intptr_t& handle,
                      std::string& reason) {
    std::string pattern = folder + "/." + name + ".part-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        reason = errno_words(errno);
        return false;
    }
    path = pattern;
    handle = fd;
    return true;
}

bool write_all(std::intptr_t handle, const char* data, std::size_t size, std::string& reason) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(int(handle), data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            reason = errno_words(n < 0 ? errno : ENOSPC);
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

bool sync_and_close(std::intptr_t handle, std::string& reason) {
    int error = fsync(int(handle)) == 0 ? 0 : errno;
    if (close(int(handle)) != 0 && !error) error = errno;
    if (error) reason = errno_words(error);
    return !error;
}

bool replace(const std::string& from, const std::string& to, std::string& reason) {
    // A replaced file keeps its permissions (a private file stays private) and, where
    // this user may give them, its owner and group; a new one gets those of any new file.
    struct stat older {};
    if (stat(to.c_str(), &older) == 0) {
        if (chmod(from.c_str(), older.st_mode & 07777) != 0) {
            reason = "its permissions cannot be kept: " + errno_words(errno);
            return false;
        }
        if (chown(from.c_str(), older.st_uid, older.st_gid) != 0) {
            // Not ours to give: the group at least, as far as we belong to it.
            if (chown(from.c_str(), static_cast<uid_t>(-1), older.st_gid) != 0) {}
        }
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        if (chmod(from.c_str(), 0666 & ~mask) != 0) {
            reason = errno_words(errno);
            return false;
        }
    }
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        reason = errno_words(errno);
        return false;
    }
    // The new file was flushed where it was made; the folder is, so the rename lasts.
    const int folder = open(folder_of(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

void remove_file(const std::string& path) { unlink(path.c_str()); }

}  // namespace commandkit::output_system
