#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "medialayer/dispatcher/file_system.h"
#include "quicktime/qt_types.h"

namespace medialayer::dispatch {
namespace {

OSErr from_errno(int error) {
    switch (error) {
    case ENOENT: return fnfErr;
    case ENOTDIR: return dirNFErr;
    case EEXIST: return dupFNErr;
    case EACCES:
    case EPERM:
    case EROFS: return permErr;
    case ENAMETOOLONG: return bdNamErr;
    case EISDIR: return fnfErr;
    default: return ioErr;
    }
}

}  // namespace

PathKind path_kind(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return PathKind::missing;
    return S_ISREG(info.st_mode) ? PathKind::file : PathKind::other;
}

OSErr remove_file(const std::string& path) {
    if (path_kind(path) == PathKind::other) return fnfErr;
    return ::unlink(path.c_str()) == 0 ? noErr : from_errno(errno);
}

OSErr create_empty_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const OSErr code = from_errno(errno);
        return code == fnfErr ? dirNFErr : code;
    }
    ::close(fd);
    return noErr;
}

OSErr check_access(const std::string& path, bool write) {
    if (path_kind(path) != PathKind::file) return fnfErr;
    const int fd = ::open(path.c_str(), (write ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) return from_errno(errno);
    ::close(fd);
    return noErr;
}

}  // namespace medialayer::dispatch
