// libFuzzer target: any bytes opened as a movie file. The atom layout is
// listed, every sample is read back, and a movie that loads is flattened, so
// the parsers, the sample reader and the flatten layout all meet hostile input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_scratch.h"
#include "medialayer/movie_api.h"
#include "movie_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string path = fuzz_scratch::next_path("fuzz", "in");
    if (!fuzz_scratch::write_file(path, data, size)) return 0;

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
            std::string flat = fuzz_scratch::next_path("fuzz", "flat");
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
