#include "medialayer/dispatcher/file_specs.h"

#include <cstring>

#include "quicktime/qt_types.h"

namespace medialayer::dispatch {

bool is_separator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

std::int32_t DirectoryTable::directory_id(const std::string& directory) {
    auto found = ids_.find(directory);
    if (found != ids_.end()) return found->second;
    const auto id = first_id + std::int32_t(directories_.size());
    directories_.push_back(directory);
    ids_.emplace(directory, id);
    return id;
}

OSErr DirectoryTable::fill(const char* path, FSSpec& spec) {
    std::memset(&spec, 0, sizeof spec);
    const std::string text(path);
    std::size_t name_start = text.size();
    while (name_start > 0 && !is_separator(text[name_start - 1])) --name_start;
    const std::size_t name_size = text.size() - name_start;
    if (name_size == 0 || name_size > 255) return bdNamErr;

    spec.vRefNum = native_volume;
    spec.parID = directory_id(text.substr(0, name_start));
    spec.name[0] = static_cast<unsigned char>(name_size);
    std::memcpy(spec.name + 1, text.data() + name_start, name_size);
    return noErr;
}

OSErr DirectoryTable::path_of(const FSSpec* spec, std::string& path) const {
    if (spec == nullptr) return paramErr;
    if (spec->vRefNum != native_volume) return nsvErr;
    const auto index = std::int64_t(spec->parID) - first_id;
    if (index < 0 || index >= std::int64_t(directories_.size())) return dirNFErr;
    const std::size_t name_size = spec->name[0];
    if (name_size == 0) return bdNamErr;
    const char* name = reinterpret_cast<const char*>(spec->name + 1);
    for (std::size_t i = 0; i < name_size; ++i)
        if (name[i] == '\0' || is_separator(name[i])) return bdNamErr;
    path = directories_[std::size_t(index)];
    path.append(name, name_size);
    return noErr;
}

}  // namespace medialayer::dispatch
