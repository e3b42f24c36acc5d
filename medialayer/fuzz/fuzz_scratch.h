// Scratch files for the fuzz targets, which hand their input to code that
// opens files by path.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz_scratch {

// Memory-backed where the machine has it: each input is written and removed.
inline std::string folder() {
    if (const char* dir = std::getenv("MEDIALAYER_FUZZ_DIR")) return dir;
    if (::access("/dev/shm", W_OK) == 0) return "/dev/shm";
    return "/tmp";
}

// A new name per input: rewriting one file in place forces flushes on some file systems.
inline std::string next_path(const char* target, const char* what) {
    static unsigned counter = 0;
    return folder() + "/medialayer-" + target + "-" + std::to_string(::getpid()) + "-" + what + "-" +
           std::to_string(counter++) + ".mov";
}

inline bool write_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace fuzz_scratch
