#include <windows.h>

#include "medialayer/dispatcher/file_system.h"
#include "quicktime/qt_types.h"

namespace medialayer::dispatch {
namespace {

OSErr from_last_error() {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND: return fnfErr;
    case ERROR_PATH_NOT_FOUND: return dirNFErr;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return dupFNErr;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT: return permErr;
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE: return bdNamErr;
    default: return ioErr;
    }
}

}  // namespace

PathKind path_kind(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::other : PathKind::file;
}

OSErr remove_file(const std::string& path) {
    if (path_kind(path) == PathKind::other) return fnfErr;
    return DeleteFileA(path.c_str()) ? noErr : from_last_error();
}

OSErr create_empty_file(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const OSErr code = from_last_error();
        return code == fnfErr ? dirNFErr : code;
    }
    CloseHandle(file);
    return noErr;
}

OSErr check_access(const std::string& path, bool write) {
    if (path_kind(path) != PathKind::file) return fnfErr;
    const DWORD access = GENERIC_READ | (write ? GENERIC_WRITE : 0);
    const HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return from_last_error();
    CloseHandle(file);
    return noErr;
}

}  // namespace medialayer::dispatch
