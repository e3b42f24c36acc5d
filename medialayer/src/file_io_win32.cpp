// Win32 file layer: positioned ReadFile/WriteFile and MoveFileEx for the
// atomic replace; sample bytes go through the shared buffered copy.
#ifdef _WIN32

#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "file_io.h"

namespace medialayer {
namespace {

OSErr last_error_to_oserr() {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return fnfErr;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return permErr;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return dupFNErr;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return memFullErr;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return -34;  // dskFulErr
    default:
        return ioErr;
    }
}

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED o{};
    o.Offset = DWORD(offset);
    o.OffsetHigh = DWORD(offset >> 32);
    return o;
}

}  // namespace

struct MovieFileAccess {
    static OSErr open(const std::string& path, DWORD access, DWORD disposition, MovieFile& out) {
        if (path.empty()) return paramErr;
        HANDLE h = CreateFileA(path.c_str(), access, share_all, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return last_error_to_oserr();
        out.close();
        out.handle_ = h;
        return noErr;
    }
};

OSErr MovieFile::open_read(const std::string& path, MovieFile& out) {
    return MovieFileAccess::open(path, GENERIC_READ, OPEN_EXISTING, out);
}

OSErr MovieFile::open_update(const std::string& path, MovieFile& out) {
    return MovieFileAccess::open(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, out);
}

OSErr MovieFile::create(const std::string& path, bool replace, MovieFile& out) {
    return MovieFileAccess::open(path, GENERIC_READ | GENERIC_WRITE, replace ? CREATE_ALWAYS : CREATE_NEW, out);
}

std::uint64_t current_process_id() { return std::uint64_t(GetCurrentProcessId()); }

OSErr MovieFile::read_at(std::uint64_t offset, void* data, std::size_t n) const {
    auto* p = static_cast<char*>(data);
    while (n > 0) {
        DWORD want = DWORD(std::min<std::size_t>(n, 1u << 30)), got = 0;
        OVERLAPPED o = at(offset);
        if (!ReadFile(handle_, p, want, &got, &o)) return GetLastError() == ERROR_HANDLE_EOF ? eofErr : ioErr;
        if (got == 0) return eofErr;
        p += got;
        n -= got;
        offset += got;
    }
    return noErr;
}

OSErr MovieFile::write_raw(std::uint64_t offset, const void* data, std::size_t n) {
    const auto* p = static_cast<const char*>(data);
    while (n > 0) {
        DWORD want = DWORD(std::min<std::size_t>(n, 1u << 30)), put = 0;
        OVERLAPPED o = at(offset);
        if (!WriteFile(handle_, p, want, &put, &o)) return last_error_to_oserr();
        if (put == 0) return ioErr;
        p += put;
        n -= put;
        offset += put;
    }
    return noErr;
}

OSErr MovieFile::size(std::uint64_t& out) const {
    LARGE_INTEGER s;
    if (!GetFileSizeEx(handle_, &s)) return ioErr;
    out = std::uint64_t(s.QuadPart);
    return noErr;
}

OSErr MovieFile::truncate(std::uint64_t size) {
    LARGE_INTEGER pos;
    pos.QuadPart = LONGLONG(size);
    if (!SetFilePointerEx(handle_, pos, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_)) return ioErr;
    return noErr;
}

void MovieFile::close() {
    if (handle_ != invalid_handle) CloseHandle(handle_);
    handle_ = invalid_handle;
    written_ = 0;
}

// Windows has no positioned file-to-file copy; the buffered copy does it all.
OSErr MovieFile::copy_by_os(const MovieFile&, std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t&) {
    return noErr;
}

OSErr replace_file(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? noErr
               : last_error_to_oserr();
}

OSErr remove_file(const std::string& path) {
    return DeleteFileA(path.c_str()) ? noErr : last_error_to_oserr();
}

bool file_exists(const std::string& path) {
    DWORD attrs = GetFileAttributesA(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace medialayer

#endif
