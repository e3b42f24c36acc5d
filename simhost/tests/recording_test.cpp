// Recorded frame movies as other programs read them: ffprobe counts the
// frames, ffmpeg decodes them back to the rendered pictures, and the media
// layer sees one 60-unit sample per frame at time scale 600.
#include <gtest/gtest.h>

#include <cmath>

#include "host/host_ref.h"
#include "medialayer/movie_api.h"
#include "simhost/host_objects/session.h"
#include "test_support.h"

namespace simhost {
namespace {

using testing::TempFolder;

// Records `frames` views of the demo scene, turning it 20 degrees between frames.
CommandResult record_turntable(Session& session, const std::string& path, int frames) {
    return session.run_command([&](host_scene* s) {
        s->make_part("Container", 0);
        host_ref<host_renderer> r(s->get_renderer(0));
        const char* text = path.c_str();
        r->start_recording(&text, 0);
        const float a = 20.0f * 3.14159265f / 180.0f;
        const Mat4 turn{{{std::cos(a), 0, -std::sin(a), 0}, {0, 1, 0, 0}, {std::sin(a), 0, std::cos(a), 0}, {0, 0, 0, 1}}};
        for (int i = 0; i < frames; ++i) {
            r->render(0);
            r->append_frame(0);
            s->find_object("Container", 0)->transform(turn, 0);
        }
        r->end_recording(0);
    });
}

SessionOptions recording_options(FrameCodec codec, ImageSize size) {
    SessionOptions o;
    o.codec = codec;
    o.image_size = size;
    o.keep_frame_images = true;
    return o;
}

TEST(Recording, RawFramesDecodeToExactlyTheRenderedPictures) {
    // 66 is not a multiple of 4 or 16: rows are packed, not padded.
    for (ImageSize size : {ImageSize{64, 48}, ImageSize{66, 30}}) {
        TempFolder folder;
        const std::string path = folder.file("raw.mov");
        Session session(recording_options(FrameCodec::raw, size));
        const CommandResult result = record_turntable(session, path, 5);
        ASSERT_TRUE(result.ok()) << result.exception << result.audit.text();
        EXPECT_EQ(result.frames_recorded, 5);

        const testing::ProbedVideo video = testing::probe_video(path);
        EXPECT_EQ(video.codec, "rawvideo");
        EXPECT_EQ(video.width, size.width);
        EXPECT_EQ(video.height, size.height);
        EXPECT_EQ(video.frames, 5);
        EXPECT_NEAR(video.duration, 0.5, 1e-6);

        const std::vector<Image> decoded = testing::decode_video(path, size.width, size.height);
        ASSERT_EQ(decoded.size(), 5u);
        for (std::size_t i = 0; i < decoded.size(); ++i)
            EXPECT_EQ(decoded[i].rgb, session.recorded_frames()[i].image->rgb) << "frame " << i;
        EXPECT_NE(decoded[0].rgb, decoded[1].rgb);
    }
}

TEST(Recording, JpegFramesDecodeCloseToTheRenderedPictures) {
    TempFolder folder;
    const std::string path = folder.file("jpeg.mov");
    Session session(recording_options(FrameCodec::jpeg, {160, 120}));
    const CommandResult result = record_turntable(session, path, 4);
    ASSERT_TRUE(result.ok()) << result.exception << result.audit.text();

    const testing::ProbedVideo video = testing::probe_video(path);
    EXPECT_EQ(video.codec, "mjpeg");
    EXPECT_EQ(video.frames, 4);
    const std::vector<Image> decoded = testing::decode_video(path, 160, 120);
    ASSERT_EQ(decoded.size(), 4u);
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const testing::ImageDifference d = testing::difference(decoded[i], *session.recorded_frames()[i].image);
        EXPECT_LT(d.mean, 3.0) << "frame " << i;
        // Each frame is nearer its own picture than its neighbour's.
        const std::size_t other = (i + 1) % decoded.size();
        EXPECT_LT(d.mean, testing::difference(decoded[i], *session.recorded_frames()[other].image).mean);
    }
}

TEST(Recording, EverySampleLastsSixtyUnitsAtTimeScaleSixHundred) {
    TempFolder folder;
    const std::string path = folder.file("timing.mov");
    Session session(recording_options(FrameCodec::raw, {32, 24}));
    ASSERT_TRUE(record_turntable(session, path, 3).ok());
    std::unique_ptr<medialayer::MovieReader> reader;
    ASSERT_EQ(medialayer::MovieReader::open(path, reader), 0);
    ASSERT_EQ(reader->tracks().size(), 1u);
    const medialayer::TrackInfo& track = reader->tracks()[0];
    EXPECT_EQ(track.time_scale, 600);
    EXPECT_EQ(track.sample_count, 3u);
    ASSERT_EQ(track.descriptions.size(), 1u);
    EXPECT_EQ(track.descriptions[0].codec, medialayer::codec_raw);
    for (std::uint32_t i = 0; i < 3; ++i) {
        std::vector<std::uint8_t> bytes;
        std::uint32_t duration = 0;
        ASSERT_EQ(reader->read_sample(0, i, bytes, duration), 0);
        EXPECT_EQ(duration, 60u);
        EXPECT_EQ(bytes.size(), 32u * 24u * 3u);
    }
}

TEST(Recording, AFrameOfAnotherSizeIsRefusedAndNothingIsLeftBehind) {
    TempFolder folder;
    const std::string path = folder.file("sizes.mov");
    Session session(recording_options(FrameCodec::raw, {32, 24}));
    const CommandResult result = session.run_command([&](host_scene* s) {
        host_ref<host_renderer> r(s->get_renderer(0));
        const char* text = path.c_str();
        r->start_recording(&text, 0);
        r->render(0);
        r->append_frame(0);
        r->set_image_size({64, 24}, 0);
        r->render(0);
        r->append_frame(0);
    });
    EXPECT_NE(result.exception.find("frame 2 is 64 x 24 but the movie is 32 x 24"), std::string::npos)
        << result.exception;
    ASSERT_EQ(result.problems.size(), 1u);  // the recording never ended
    EXPECT_FALSE(testing::file_exists(path));
}

TEST(Recording, AMovieThatCannotBeWrittenFailsTheHostOperation) {
    TempFolder folder;
    const std::string path = folder.file("missing-folder/movie.mov");
    Session session(recording_options(FrameCodec::raw, {32, 24}));
    const CommandResult result = record_turntable(session, path, 1);
    EXPECT_FALSE(result.returned);
    EXPECT_NE(result.exception.find(path), std::string::npos) << result.exception;
}

}  // namespace
}  // namespace simhost
