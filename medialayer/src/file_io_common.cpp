// Parts of the file layer shared by both platforms.
#include <filesystem>
#include <utility>

#include "file_io.h"

namespace medialayer {
namespace {
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
