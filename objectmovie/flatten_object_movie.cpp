#include "objectmovie/flatten_object_movie.h"

#include <cstdint>
#include <string>

#include "objectmovie/assemble_object_movie.h"
#include "objectmovie/intermediate_name.h"
#include "objectmovie/movie_file_constants.h"
#include "objectmovie/qt_holders.h"
#include "platform/platform.h"
#include "quicktime/qt_calls.h"

namespace {

constexpr std::int16_t system_script = -1;
constexpr std::int8_t read_only = 1;
// Movie in the data fork (bit 0), media not interleaved (bit 3), movie
// resource ahead of the movie data (bit 6).
constexpr std::int32_t single_fork_movie_first = 73;

// Flattens into the free name `flattened` beside the output, then puts that file in the
// output's place in one step. QuickTime's flatten with create flag bit 31 deletes an older
// file before it writes, so flattening onto the output itself would lose it when the disk
// fills; this way the older output is replaced only by a complete movie.
OSErr flatten_into_place(Movie movie, const FSSpec& flattened, const char* output_path) {
    platform::Platform& os = platform::current_platform();
    const std::string flattened_path = sibling_path(output_path, flattened);
    Movie result = FlattenMovieData(movie, single_fork_movie_first, &flattened, player_creator, system_script,
                                    replace_without_resource_fork);
    if (result) DisposeMovie(result);
    if (result && os.replace_file(flattened_path.c_str(), output_path)) return noErr;
    os.delete_file(flattened_path.c_str());  // whatever part of the movie was written
    return ioErr;
}

}  // namespace

OSErr flatten_object_movie(const FSSpec* source, const FSSpec* output, const char* output_path) {
    if (!source || !output) return paramErr;
    FSSpec intermediate{};
    OSErr status = choose_intermediate_file(*output, output_path, intermediate);
    if (status != noErr) return status;
    FSSpec flattened{};
    status = choose_flattened_file(*output, output_path, intermediate, flattened);
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
    return flatten_into_place(movie.get(), flattened, output_path);
}
