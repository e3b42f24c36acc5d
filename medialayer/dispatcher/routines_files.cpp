// File routines: FSSpec records, movie files, the movie stored in a file, flattening.
#include <memory>
#include <string>
#include <utility>

#include "medialayer/dispatcher/dispatcher_state.h"
#include "medialayer/src/file_io.h"
#include "quicktime/qt_types.h"
#include "medialayer/dispatcher/routines.h"
#include "medialayer/dispatcher/test_hooks.h"

namespace medialayer::dispatch::routine {
namespace {

constexpr std::uint32_t create_delete_current_file = 0x80000000u;
constexpr std::uint32_t create_dont_create_movie = 0x40000000u;
constexpr std::uint32_t create_dont_open_file = 0x20000000u;
// Bit 28 (no resource fork) needs nothing: movies always live in the data fork here.

// The file permissions OpenMovieFile takes; only read-only (1) forbids writing.
constexpr std::int8_t read_permission = 1;

// QuickTime's resource id meaning "the movie in the data fork".
constexpr std::int16_t movie_in_data_fork = -1;

// Owns a movie until it is handed to the handle table.
std::unique_ptr<MovieRecord> new_record() { return std::make_unique<MovieRecord>(); }

}  // namespace

OSErr NativePathNameToFSSpec(char* path, FSSpec* spec, std::int32_t /*flags*/) {
    if (path == nullptr || spec == nullptr) return paramErr;
    std::string native;
    if (const OSErr err = state().directories.fill(path, *spec); err != noErr) return err;
    state().directories.path_of(spec, native);
    return path_kind(native) == PathKind::missing ? fnfErr : noErr;
}

OSErr CreateMovieFile(const FSSpec* spec, OSType /*creator*/, std::int16_t /*script_tag*/,
                      std::int32_t create_flags, std::int16_t* file, Movie* movie) {
    const auto flags = static_cast<std::uint32_t>(create_flags);
    const bool want_file = file != nullptr && (flags & create_dont_open_file) == 0;
    const bool want_movie = (flags & create_dont_create_movie) == 0;
    if (file != nullptr) *file = 0;
    if (movie != nullptr) *movie = nullptr;
    if (want_movie && movie == nullptr) return paramErr;

    DispatcherState& s = state();
    std::string path;
    if (const OSErr err = s.directories.path_of(spec, path); err != noErr) return err;
    if (path_kind(path) != PathKind::missing) {
        if ((flags & create_delete_current_file) == 0) return dupFNErr;
        if (const OSErr err = remove_file(path); err != noErr) return err;
    }
    if (const OSErr err = create_empty_file(path); err != noErr) return err;

    std::unique_ptr<MovieRecord> record;
    if (want_movie) {
        record = new_record();
        init_movie(record->model, path);
    }
    std::int16_t ref = 0;
    if (want_file && (ref = s.files.open({path, true})) == 0) return tmfoErr;
    if (want_file) *file = ref;
    if (want_movie) *movie = s.handles.add_movie(std::move(record));
    return noErr;
}

OSErr OpenMovieFile(const FSSpec* spec, std::int16_t* file, std::int8_t permission) {
    if (file == nullptr) return paramErr;
    *file = 0;
    DispatcherState& s = state();
    std::string path;
    if (const OSErr err = s.directories.path_of(spec, path); err != noErr) return err;
    const bool writable = permission != read_permission;
    if (const OSErr err = check_access(path, writable); err != noErr) return err;
    const std::int16_t ref = s.files.open({path, writable});
    if (ref == 0) return tmfoErr;
    *file = ref;
    return noErr;
}

OSErr NewMovieFromFile(Movie* movie, std::int16_t file, std::int16_t* resource_id, unsigned char* resource_name,
                       std::int16_t /*flags*/, bool* data_ref_was_changed) {
    if (movie == nullptr) return paramErr;
    *movie = nullptr;
    DispatcherState& s = state();
    const OpenFile* open = s.files.find(file);
    if (open == nullptr) return rfNumErr;
    auto record = new_record();
    if (const OSErr err = load_movie_file(open->path, record->model); err != noErr) return err;
    if (record->model.file_path.empty()) record->model.file_path = open->path;
    if (resource_id != nullptr) *resource_id = movie_in_data_fork;
    if (resource_name != nullptr) resource_name[0] = 0;
    if (data_ref_was_changed != nullptr) *data_ref_was_changed = false;
    *movie = s.handles.add_movie(std::move(record));
    return noErr;
}

// Every movie goes into the data fork, whatever id is asked for: these file
// systems have no resource forks. The id given back says so.
OSErr AddMovieResource(Movie movie, std::int16_t file, std::int16_t* resource_id,
                       const unsigned char* /*resource_name*/) {
    DispatcherState& s = state();
    MovieRecord* record = s.handles.movie(movie);
    if (record == nullptr) return invalidMovie;
    const OpenFile* open = s.files.find(file);
    if (open == nullptr) return rfNumErr;
    if (!open->writable) return wrPermErr;
    if (const OSErr err = write_movie_resource(record->model, open->path); err != noErr) return err;
    if (resource_id != nullptr) *resource_id = movie_in_data_fork;
    return noErr;
}

OSErr CloseMovieFile(std::int16_t file) { return state().files.close(file) ? noErr : rfNumErr; }

// The flatten writes beside the target and renames over it only once the
// whole movie is written, so create flag bit 31 replaces an older file only
// on success: a failed flatten leaves it as it was (unless a test has asked
// for QuickTime's own way, which deletes the older file first). The creator
// has nowhere to live on these file systems and is not recorded.
Movie FlattenMovieData(Movie movie, std::int32_t /*flatten_flags*/, const FSSpec* spec, OSType /*creator*/,
                       std::int16_t /*script_tag*/, std::int32_t create_flags) {
    DispatcherState& s = state();
    MovieRecord* source = s.handles.movie(movie);
    if (source == nullptr) return raise_error(invalidMovie), nullptr;
    std::string path;
    if (const OSErr err = s.directories.path_of(spec, path); err != noErr) return raise_error(err), nullptr;
    const bool replace = (static_cast<std::uint32_t>(create_flags) & create_delete_current_file) != 0;
    if (!replace && path_kind(path) != PathKind::missing) return raise_error(dupFNErr), nullptr;
    if (replace && flatten_deletes_first() && path_kind(path) == PathKind::file)
        if (const OSErr err = remove_file(path); err != noErr) return raise_error(err), nullptr;
    if (const OSErr err = flatten_movie(source->model, path); err != noErr) return raise_error(err), nullptr;

    auto flattened = new_record();
    if (const OSErr err = load_movie_file(path, flattened->model); err != noErr) return raise_error(err), nullptr;
    if (flattened->model.file_path.empty()) flattened->model.file_path = path;
    return s.handles.add_movie(std::move(flattened));
}

OSErr DeleteMovieFile(const FSSpec* spec) {
    std::string path;
    if (const OSErr err = state().directories.path_of(spec, path); err != noErr) return err;
    return remove_file(path);
}

}  // namespace medialayer::dispatch::routine
