// What other readers make of our movies, and what we make of theirs: ffprobe
// and ffmpeg read and decode the files the layer writes, and the layer reads
// the samples of files ffmpeg writes byte for byte.
#include <gtest/gtest.h>

#include <algorithm>

#include "ffmpeg_tools.h"
#include "md5.h"
#include "movie_model.h"
#include "movie_serializer.h"
#include "test_files.h"

namespace medialayer {
namespace {

using namespace medialayer::testing;

class FfmpegInterop : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ffmpeg_available()) GTEST_SKIP() << "ffmpeg/ffprobe not on PATH (scripts/install-deps.sh installs them)";
    }
    ScratchDir dir{"interop"};
};

std::string md5_of(const std::vector<std::uint8_t>& v) { return md5_hex(v.data(), v.size()); }

TEST_F(FfmpegInterop, RawMoviesDecodeToTheFramesWritten) {
    struct Size {
        std::uint16_t width, height;
    };
    for (Size size : {Size{64, 48}, Size{33, 17}, Size{1, 1}}) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        std::string path = dir.file("raw.mov");
        WrittenMovie written = write_raw_movie(path, size.width, size.height, 5);

        auto streams = probe_streams(path);
        ASSERT_EQ(streams.size(), 1u);
        EXPECT_EQ(streams[0].codec_name, "rawvideo");
        EXPECT_EQ(streams[0].width, size.width);
        EXPECT_EQ(streams[0].height, size.height);
        EXPECT_EQ(streams[0].frames, 5);

        auto decoded = decoded_frame_md5s("-i " + shell_quoted(path));
        ASSERT_EQ(decoded.size(), written.frames.size());
        for (std::size_t i = 0; i < decoded.size(); ++i) EXPECT_EQ(decoded[i], md5_of(written.frames[i])) << i;

        auto packets = probe_packets(path);
        ASSERT_EQ(packets.size(), written.frames.size());
        for (std::size_t i = 0; i < packets.size(); ++i) {
            EXPECT_TRUE(packets[i].keyframe) << i;
            EXPECT_EQ(packets[i].duration, written.durations[i]) << i;
        }
    }
}

TEST_F(FfmpegInterop, JpegMoviesCarryTheJpegBytesAndDecodeLikeThem) {
    std::string out;
    ASSERT_EQ(run_command("ffmpeg -v error -f lavfi -i testsrc=size=96x64:rate=1 -frames:v 4 -c:v mjpeg -q:v 3 " +
                              shell_quoted(dir.file("f%02d.jpg")) + " 2>&1",
                          out),
              0)
        << out;
    std::string path = dir.file("jpeg.mov");
    std::unique_ptr<MovieWriter> writer;
    VideoFormat format;
    format.codec = codec_jpeg;
    format.width = 96;
    format.height = 64;
    ASSERT_EQ(MovieWriter::create(path, 600, format, writer), 0);
    std::vector<std::string> jpeg_md5s;
    for (int i = 1; i <= 4; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%02d.jpg", i);
        auto jpeg = read_bytes(dir.file(name));
        ASSERT_FALSE(jpeg.empty());
        jpeg_md5s.push_back(md5_of(jpeg));
        ASSERT_EQ(writer->append_sample(jpeg.data(), jpeg.size(), 100), 0);
    }
    ASSERT_EQ(writer->finish(), 0);

    auto streams = probe_streams(path);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].codec_name, "mjpeg");
    EXPECT_EQ(streams[0].width, 96);
    EXPECT_EQ(streams[0].height, 64);
    EXPECT_EQ(streams[0].frames, 4);

    auto packets = probe_packets(path);
    ASSERT_EQ(packets.size(), 4u);
    for (std::size_t i = 0; i < packets.size(); ++i) {
        EXPECT_EQ(packets[i].hash, jpeg_md5s[i]);
        EXPECT_TRUE(packets[i].keyframe);
    }
    auto from_movie = decoded_frame_md5s("-i " + shell_quoted(path));
    auto from_files = decoded_frame_md5s("-i " + shell_quoted(dir.file("f%02d.jpg")));
    ASSERT_EQ(from_files.size(), 4u);
    EXPECT_EQ(from_movie, from_files);
}

struct FfmpegMovie {
    const char* name;
    const char* codec_args;
    bool faststart;
};

class FfmpegWrittenMovies : public FfmpegInterop, public ::testing::WithParamInterface<FfmpegMovie> {};

TEST_P(FfmpegWrittenMovies, EverySampleMatchesFfprobesPackets) {
    const FfmpegMovie& m = GetParam();
    std::string path = dir.file(std::string(m.name) + ".mov");
    std::string out;
    ASSERT_EQ(run_command(std::string("ffmpeg -v error -f lavfi -i testsrc=size=80x60:rate=25 -frames:v 12 ") +
                              m.codec_args + (m.faststart ? " -movflags faststart " : " ") + shell_quoted(path) + " 2>&1",
                          out),
              0)
        << out;
    auto packets = probe_packets(path);
    ASSERT_EQ(packets.size(), 12u);

    std::unique_ptr<MovieReader> reader;
    ASSERT_EQ(MovieReader::open(path, reader), 0);
    ASSERT_EQ(reader->tracks().size(), 1u);
    const TrackInfo& track = reader->tracks()[0];
    EXPECT_EQ(track.media_type, fourcc("vide"));
    EXPECT_TRUE(track.self_contained);
    ASSERT_EQ(track.sample_count, packets.size());
    ASSERT_EQ(track.descriptions.size(), 1u);
    EXPECT_EQ(track.descriptions[0].width, 80);
    EXPECT_EQ(track.descriptions[0].height, 60);
    for (std::uint32_t i = 0; i < track.sample_count; ++i) {
        std::vector<std::uint8_t> bytes;
        std::uint32_t duration = 0;
        ASSERT_EQ(reader->read_sample(0, i, bytes, duration), 0) << i;
        EXPECT_EQ(static_cast<long long>(bytes.size()), packets[i].size) << i;
        EXPECT_EQ(md5_of(bytes), packets[i].hash) << i;
        EXPECT_EQ(static_cast<long long>(duration), packets[i].duration) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FfmpegWrittenMovies,
                         ::testing::Values(FfmpegMovie{"mjpeg", "-c:v mjpeg -q:v 4", false},
                                           FfmpegMovie{"mjpeg_faststart", "-c:v mjpeg -q:v 4", true},
                                           FfmpegMovie{"rawvideo", "-c:v rawvideo -pix_fmt rgb24", false},
                                           FfmpegMovie{"rawvideo_faststart", "-c:v rawvideo -pix_fmt rgb24", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FfmpegInterop, ReferenceMovieFlattensToAStandaloneCopyOfTheSource) {
    std::string source = dir.file("frames.mov"), intermediate = dir.file("object.mot"), output = dir.file("object.mov");
    write_raw_movie(source, 40, 30, 6);

    MovieModel frames;
    ASSERT_EQ(load_movie_file(source, frames), 0);
    const TrackModel& src = *frames.tracks[0];
    MovieModel object;
    init_movie(object, intermediate);
    write_bytes(intermediate, {});
    TrackModel& track = add_video_track(object, src.width, src.height, src.volume);
    ASSERT_EQ(create_track_media(object, track, src.media->type, src.media->time_scale), 0);
    ASSERT_EQ(insert_track_segment(frames, src, 0, TimeValue(src.duration(frames.header.time_scale)), object, track, 0), 0);
    copy_track_settings(src, track);
    std::vector<std::uint8_t> navg(48, 0x5A);
    ASSERT_EQ(set_user_data(object.user_data, fourcc("NAVG"), navg.data(), navg.size()), 0);
    ASSERT_EQ(set_user_data(object.user_data, fourcc("ctyp"), "stna", 4), 0);
    ASSERT_EQ(write_movie_resource(object, intermediate), 0);
    ASSERT_EQ(top_level_atoms(intermediate), std::vector<std::string>{"moov"});

    MovieModel reopened;
    ASSERT_EQ(load_movie_file(intermediate, reopened), 0);
    ASSERT_EQ(flatten_movie(reopened, output), 0);
    std::remove(intermediate.c_str());

    EXPECT_EQ(top_level_atoms(output), (std::vector<std::string>{"ftyp", "moov", "mdat"}));
    auto streams = probe_streams(output);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].codec_name, "rawvideo");
    EXPECT_EQ(streams[0].frames, 6);
    auto source_frames = decoded_frame_md5s("-i " + shell_quoted(source));
    ASSERT_EQ(source_frames.size(), 6u);
    EXPECT_EQ(decoded_frame_md5s("-i " + shell_quoted(output)), source_frames);

    std::unique_ptr<MovieReader> reader;
    ASSERT_EQ(MovieReader::open(output, reader), 0);
    ASSERT_EQ(reader->tracks().size(), 1u);
    EXPECT_TRUE(reader->tracks()[0].self_contained);
    ASSERT_EQ(reader->user_data().size(), 2u);
    EXPECT_EQ(reader->user_data()[0].type, fourcc("NAVG"));
    EXPECT_EQ(reader->user_data()[0].data, navg);
    EXPECT_EQ(reader->user_data()[1].type, fourcc("ctyp"));
    EXPECT_EQ(reader->user_data()[1].data, (std::vector<std::uint8_t>{'s', 't', 'n', 'a'}));
}

TEST_F(FfmpegInterop, HandlerNamesReadAsPascalOrCStrings) {
    // ffmpeg writes a Pascal name in .mov and a C string in .mp4.
    for (const char* extension : {".mov", ".mp4"}) {
        SCOPED_TRACE(extension);
        std::string path = dir.file(std::string("names") + extension), out;
        ASSERT_EQ(run_command("ffmpeg -v error -f lavfi -i testsrc=size=16x16:rate=5 -frames:v 2 -c:v mjpeg " +
                                  shell_quoted(path) + " 2>&1",
                              out),
                  0)
            << out;
        MovieModel movie;
        ASSERT_EQ(load_movie_file(path, movie), 0);
        ASSERT_EQ(movie.tracks.size(), 1u);
        EXPECT_EQ(movie.tracks[0]->media->handler_name, "VideoHandler");
        EXPECT_EQ(movie.tracks[0]->media->samples.size(), 2u);
    }
}

TEST_F(FfmpegInterop, WideChunkOffsetsReadTheSameFrames) {
    std::string path = dir.file("narrow.mov"), wide = dir.file("wide.mov");
    write_raw_movie(path, 24, 16, 4);
    MovieModel model;
    ASSERT_EQ(load_movie_file(path, model), 0);
    // Same file with the movie atom rewritten using co64; the offsets stay valid.
    auto bytes = read_bytes(path);
    auto atoms = top_level_atoms(path);
    ASSERT_EQ(atoms.back(), "moov");
    auto narrow_moov = serialize_movie(model, path);
    bytes.resize(bytes.size() - narrow_moov.size());
    auto wide_moov = serialize_movie(model, path, true);
    const std::string co64 = "co64";
    ASSERT_NE(std::search(wide_moov.begin(), wide_moov.end(), co64.begin(), co64.end()), wide_moov.end());
    bytes.insert(bytes.end(), wide_moov.begin(), wide_moov.end());
    write_bytes(wide, bytes);
    auto narrow_frames = decoded_frame_md5s("-i " + shell_quoted(path));
    ASSERT_EQ(narrow_frames.size(), 4u);
    EXPECT_EQ(decoded_frame_md5s("-i " + shell_quoted(wide)), narrow_frames);
    MovieModel reread;
    ASSERT_EQ(load_movie_file(wide, reread), 0);
    ASSERT_EQ(reread.tracks.size(), 1u);
    EXPECT_EQ(reread.tracks[0]->media->samples.size(), 4u);
}

}  // namespace
}  // namespace medialayer
