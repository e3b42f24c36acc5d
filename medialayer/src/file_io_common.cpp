// Parts of the file layer shared by both platforms.
#include <filesystem>
#include <mutex>
#include <utility>

#include "file_io.h"

namespace medialayer {
namespace {
std::mutex hook_mutex;
WriteFaultHook& fault_hook() {
    static WriteFaultHook hook;
    return hook;
}
}  // namespace

void set_write_fault_hook(WriteFaultHook hook) {
    std::lock_guard lock(hook_mutex);
    fault_hook() = std::move(hook);
}

OSErr MovieFile::check_fault(std::uint64_t n) {
    WriteFaultHook hook;
    {
        std::lock_guard lock(hook_mutex);
        hook = fault_hook();
    }
    OSErr err = hook ? hook(written_, n) : noErr;
    if (err == noErr) written_ += n;
    return err;
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
