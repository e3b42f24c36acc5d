// AddMovieResource into the data fork: the movie atom goes at the end of the
// file, replacing the movie atom that ended it before.
#include "atom_reader.h"
#include "medialayer/big_endian.h"
#include "file_io.h"
#include "movie_model.h"
#include "movie_serializer.h"

namespace medialayer {

OSErr write_movie_resource(MovieModel& movie, const std::string& path) {
    if (path.empty()) return paramErr;
    if (movie.file_path.empty()) movie.file_path = path;
    MovieFile file;
    if (OSErr err = MovieFile::open_update(path, file)) return err;
    std::uint64_t size = 0;
    if (OSErr err = file.size(size)) return err;

    // Whatever the file holds stays; only our own earlier movie atoms give way.
    std::vector<FileAtom> atoms;
    std::uint64_t write_at = size;
    if (scan_file_atoms(file, size, atoms) == noErr) {
        for (std::size_t i = 0; i < atoms.size(); ++i) {
            const FileAtom& a = atoms[i];
            if (a.type != fourcc("moov")) continue;
            bool ends_file = a.size == size - a.offset;
            if (ends_file && i + 1 == atoms.size()) {
                write_at = a.offset;
            } else if (a.size <= size - a.offset) {
                std::uint8_t free_type[4];
                put_be32(free_type, fourcc("free"));
                if (OSErr err = file.write_at(a.offset + 4, free_type, 4)) return err;
            }
        }
    }
    std::vector<std::uint8_t> moov = serialize_movie(movie, path);
    if (moov.empty()) return memFullErr;
    if (OSErr err = file.write_at(write_at, moov.data(), moov.size())) return err;
    if (write_at + moov.size() < size)
        if (OSErr err = file.truncate(write_at + moov.size())) return err;
    return noErr;
}

}  // namespace medialayer
