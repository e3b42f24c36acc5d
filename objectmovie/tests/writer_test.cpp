// The writer from frame movie to object movie file, on real files, read back
// with the media layer's reader, by walking the atoms, and with ffmpeg.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "medialayer/movie_api.h"
#include "objectmovie/navg_record.h"
#include "medialayer/tests/atom_walk.h"
#include "medialayer/tests/ffmpeg_tools.h"
#include "objectmovie/tests/record_cases.h"
#include "objectmovie/tests/writer_fixture.h"
#include "objectmovie/write_object_movie.h"

namespace {

using fixtures::read_file;
using namespace atom_walk;
using medialayer::testing::ffmpeg_available;

// "type,frames" of each stream ffprobe finds, joined by spaces.
std::string stream_summary(const std::string& path) {
    std::string summary;
    for (const auto& s : medialayer::testing::probe_streams(path))
        summary += (summary.empty() ? "" : " ") + s.codec_type + "," + std::to_string(s.frames);
    return summary;
}

std::vector<std::string> frame_hashes(const std::string& path) {
    return medialayer::testing::decoded_frame_md5s("-i " + medialayer::testing::shell_quoted(path));
}

const medialayer::UserDataItem* user_item(const medialayer::MovieReader& movie, const char (&type)[5]) {
    for (const auto& item : movie.user_data()) {
        if (item.type == four_cc(type)) return &item;
    }
    return nullptr;
}

std::vector<std::uint8_t> record_bytes(const medialayer::MovieReader& movie) {
    const medialayer::UserDataItem* item = user_item(movie, "NAVG");
    return item ? item->data : std::vector<std::uint8_t>{};
}

TEST_F(WriterTest, TurnsAFullGridIntoOneSelfContainedObjectMovie) {
    ASSERT_EQ(fixtures::write_frame_movie(frames, 24 * 13, 100), 0);
    write_older_output();

    EXPECT_EQ(write_object_movie_status(frames.c_str(), output.c_str(), 13, 24), noErr);
    EXPECT_EQ(os.beeps, std::vector<std::uint32_t>{0});
    EXPECT_EQ(movie_rows, 13);
    EXPECT_EQ(movie_columns, 24);
    // The older output was replaced and the intermediate file is gone.
    EXPECT_EQ(output_folder.names(), std::vector<std::string>{"scene.mov"});
    EXPECT_NE(read_file(output), older_output);
    expect_nothing_held();

    std::unique_ptr<medialayer::MovieReader> movie;
    ASSERT_EQ(medialayer::MovieReader::open(output, movie), 0);
    ASSERT_EQ(movie->tracks().size(), 1u);
    const medialayer::TrackInfo& track = movie->tracks()[0];
    EXPECT_EQ(track.media_type, four_cc("vide"));
    EXPECT_EQ(track.sample_count, 312u);
    EXPECT_TRUE(track.self_contained);
    ASSERT_EQ(movie->user_data().size(), 2u);
    EXPECT_NE(user_item(*movie, "NAVG"), nullptr);
    const medialayer::UserDataItem* controller = user_item(*movie, "ctyp");
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->data, (std::vector<std::uint8_t>{'s', 't', 'n', 'a'}));
    EXPECT_EQ(movie->preview_duration(), 100);

    // Every sample is the frame movie's, byte for byte and in order.
    std::unique_ptr<medialayer::MovieReader> source;
    ASSERT_EQ(medialayer::MovieReader::open(frames, source), 0);
    for (std::uint32_t i = 0; i < 312; i += 1) {
        std::vector<std::uint8_t> written;
        std::vector<std::uint8_t> recorded;
        std::uint32_t written_duration = 0;
        std::uint32_t recorded_duration = 0;
        ASSERT_EQ(movie->read_sample(0, i, written, written_duration), 0);
        ASSERT_EQ(source->read_sample(0, i, recorded, recorded_duration), 0);
        ASSERT_EQ(written, recorded) << "sample " << i;
        ASSERT_EQ(written_duration, recorded_duration) << "sample " << i;
    }
}

TEST_F(WriterTest, LaysTheMovieOutAheadOfItsDataWithOnlyTheObjectItems) {
    ASSERT_EQ(fixtures::write_frame_movie(frames, 24 * 13, 100), 0);
    ASSERT_EQ(write_object_movie_status(frames.c_str(), output.c_str(), 13, 24), noErr);

    const std::vector<std::uint8_t> bytes = read_file(output);
    const auto top = atoms_in(bytes, 0, bytes.size());
    const AtomSpan* moov = find_atom(top, "moov");
    const AtomSpan* mdat = find_atom(top, "mdat");
    ASSERT_NE(moov, nullptr);
    ASSERT_NE(mdat, nullptr);
    EXPECT_LT(moov->begin, mdat->begin);
    EXPECT_EQ(top.back().end, bytes.size());  // the walk covered the whole file

    const auto movie_atoms = atoms_in(bytes, *moov);
    const AtomSpan* udta = find_atom(movie_atoms, "udta");
    ASSERT_NE(udta, nullptr);
    const auto items = atoms_in(bytes, *udta);
    EXPECT_EQ(types_of(items), (std::vector<std::string>{"NAVG", "ctyp"}));
    const AtomSpan* navg = find_atom(items, "NAVG");
    ASSERT_NE(navg, nullptr);
    NavgRecord record;
    ASSERT_TRUE(NavgRecord::parse(&bytes[navg->payload], navg->end - navg->payload, record));
    EXPECT_EQ(record.bytes(), record_cases[0].bytes);
}

TEST_F(WriterTest, OutputDecodesToTheSameFramesInFfmpeg) {
    if (!ffmpeg_available()) GTEST_SKIP() << "ffprobe/ffmpeg not available";
    ASSERT_EQ(fixtures::write_frame_movie(frames, 24 * 13, 100), 0);
    ASSERT_EQ(write_object_movie_status(frames.c_str(), output.c_str(), 13, 24), noErr);

    EXPECT_EQ(stream_summary(output), "video,312");
    const auto recorded = frame_hashes(frames);
    ASSERT_EQ(recorded.size(), 312u);
    EXPECT_EQ(frame_hashes(output), recorded);
}

TEST_F(WriterTest, CancelledCaptureKeepsOnlyTheCompleteRows) {
    // Two and a half rows of four were recorded; the capture reports two.
    ASSERT_EQ(fixtures::write_frame_movie(frames, 10, 100), 0);
    ASSERT_EQ(write_object_movie_status(frames.c_str(), output.c_str(), 2, 4), noErr);

    std::unique_ptr<medialayer::MovieReader> movie;
    ASSERT_EQ(medialayer::MovieReader::open(output, movie), 0);
    ASSERT_EQ(movie->tracks().size(), 1u);
    EXPECT_EQ(movie->tracks()[0].sample_count, 8u);
    EXPECT_EQ(movie->tracks()[0].duration, 8 * 100);
    NavgRecord record;
    const auto bytes = record_bytes(*movie);
    ASSERT_TRUE(NavgRecord::parse(bytes.data(), bytes.size(), record));
    EXPECT_EQ(record.rows, 2);
    EXPECT_EQ(record.columns, 4);

    if (!ffmpeg_available()) return;
    EXPECT_EQ(stream_summary(output), "video,8");
    auto recorded = frame_hashes(frames);
    ASSERT_EQ(recorded.size(), 10u);
    recorded.resize(8);
    EXPECT_EQ(frame_hashes(output), recorded);
}

TEST_F(WriterTest, AFrameMovieShorterThanTheGridKeepsEveryFrameAndTheGrid) {
    ASSERT_EQ(fixtures::write_frame_movie(frames, 5, 100), 0);
    ASSERT_EQ(write_object_movie_status(frames.c_str(), output.c_str(), 2, 4), noErr);
    std::unique_ptr<medialayer::MovieReader> movie;
    ASSERT_EQ(medialayer::MovieReader::open(output, movie), 0);
    EXPECT_EQ(movie->tracks().at(0).sample_count, 5u);
    NavgRecord record;
    const auto bytes = record_bytes(*movie);
    ASSERT_TRUE(NavgRecord::parse(bytes.data(), bytes.size(), record));
    EXPECT_EQ(record.rows, 2);
    EXPECT_EQ(record.columns, 4);
}

TEST_F(WriterTest, LeavesAFileWithTheIntermediateNameAlone) {
    ASSERT_EQ(fixtures::write_frame_movie(frames, 4, 100), 0);
    const std::string someone_elses = output_folder.file("scene.mot");
    const std::vector<std::uint8_t> theirs = {'k', 'e', 'e', 'p'};
    fixtures::write_file(someone_elses, theirs);

    EXPECT_EQ(write_object_movie_status(frames.c_str(), output.c_str(), 2, 2), noErr);
    EXPECT_EQ(read_file(someone_elses), theirs);
    EXPECT_EQ(output_folder.names(), (std::vector<std::string>{"scene.mot", "scene.mov"}));
    std::unique_ptr<medialayer::MovieReader> movie;
    EXPECT_EQ(medialayer::MovieReader::open(output, movie), 0);
}

class RecordOnDisk : public WriterTest, public testing::WithParamInterface<RecordCase> {};

TEST_P(RecordOnDisk, StatesTheGridDurationAndInitialView) {
    const RecordCase& c = GetParam();
    ASSERT_EQ(fixtures::write_frame_movie(frames, std::uint32_t(c.columns * c.rows), std::uint32_t(c.sample_duration)),
              0);
    ASSERT_TRUE(fixtures::set_current_time(frames, c.view_time));

    ASSERT_EQ(write_object_movie_status(frames.c_str(), output.c_str(), c.rows, c.columns), noErr);
    std::unique_ptr<medialayer::MovieReader> movie;
    ASSERT_EQ(medialayer::MovieReader::open(output, movie), 0);
    const auto bytes = record_bytes(*movie);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), c.bytes.begin(), c.bytes.end()));
    // The object movie opens, and shows its poster and preview, at the frame movie's view.
    EXPECT_EQ(movie->current_time(), c.view_time);
    EXPECT_EQ(movie->poster_time(), c.view_time);
    EXPECT_EQ(movie->preview_time(), c.view_time);
}

INSTANTIATE_TEST_SUITE_P(Cases, RecordOnDisk, testing::ValuesIn(record_cases),
                         [](const testing::TestParamInfo<RecordCase>& info) { return info.param.name; });

struct Refusal {
    const char* name;
    std::int16_t rows;
    std::int16_t columns;
    enum { usual_output, empty_output, frames_as_output, frames_spelt_otherwise } target;
};

const Refusal refusals[] = {
    {"no_rows", 0, 24, Refusal::usual_output},
    {"no_columns", 13, 0, Refusal::usual_output},
    {"negative_rows", -1, 24, Refusal::usual_output},
    {"empty_output_name", 13, 24, Refusal::empty_output},
    {"frame_movie_is_the_output", 13, 24, Refusal::frames_as_output},
    {"frame_movie_is_the_output_spelt_otherwise", 13, 24, Refusal::frames_spelt_otherwise},
};

void PrintTo(const Refusal& r, std::ostream* out) { *out << r.name; }

class RefusedRun : public WriterTest, public testing::WithParamInterface<Refusal> {};

TEST_P(RefusedRun, TouchesNoFileAndStillBeeps) {
    const Refusal& r = GetParam();
    ASSERT_EQ(fixtures::write_frame_movie(frames, 4, 100), 0);
    write_older_output();
    const std::vector<std::uint8_t> recorded = read_file(frames);
    const std::string target = r.target == Refusal::usual_output       ? output
                               : r.target == Refusal::empty_output     ? std::string()
                               : r.target == Refusal::frames_as_output ? frames
                                                                       : temp_folder.file("./scene.mov");

    EXPECT_EQ(write_object_movie_status(frames.c_str(), target.c_str(), r.rows, r.columns), paramErr);
    EXPECT_EQ(os.beeps, std::vector<std::uint32_t>{0});
    EXPECT_EQ(read_file(frames), recorded);
    EXPECT_EQ(read_file(output), older_output);
    EXPECT_EQ(temp_folder.names(), std::vector<std::string>{"scene.mov"});
    EXPECT_EQ(output_folder.names(), std::vector<std::string>{"scene.mov"});
    expect_nothing_held();
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedRun, testing::ValuesIn(refusals),
                         [](const testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

}  // namespace
