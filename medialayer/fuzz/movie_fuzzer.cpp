// libFuzzer target: any bytes opened as a movie file. The atom layout is
// listed, every sample is read back, and a movie that loads is flattened, so
// the parsers, the sample reader and the flatten layout all meet hostile input.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "medialayer/movie_api.h"
#include "movie_model.h"

namespace {

std::string scratch_dir() {
    if (const char* dir = std::getenv("MEDIALAYER_FUZZ_DIR")) return dir;
    if (::access("/dev/shm", W_OK) == 0) return "/dev/shm";
    return "/tmp";
}

// A new name per input: rewriting one file in place forces flushes on some file systems.
std::string next_path(const char* what) {
    static unsigned counter = 0;
    return scratch_dir() + "/medialayer-fuzz-" + std::to_string(::getpid()) + "-" + what + "-" +
           std::to_string(counter++) + ".mov";
}

bool write_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string path = next_path("in");
    if (!write_file(path, data, size)) return 0;

    std::vector<medialayer::AtomLayout> atoms;
    medialayer::read_atom_layout(path, atoms);
    std::unique_ptr<medialayer::MovieReader> reader;
    if (medialayer::MovieReader::open(path, reader) == 0) {
        std::uint64_t total = 0;
        for (std::size_t t = 0; t < reader->tracks().size(); ++t)
            for (std::uint32_t i = 0; i < reader->tracks()[t].sample_count; ++i) {
                std::vector<std::uint8_t> bytes;
                std::uint32_t duration = 0;
                if (reader->read_sample(t, i, bytes, duration) == 0) total += bytes.size();
            }
        medialayer::MovieModel model;
        if (total < (1u << 20) && medialayer::load_movie_file(path, model) == 0) {
            std::string flat = next_path("flat");
            if (medialayer::flatten_movie(model, flat) == 0) {
                medialayer::MovieModel reread;
                if (medialayer::load_movie_file(flat, reread) != 0) std::abort();  // our own output must load
                std::remove(flat.c_str());
            }
        }
    }
    std::remove(path.c_str());
    return 0;
}
