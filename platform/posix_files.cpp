// POSIX platform: the path separator, whether two paths name one file, and replacing a file
// in one step.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/native_platform.h"

namespace platform {

const char path_separator = '/';

namespace {

struct folder_and_name {
    std::string folder;
    std::string name;
};

folder_and_name split(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool same_inode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Writes what the system holds of a file or folder to the disk.
bool flush(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = fsync(fd) == 0;
    close(fd);
    return flushed;
}

}  // namespace

bool NativePlatform::same_file(const char* a, const char* b) {
    if (!a || !b) return false;
    struct stat info_a {};
    struct stat info_b {};
    const bool a_exists = stat(a, &info_a) == 0;
    const bool b_exists = stat(b, &info_b) == 0;
    if (a_exists || b_exists) return a_exists && b_exists && same_inode(info_a, info_b);

    // Neither exists yet: one file once created when the folders are one folder.
    const folder_and_name pa = split(a);
    const folder_and_name pb = split(b);
    if (pa.name != pb.name) return false;
    struct stat folder_a {};
    struct stat folder_b {};
    if (stat(pa.folder.c_str(), &folder_a) != 0 || stat(pb.folder.c_str(), &folder_b) != 0)
        return pa.folder == pb.folder;  // nothing can be created there; the spelling is all there is
    return same_inode(folder_a, folder_b);
}

bool NativePlatform::replace_file(const char* from, const char* to) {
    if (!from || !to) return false;
    // Only a file is replaced: renaming over a device or a folder's entry would remove it.
    struct stat target {};
    if (stat(to, &target) == 0 && !S_ISREG(target.st_mode)) return false;
    // The new file reaches the disk before its name does, so a crash leaves the older file or
    // the whole new one, never a name on missing data; the folder is flushed to keep the rename.
    if (!flush(from, O_RDONLY)) return false;
    if (std::rename(from, to) != 0) return false;
    flush(split(to).folder, O_RDONLY | O_DIRECTORY);
    return true;
}

}  // namespace platform
