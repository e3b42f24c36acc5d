// Win32 file layer: positioned ReadFile/WriteFile and MoveFileEx for the
// atomic replace; sample bytes go through the shared buffered copy.
#include <windows.h>

#include <algorithm>
#include <array>

#include "file_io.h"

namespace medialayer {
namespace {

constexpr std::array<OsErrorCode, 13> last_error_codes{{
    {ERROR_FILE_NOT_FOUND, fnfErr},
    {ERROR_PATH_NOT_FOUND, fnfErr},  // as POSIX's ENOENT for a missing folder
    {ERROR_INVALID_NAME, bdNamErr},
    {ERROR_FILENAME_EXCED_RANGE, bdNamErr},
    {ERROR_ACCESS_DENIED, permErr},
    {ERROR_SHARING_VIOLATION, permErr},
    {ERROR_WRITE_PROTECT, permErr},
    {ERROR_FILE_EXISTS, dupFNErr},
    {ERROR_ALREADY_EXISTS, dupFNErr},
    {ERROR_NOT_ENOUGH_MEMORY, memFullErr},
    {ERROR_OUTOFMEMORY, memFullErr},
    {ERROR_DISK_FULL, dskFulErr},
    {ERROR_HANDLE_DISK_FULL, dskFulErr},
}};

OSErr last_error_to_oserr() { return os_error(GetLastError()); }

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED o{};
    o.Offset = DWORD(offset);
    o.OffsetHigh = DWORD(offset >> 32);
    return o;
}

}  // namespace

std::span<const OsErrorCode> os_error_codes() { return last_error_codes; }

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

PathKind path_kind(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::other : PathKind::file;
}

OSErr check_access(const std::string& path, bool write) {
    if (path_kind(path) != PathKind::file) return fnfErr;
    const DWORD access = GENERIC_READ | (write ? GENERIC_WRITE : 0);
    const HANDLE file = CreateFileA(path.c_str(), access, share_all, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return last_error_to_oserr();
    CloseHandle(file);
    return noErr;
}

OSErr remove_path(const std::string& path) { return DeleteFileA(path.c_str()) ? noErr : last_error_to_oserr(); }

}  // namespace medialayer
