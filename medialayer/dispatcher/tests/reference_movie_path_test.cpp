// The writer's whole path through the library: frame movie -> intermediate
// reference movie -> flattened, self-contained output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "medialayer/movie_api.h"
#include "qts_library.h"
#include "test_files.h"
#include "writer_calls.h"

namespace qts_test {
namespace {

using medialayer::MovieReader;

// Durations differ so the first sample's duration is told apart from the rest.
const std::vector<std::uint32_t> frame_durations = {100, 60, 60, 60, 60, 60, 60, 60};
constexpr std::uint16_t frame_width = 64, frame_height = 48;

#ifndef _WIN32
std::string run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    char buffer[4096];
    while (pipe && !std::feof(pipe.get())) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get());
        out.append(buffer, n);
    }
    return out;
}
#endif

class ReferenceMoviePath : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QtsLibrary::get().error, "");
        QtsLibrary::get().fault_reset();
        source = make_frames(frame_width, frame_height, frame_durations);
        ASSERT_EQ(write_frame_movie(dir.file("frames.mov"), source), noErr);
    }

    FSSpec spec_of(const std::string& path, OSErr expected) {
        FSSpec spec{};
        std::string text = path;
        EXPECT_EQ(qt::NativePathNameToFSSpec(text.data(), &spec, 0), expected) << path;
        return spec;
    }

    ScratchDir dir;
    FrameMovie source;
};

TEST_F(ReferenceMoviePath, BuildsReferenceMovieThenSelfContainedFlattenedCopy) {
    const FSSpec source_spec = spec_of(dir.file("frames.mov"), noErr);
    const FSSpec output_spec = spec_of(dir.file("object.mov"), fnfErr);
    const FSSpec intermediate = intermediate_spec(output_spec);
    const std::vector<std::uint8_t> record = sample_record();

    AssemblyObservations seen;
    ASSERT_EQ(assemble_reference_movie(intermediate, source_spec, record, &seen), noErr);
    EXPECT_EQ(seen.first_sample_duration, 100);
    EXPECT_EQ(seen.view_time, 0);

    // The intermediate holds no sample bytes: its track refers to the frame movie.
    const std::string intermediate_path = dir.file("object.mot");
    ASSERT_TRUE(file_exists(intermediate_path));
    EXPECT_LT(read_bytes(intermediate_path).size(), source.frames[0].size());
    {
        std::unique_ptr<MovieReader> reader;
        ASSERT_EQ(MovieReader::open(intermediate_path, reader), noErr);
        ASSERT_EQ(reader->tracks().size(), 1u);
        EXPECT_FALSE(reader->tracks()[0].self_contained);
        EXPECT_EQ(reader->tracks()[0].sample_count, frame_durations.size());
    }

    bool flattened = false;
    ASSERT_EQ(flatten_reference_movie(intermediate, output_spec, &flattened), noErr);
    EXPECT_TRUE(flattened);
    EXPECT_FALSE(file_exists(intermediate_path));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"frames.mov", "object.mov"}));

    const medialayer_live_counts counts = QtsLibrary::get().live_counts();
    EXPECT_EQ(counts.movies, 0);
    EXPECT_EQ(counts.open_files, 0);
    EXPECT_EQ(counts.pointers, 0);

    const std::string output = dir.file("object.mov");
    const std::vector<std::string> atoms = top_level_atoms(output);
    const auto moov = std::find(atoms.begin(), atoms.end(), "moov");
    const auto mdat = std::find(atoms.begin(), atoms.end(), "mdat");
    ASSERT_NE(moov, atoms.end());
    ASSERT_NE(mdat, atoms.end());
    EXPECT_LT(moov - atoms.begin(), mdat - atoms.begin());

    std::unique_ptr<MovieReader> reader;
    ASSERT_EQ(MovieReader::open(output, reader), noErr);
    ASSERT_EQ(reader->tracks().size(), 1u);
    const medialayer::TrackInfo& track = reader->tracks()[0];
    EXPECT_TRUE(track.self_contained);
    EXPECT_EQ(track.media_type, four_cc("vide"));
    ASSERT_EQ(track.sample_count, frame_durations.size());
    ASSERT_EQ(track.descriptions.size(), 1u);
    EXPECT_EQ(track.descriptions[0].codec, four_cc("raw "));
    EXPECT_EQ(track.descriptions[0].width, frame_width);
    EXPECT_EQ(track.descriptions[0].height, frame_height);
    for (std::uint32_t n = 0; n < track.sample_count; ++n) {
        std::vector<std::uint8_t> bytes;
        std::uint32_t duration = 0;
        ASSERT_EQ(reader->read_sample(0, n, bytes, duration), noErr);
        EXPECT_EQ(bytes, source.frames[n]) << "sample " << n;
        EXPECT_EQ(duration, frame_durations[n]) << "sample " << n;
    }

    const std::vector<medialayer::UserDataItem>& items = reader->user_data();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].type, four_cc("NAVG"));
    EXPECT_EQ(items[0].data, record);
    EXPECT_EQ(items[1].type, four_cc("ctyp"));
    EXPECT_EQ(items[1].data, (std::vector<std::uint8_t>{'s', 't', 'n', 'a'}));
    EXPECT_EQ(reader->poster_time(), 0);
    EXPECT_EQ(reader->current_time(), 0);
    EXPECT_EQ(reader->preview_time(), 0);
    EXPECT_EQ(reader->preview_duration(), 100);

#ifndef _WIN32
    // Other readers agree: ffprobe sees one raw video stream of the frames,
    // and ffmpeg decodes exactly the pixels that were recorded.
    const std::string probe = run("ffprobe -v error -count_frames -show_entries "
                                  "stream=codec_type,width,height,nb_read_frames -of csv=p=0 '" +
                                  output + "'");
    EXPECT_EQ(probe, "video,64,48,8\n");
    const std::string decoded = run("ffmpeg -v error -i '" + output + "' -fps_mode passthrough -f rawvideo -pix_fmt rgb24 -");
    std::string expected;
    for (const auto& frame : source.frames) expected.append(frame.begin(), frame.end());
    EXPECT_EQ(decoded.size(), expected.size());
    EXPECT_TRUE(decoded == expected) << "decoded pixels differ from the recorded frames";
    const std::string framemd5 = "ffmpeg -v error -i '%s' -fps_mode passthrough -f framemd5 -pix_fmt rgb24 - | grep -v '^#'";
    char source_command[1024], output_command[1024];
    std::snprintf(source_command, sizeof source_command, framemd5.c_str(), dir.file("frames.mov").c_str());
    std::snprintf(output_command, sizeof output_command, framemd5.c_str(), output.c_str());
    const std::string source_hashes = run(source_command);
    EXPECT_FALSE(source_hashes.empty());
    EXPECT_EQ(run(output_command), source_hashes);
#endif
}

TEST_F(ReferenceMoviePath, MovieWithoutVideoTrackGivesParamErrAndNoMovieResource) {
    // A movie file with a movie but no tracks: made by the library itself.
    const FSSpec empty_spec = spec_of(dir.file("empty.mov"), fnfErr);
    std::int16_t file = 0;
    Movie movie = nullptr;
    ASSERT_EQ(qt::CreateMovieFile(&empty_spec, four_cc("TVOD"), -2, std::int32_t(0x90000000u), &file, &movie), noErr);
    std::int16_t id = -1;
    ASSERT_EQ(qt::AddMovieResource(movie, file, &id, nullptr), noErr);
    EXPECT_EQ(id, -1);
    qt::CloseMovieFile(file);
    qt::DisposeMovie(movie);

    const FSSpec output_spec = spec_of(dir.file("object.mov"), fnfErr);
    const FSSpec intermediate = intermediate_spec(output_spec);
    EXPECT_EQ(assemble_reference_movie(intermediate, empty_spec, sample_record()), paramErr);
    // The intermediate was created but holds no movie, so its reload fails and nothing is flattened.
    bool flattened = true;
    EXPECT_EQ(flatten_reference_movie(intermediate, output_spec, &flattened), invalidMovie);
    EXPECT_FALSE(flattened);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"empty.mov", "frames.mov"}));
    const medialayer_live_counts counts = QtsLibrary::get().live_counts();
    EXPECT_EQ(counts.movies + counts.open_files + counts.pointers, 0);
}

}  // namespace
}  // namespace qts_test
