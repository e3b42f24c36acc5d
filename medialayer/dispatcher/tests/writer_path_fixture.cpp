#include "writer_path_fixture.h"

#include <memory>

#include "medialayer/movie_api.h"
#include "writer_calls.h"

namespace qts_test {

const std::vector<std::uint8_t> older_output(5000, 0x3C);
const std::vector<std::uint32_t> WriterPathTest::frame_durations = {60, 60, 60, 60, 60, 60, 60, 60};

void WriterPathTest::SetUp() {
    ASSERT_EQ(library.error, "");
    library.fault_reset();
    frames = make_frames(64, 48, frame_durations);
    ASSERT_EQ(write_frame_movie(dir.file("frames.mov"), frames), noErr);
    source = spec_of("frames.mov");
    output = spec_of("object.mov");
    intermediate = intermediate_spec(output);
}

void WriterPathTest::TearDown() { library.fault_reset(); }

FSSpec WriterPathTest::spec_of(const std::string& name) {
    FSSpec spec{};
    std::string path = dir.file(name);
    qt::NativePathNameToFSSpec(path.data(), &spec, 0);
    return spec;
}

bool WriterPathTest::output_is_complete_movie() {
    std::unique_ptr<medialayer::MovieReader> reader;
    if (medialayer::MovieReader::open(dir.file("object.mov"), reader) != noErr) return false;
    return reader->tracks().size() == 1 && reader->tracks()[0].self_contained &&
           reader->tracks()[0].sample_count == frame_durations.size();
}

}  // namespace qts_test
