#include "medialayer/dispatcher/file_refs.h"

#include <utility>

namespace medialayer::dispatch {

std::int16_t FileTable::open(OpenFile file) {
    constexpr int highest = 0x7FFF;
    if (files_.size() >= std::size_t(highest)) return 0;
    int ref = last_;
    do {
        ref = ref >= highest ? 1 : ref + 1;
    } while (files_.count(std::int16_t(ref)) != 0);
    last_ = std::int16_t(ref);
    files_.emplace(last_, std::move(file));
    return last_;
}

const OpenFile* FileTable::find(std::int16_t ref) const {
    auto found = files_.find(ref);
    return found == files_.end() ? nullptr : &found->second;
}

bool FileTable::close(std::int16_t ref) { return files_.erase(ref) != 0; }

}  // namespace medialayer::dispatch
