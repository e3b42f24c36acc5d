// Movie file reference numbers: 16-bit, positive, non-zero while open.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "quicktime/qt_types.h"

namespace medialayer::dispatch {

struct OpenFile {
    std::string path;
    bool writable = false;
};

class FileTable {
public:
    // A new reference number for `file`, or 0 when all are in use. Numbers
    // are not reused until the counter wraps, so a stale one rarely names a
    // file opened later.
    std::int16_t open(OpenFile file);
    const OpenFile* find(std::int16_t ref) const;
    bool close(std::int16_t ref);
    std::size_t count() const { return files_.size(); }

private:
    std::map<std::int16_t, OpenFile> files_;
    std::int16_t last_ = 0;
};

}  // namespace medialayer::dispatch
