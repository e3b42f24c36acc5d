// Reading sample bytes through data references, one open file per path.
#include <map>

#include "file_io.h"
#include "movie_model.h"

namespace medialayer {

struct SampleSource::Impl {
    std::map<std::string, MovieFile> files;
};

SampleSource::SampleSource() : impl_(std::make_unique<Impl>()) {}
SampleSource::~SampleSource() = default;

OSErr SampleSource::read(const MediaModel& media, const SampleEntry& sample, std::vector<std::uint8_t>& bytes) {
    if (sample.data_ref_index == 0 || sample.data_ref_index > media.data_refs.size()) return badDataRefIndex;
    const std::string& path = media.data_refs[sample.data_ref_index - 1].path;
    if (path.empty()) return couldNotResolveDataRef;
    auto it = impl_->files.find(path);
    if (it == impl_->files.end()) {
        MovieFile f;
        if (MovieFile::open_read(path, f) != noErr) return couldNotResolveDataRef;
        it = impl_->files.emplace(path, std::move(f)).first;
    }
    std::uint64_t file_size = 0;
    if (OSErr err = it->second.size(file_size)) return err;
    // The file may have shrunk since the movie was loaded: check before allocating.
    if (sample.offset > file_size || sample.size > file_size - sample.offset) return eofErr;
    bytes.resize(sample.size);
    return sample.size ? it->second.read_at(sample.offset, bytes.data(), sample.size) : noErr;
}

}  // namespace medialayer
