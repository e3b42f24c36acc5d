#include "objectmovie/write_object_movie.h"

#include <cstring>

#include "objectmovie/flatten_object_movie.h"
#include "objectmovie/letter_case.h"
#include "platform/platform.h"
#include "quicktime/qt_calls.h"

std::int16_t movie_rows = 0;
std::int16_t movie_columns = 0;

namespace {

// Copies `path` into `buffer`; false when it is empty or does not fit whole.
bool copy_path(const char* path, char (&buffer)[platform::max_path]) {
    if (!path) return false;
    const std::size_t length = std::strlen(path);
    if (length == 0 || length >= platform::max_path) return false;
    std::memcpy(buffer, path, length + 1);
    return true;
}

// Same directory and same name; letter case is ignored, since the file system
// may ignore it.
bool same_file(const FSSpec& a, const FSSpec& b) {
    if (a.vRefNum != b.vRefNum || a.parID != b.parID || a.name[0] != b.name[0]) return false;
    for (unsigned i = 1; i <= a.name[0]; ++i) {
        if (fold_case(char(a.name[i])) != fold_case(char(b.name[i]))) return false;
    }
    return true;
}

OSErr write_movie(const char* frame_movie_path, const char* output_path, std::int16_t rows, std::int16_t columns) {
    char frame_movie[platform::max_path] = {};
    char output[platform::max_path] = {};
    const bool paths_usable = copy_path(frame_movie_path, frame_movie) && copy_path(output_path, output);

    movie_columns = columns;
    movie_rows = rows;

    // Refused before any file is touched: a grid without frames, a missing
    // name, and a frame movie that is the output itself under any spelling
    // (writing the output would destroy the frames being copied).
    if (!paths_usable || rows < 1 || columns < 1 ||
        platform::current_platform().same_file(frame_movie, output))
        return paramErr;

    // The records are filled in even for a file that does not exist yet, so
    // the results are not needed.
    FSSpec source{};
    FSSpec destination{};
    NativePathNameToFSSpec(frame_movie, &source, 0);
    NativePathNameToFSSpec(output, &destination, 0);
    if (destination.name[0] == 0 || same_file(source, destination)) return paramErr;

    return flatten_object_movie(&source, &destination, output);
}

}  // namespace

OSErr write_object_movie_status(const char* frame_movie_path, const char* output_path, std::int16_t rows,
                                std::int16_t columns) {
    const OSErr status = write_movie(frame_movie_path, output_path, rows, columns);
    // The user hears that the command is over, whether or not a movie was written.
    platform::current_platform().message_beep(0);
    return status;
}

void write_object_movie(const char* frame_movie_path, const char* output_path, std::int16_t rows,
                        std::int16_t columns) {
    write_object_movie_status(frame_movie_path, output_path, rows, columns);
}
