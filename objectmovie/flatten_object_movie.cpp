#include "objectmovie/flatten_object_movie.h"

#include <cstdint>

#include "objectmovie/assemble_object_movie.h"
#include "objectmovie/intermediate_name.h"
#include "objectmovie/movie_file_constants.h"
#include "objectmovie/qt_holders.h"
#include "quicktime/qt_calls.h"

namespace {

constexpr std::int16_t system_script = -1;
constexpr std::int8_t read_only = 1;
// Movie in the data fork (bit 0), media not interleaved (bit 3), movie
// resource ahead of the movie data (bit 6).
constexpr std::int32_t single_fork_movie_first = 73;

}  // namespace

OSErr flatten_object_movie(const FSSpec* source, const FSSpec* output, const char* output_path) {
    if (!source || !output) return paramErr;
    FSSpec intermediate{};
    OSErr status = choose_intermediate_file(*output, output_path, intermediate);
    if (status != noErr) return status;

    // Released in reverse order: movie, file, then the intermediate file is deleted.
    MovieFileRemover remove_intermediate(intermediate);
    MovieFileHolder file;
    MovieHolder movie;

    status = assemble_object_movie(&intermediate, source);
    if (status != noErr) return status;
    status = OpenMovieFile(&intermediate, file.out(), read_only);
    if (status != noErr) return status;
    status = NewMovieFromFile(movie.out(), file.get(), nullptr, nullptr, 0, nullptr);
    if (status != noErr) return status;

    Movie flattened = FlattenMovieData(movie.get(), single_fork_movie_first, output, player_creator, system_script,
                                       replace_without_resource_fork);
    if (flattened) DisposeMovie(flattened);
    return noErr;
}
