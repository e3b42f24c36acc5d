// libFuzzer target: any bytes as an archived object movie for the object
// tool: opened as a file (Mac wrappers, resource forks, compressed headers,
// reference movies, QuickTime VR 2.x tracks, 'obji', views mapped by time),
// inspected, and every view's frame read; and the same bytes handed straight
// to the QT atom container, 'obji', 'cmov', 'rmra' and resource fork parsers.
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "fuzz_scratch.h"
#include "objecttool/inspect.h"
#include "objecttool/mac_wrappers.h"
#include "objecttool/movie_source.h"
#include "objecttool/object_info_record.h"
#include "objecttool/object_movie.h"
#include "objecttool/qt_atom_container.h"
#include "objecttool/tool_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    if (auto container = objecttool::QtAtomContainer::parse(bytes)) {
        // What parses writes back as it was read.
        const auto again = objecttool::QtAtomContainer::parse(container->write());
        if (!again || again->write() != container->write()) __builtin_trap();
    }
    if (auto record = objecttool::ObjectInfoRecord::parse(bytes)) {
        std::vector<std::uint8_t> out;
        record->write(out);
        if (out.size() != objecttool::ObjectInfoRecord::size) __builtin_trap();
    }
    objecttool::reference_targets(bytes);
    objecttool::find_resource(bytes, 0x6D6F6F76);  // 'moov'
    try {
        objecttool::expand_movie_header(bytes, 1 << 20, "fuzz");
    } catch (const objecttool::tool_error&) {
    }

    const std::string path = fuzz_scratch::next_path("archive", "in");
    if (!fuzz_scratch::write_file(path, data, size)) return 0;
    try {
        objecttool::inspect_movie(path);
        objecttool::ObjectMovie movie(path);
        movie.require_object_grid();
        for (std::uint32_t sample : movie.page_samples()) movie.sample(sample);
    } catch (const objecttool::tool_error&) {
    }
    std::remove(path.c_str());
    return 0;
}
