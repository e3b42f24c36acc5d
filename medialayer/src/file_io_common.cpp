// Parts of the file layer shared by both platforms.
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <utility>
#include <vector>

#include "file_io.h"

namespace medialayer {
namespace {
constexpr std::size_t copy_buffer_size = 1u << 20;

WriteFaultHook& fault_hook() {
    static WriteFaultHook hook;
    return hook;
}
}  // namespace

// Set by tests between operations, never while a write is in flight.
void set_write_fault_hook(WriteFaultHook hook) { fault_hook() = std::move(hook); }

OSErr MovieFile::check_fault(std::uint64_t n) {
    const WriteFaultHook& hook = fault_hook();
    OSErr err = hook ? hook(written_, n) : noErr;
    if (err == noErr) written_ += n;
    return err;
}

OSErr MovieFile::create_temporary_beside(const std::string& target, MovieFile& out, std::string& temp_path) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = temporary_name_beside(target, current_process_id(), counter++);
        OSErr err = create(candidate, false, out);
        if (err == noErr) {
            temp_path = candidate;
            return noErr;
        }
        if (err != dupFNErr) return err;
    }
    return dupFNErr;
}

OSErr MovieFile::write_at(std::uint64_t offset, const void* data, std::size_t n) {
    if (OSErr err = check_fault(n)) return err;
    return write_raw(offset, data, n);
}

OSErr MovieFile::copy_from(const MovieFile& src, std::uint64_t src_offset, std::uint64_t dst_offset,
                           std::uint64_t n) {
    if (OSErr err = check_fault(n)) return err;
    // The whole length goes to the OS's copy at once; what it cannot do, the buffer does.
    std::uint64_t done = 0;
    if (OSErr err = copy_by_os(src, src_offset, dst_offset, n, done)) return err;
    std::vector<char> buffer;
    if (done < n) buffer.resize(std::size_t(std::min<std::uint64_t>(n - done, copy_buffer_size)));
    while (done < n) {
        const std::size_t chunk = std::size_t(std::min<std::uint64_t>(buffer.size(), n - done));
        if (OSErr err = src.read_at(src_offset + done, buffer.data(), chunk)) return err;
        if (OSErr err = write_raw(dst_offset + done, buffer.data(), chunk)) return err;
        done += chunk;
    }
    return noErr;
}

OSErr os_error(unsigned long native) {
    for (const OsErrorCode& entry : os_error_codes())
        if (entry.native == native) return entry.code;
    return ioErr;
}

OSErr remove_file(const std::string& path) {
    if (path_kind(path) == PathKind::other) return fnfErr;
    return remove_path(path);
}

OSErr create_empty_file(const std::string& path) {
    MovieFile file;
    const OSErr err = MovieFile::create(path, false, file);
    return err == fnfErr ? dirNFErr : err;  // creating, a name not found is its folder
}

std::string temporary_name_beside(const std::string& target, std::uint64_t process, unsigned n) {
    std::filesystem::path t(target);
    std::string name(".");
    name.append(t.filename().string());
    name.append(".part-");
    name.append(std::to_string(process));
    name.push_back('-');
    name.append(std::to_string(n));
    return (t.parent_path() / name).string();
}

std::string normalized_path(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    std::filesystem::path p(path);
    std::filesystem::path abs = std::filesystem::absolute(p, ec);
    if (ec) abs = p;
    return abs.lexically_normal().string();
}

}  // namespace medialayer
