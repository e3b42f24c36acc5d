// What the writer reads from a frame movie and sets on the new one, checked
// through the library and, for what gets stored, in the file written.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "medialayer/movie_api.h"
#include "qts_library.h"
#include "test_files.h"

namespace qts_test {
namespace {

constexpr std::int32_t replace_and_no_resource_fork = std::int32_t(0x90000000u);

class MovieRoutines : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QtsLibrary::get().error, "");
        QtsLibrary::get().fault_reset();
        ASSERT_EQ(write_frame_movie(dir.file("frames.mov"), make_frames(32, 24, {100, 60, 60, 40})), noErr);
        source_spec = spec_of("frames.mov");
        ASSERT_EQ(qt::OpenMovieFile(&source_spec, &source_file, 1), noErr);
        ASSERT_EQ(qt::NewMovieFromFile(&source, source_file, nullptr, nullptr, 0, nullptr), noErr);
        track = qt::GetMovieIndTrackType(source, 1, four_cc("vide"), 1);
        ASSERT_NE(track, nullptr);

        target_spec = spec_of("new.mov");
        ASSERT_EQ(qt::CreateMovieFile(&target_spec, four_cc("TVOD"), -2, replace_and_no_resource_fork, &target_file,
                                      &target),
                  noErr);
    }

    void TearDown() override {
        qt::CloseMovieFile(source_file);
        qt::DisposeMovie(source);
        qt::CloseMovieFile(target_file);
        qt::DisposeMovie(target);
        const medialayer_live_counts counts = QtsLibrary::get().live_counts();
        EXPECT_EQ(counts.movies + counts.open_files + counts.pointers, 0);
    }

    FSSpec spec_of(const std::string& name) {
        FSSpec spec{};
        std::string path = dir.file(name);
        qt::NativePathNameToFSSpec(path.data(), &spec, 0);
        return spec;
    }

    // Stores the new movie and reads the file back with the core's reader.
    std::unique_ptr<medialayer::MovieReader> stored() {
        std::int16_t id = -1;
        EXPECT_EQ(qt::AddMovieResource(target, target_file, &id, nullptr), noErr);
        EXPECT_EQ(id, -1);
        std::unique_ptr<medialayer::MovieReader> reader;
        EXPECT_EQ(medialayer::MovieReader::open(dir.file("new.mov"), reader), noErr);
        return reader;
    }

    ScratchDir dir;
    FSSpec source_spec{}, target_spec{};
    std::int16_t source_file = 0, target_file = 0;
    Movie source = nullptr, target = nullptr;
    Track track = nullptr;
};

TEST_F(MovieRoutines, FindsTracksByMediaTypeOrCharacteristic) {
    struct Case {
        std::int32_t index;
        OSType type;
        std::int32_t flags;
        bool found;
    };
    for (const Case& c : {Case{1, four_cc("vide"), 1, true}, Case{2, four_cc("vide"), 1, false},
                          Case{1, four_cc("soun"), 1, false}, Case{1, four_cc("eyes"), 2, true},
                          Case{1, four_cc("ears"), 2, false}, Case{1, four_cc("vide"), 5, true}}) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " index " + std::to_string(c.index));
        const Track found = qt::GetMovieIndTrackType(source, c.index, c.type, c.flags);
        EXPECT_EQ(found, c.found ? track : nullptr);
    }
    qt::SetTrackEnabled(track, false);
    EXPECT_EQ(qt::GetMovieIndTrackType(source, 1, four_cc("vide"), 5), nullptr);  // enabled tracks only
    qt::SetTrackEnabled(track, true);
}

TEST_F(MovieRoutines, InterestingTimeIsTheSampleStartingThereOrNext) {
    struct Case {
        TimeValue at;
        std::int16_t flags;
        TimeValue time;
        TimeValue duration;
    };
    // Samples start at 0, 100, 160 and 220; the movie ends at 260.
    for (const Case& c : {Case{0, 1, 0, 100}, Case{30, 1, 100, 60}, Case{100, 1, 100, 60}, Case{219, 1, 220, 40},
                          Case{260, 1, -1, 0}, Case{0, 8, 0, 100}, Case{0, 1 | 0x4000, 0, 100}}) {
        SCOPED_TRACE("at " + std::to_string(c.at));
        TimeValue time = 7, duration = 7;
        qt::GetMovieNextInterestingTime(source, c.flags, 0, nullptr, c.at, 0x10000, &time, &duration);
        EXPECT_EQ(time, c.time);
        EXPECT_EQ(duration, c.duration);
    }
    const OSType sound = four_cc("soun");
    TimeValue duration = 7;
    qt::GetMovieNextInterestingTime(source, 1, 1, &sound, 0, 0x10000, nullptr, &duration);
    EXPECT_EQ(duration, 0);  // no track of that media type
}

TEST_F(MovieRoutines, CopiedTrackKeepsSettingsAndRefersToTheSourceSamples) {
    Fixed width = 0, height = 0;
    qt::GetTrackDimensions(track, &width, &height);
    EXPECT_EQ(width, 32 << 16);
    EXPECT_EQ(height, 24 << 16);
    qt::SetTrackLayer(track, -3);

    qt::ClearMoviesStickyError();
    Track copy = qt::NewMovieTrack(target, width, height, qt::GetTrackVolume(track));
    ASSERT_NE(copy, nullptr);
    Media media = qt::GetTrackMedia(track);
    OSType type = 0;
    unsigned char name[256] = {};
    qt::GetMediaHandlerDescription(media, &type, name, nullptr);
    EXPECT_EQ(type, four_cc("vide"));
    EXPECT_GT(name[0], 0);
    Media copy_media = qt::NewTrackMedia(copy, type, qt::GetMediaTimeScale(media), nullptr, 0);
    ASSERT_NE(copy_media, nullptr);
    EXPECT_EQ(qt::GetTrackMedia(copy), copy_media);
    EXPECT_EQ(qt::InsertTrackSegment(track, copy, 0, qt::GetTrackDuration(track), 0), noErr);
    EXPECT_EQ(qt::CopyTrackSettings(track, copy), noErr);
    qt::SetTrackLayer(copy, qt::GetTrackLayer(track));
    qt::SetTrackEnabled(copy, true);
    EXPECT_EQ(qt::GetMoviesStickyError(), noErr);

    EXPECT_EQ(qt::GetTrackDuration(copy), 260);
    EXPECT_EQ(qt::GetTrackLayer(copy), -3);
    EXPECT_EQ(qt::GetMediaTimeScale(copy_media), qt::GetMediaTimeScale(media));
    Fixed copy_width = 0, copy_height = 0;
    qt::GetTrackDimensions(copy, &copy_width, &copy_height);
    EXPECT_EQ(copy_width, width);
    EXPECT_EQ(copy_height, height);

    const auto reader = stored();
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->tracks().size(), 1u);
    EXPECT_FALSE(reader->tracks()[0].self_contained);
    EXPECT_EQ(reader->tracks()[0].sample_count, 4u);
    EXPECT_LT(read_bytes(dir.file("new.mov")).size(), 32u * 24 * 3);
}

TEST_F(MovieRoutines, UserDataItemsAreStoredInOrderAsGiven) {
    UserData list = qt::GetMovieUserData(target);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(qt::GetMovieUserData(target), list);
    char first[3] = {1, 2, 3}, replaced[5] = {9, 8, 7, 6, 5}, other[2] = {4, 4};
    EXPECT_EQ(qt::SetUserDataItem(list, first, 3, four_cc("NAVG"), 0), noErr);
    EXPECT_EQ(qt::SetUserDataItem(list, other, 2, four_cc("ctyp"), 0), noErr);
    EXPECT_EQ(qt::SetUserDataItem(list, replaced, 5, four_cc("NAVG"), 0), noErr);  // index 0 replaces the first
    EXPECT_EQ(qt::SetUserDataItem(list, other, 2, four_cc("ctyp"), 3), userDataItemNotFound);
    EXPECT_EQ(qt::SetUserDataItem(list, other, -1, four_cc("ctyp"), 0), paramErr);
    EXPECT_EQ(qt::SetUserDataItem(list, nullptr, 2, four_cc("ctyp"), 0), paramErr);

    const auto reader = stored();
    ASSERT_TRUE(reader);
    const auto& items = reader->user_data();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].type, four_cc("NAVG"));
    EXPECT_EQ(items[0].data, (std::vector<std::uint8_t>{9, 8, 7, 6, 5}));
    EXPECT_EQ(items[1].type, four_cc("ctyp"));
    EXPECT_EQ(items[1].data, (std::vector<std::uint8_t>{4, 4}));
}

TEST_F(MovieRoutines, MovieTimesAreStoredInTheMovieHeader) {
    qt::ClearMoviesStickyError();
    qt::SetMoviePosterTime(target, 120);
    qt::SetMovieTimeValue(target, 130);
    qt::SetMoviePreviewTime(target, 140, 60);
    EXPECT_EQ(qt::GetMovieTime(target, nullptr), 130);
    EXPECT_EQ(qt::GetMoviesStickyError(), noErr);
    qt::SetMovieTimeValue(target, -1);
    EXPECT_EQ(qt::GetMoviesStickyError(), invalidTime);
    EXPECT_EQ(qt::GetMovieTime(target, nullptr), 130);

    // The time record form: a 64-bit value as two halves, then the scale.
    unsigned char record[32];
    std::memset(record, 0xEE, sizeof record);
    EXPECT_EQ(qt::GetMovieTime(target, record), 130);
    std::uint32_t low = 0, scale = 0;
    std::int32_t high = -1;
    std::memcpy(&low, record, 4);
    std::memcpy(&high, record + 4, 4);
    std::memcpy(&scale, record + 8, 4);
    EXPECT_EQ(low, 130u);
    EXPECT_EQ(high, 0);
    EXPECT_EQ(scale, 600u);

    const auto reader = stored();
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->poster_time(), 120);
    EXPECT_EQ(reader->current_time(), 130);
    EXPECT_EQ(reader->preview_time(), 140);
    EXPECT_EQ(reader->preview_duration(), 60);
}

TEST_F(MovieRoutines, StoredMovieOpensAgain) {
    EXPECT_NE(stored(), nullptr);
    std::int16_t file = 0;
    ASSERT_EQ(qt::OpenMovieFile(&target_spec, &file, 1), noErr);
    Movie again = nullptr;
    std::int16_t id = 0;
    unsigned char name[4] = {3, 'a', 'b', 'c'};
    bool changed = true;
    ASSERT_EQ(qt::NewMovieFromFile(&again, file, &id, name, 0, &changed), noErr);
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(name[0], 0);
    EXPECT_FALSE(changed);
    qt::DisposeMovie(again);
    qt::CloseMovieFile(file);
}

}  // namespace
}  // namespace qts_test
