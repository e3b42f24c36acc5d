// Editing movies in memory: user data lists, tracks and media, segments
// inserted by reference, and time lookups through edit lists.
#include <gtest/gtest.h>

#include <cstring>

#include "movie_model.h"

namespace medialayer {
namespace {

std::vector<std::uint8_t> bytes(const char* text) { return std::vector<std::uint8_t>(text, text + std::strlen(text)); }

TEST(UserDataList, SetItemFollowsQuickTimeIndexing) {
    struct Step {
        const char* what;
        OSType type;
        const char* data;
        int index;
        OSErr result;
    };
    const OSType a = fourcc("NAVG"), b = fourcc("ctyp");
    const Step steps[] = {
        {"index 0 adds an absent type", a, "one", 0, noErr},
        {"index 0 replaces the first of its type", a, "two", 0, noErr},
        {"another type is added after it", b, "stna", 0, noErr},
        {"one past the last of a type adds", a, "three", 2, noErr},
        {"index 2 replaces the second", a, "four", 2, noErr},
        {"further past the end is not found", a, "five", 4, userDataItemNotFound},
        {"negative index", a, "six", -1, paramErr},
    };
    std::vector<UserDataItem> items;
    for (const auto& s : steps) EXPECT_EQ(set_user_data(items, s.type, s.data, std::strlen(s.data), s.index), s.result) << s.what;

    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].type, a);
    EXPECT_EQ(items[0].data, bytes("two"));
    EXPECT_EQ(items[1].type, b);
    EXPECT_EQ(items[2].data, bytes("four"));
    ASSERT_NE(find_user_data(items, a, 2), nullptr);
    EXPECT_EQ(find_user_data(items, a, 2)->data, bytes("four"));
    EXPECT_EQ(find_user_data(items, a, 3), nullptr);
    EXPECT_EQ(find_user_data(items, fourcc("none")), nullptr);
}

// A source movie of six 60-unit frames in one file, without edits.
MovieModel six_frame_movie(const std::string& path) {
    MovieModel movie;
    init_movie(movie, path);
    TrackModel& t = add_video_track(movie, 64 << 16, 48 << 16, 0);
    MediaModel* media = nullptr;
    EXPECT_EQ(create_track_media(movie, t, fourcc("vide"), 600, &media), noErr);
    SampleDescriptionRecord d;
    d.format = fourcc("raw ");
    d.width = 64;
    d.height = 48;
    media->descriptions.push_back(d);
    for (std::uint32_t i = 0; i < 6; ++i) media->samples.push_back(SampleEntry{1, 100 + 1000 * i, 1000, 60, 1, true});
    return movie;
}

TEST(TrackEditing, NewTracksAndMediaTakeTheMoviesFileAndNextId) {
    MovieModel movie;
    init_movie(movie, "/movies/new.mov", 600);
    TrackModel& first = add_video_track(movie, 320 << 16, 240 << 16, 0x100);
    TrackModel& second = add_video_track(movie, 1 << 16, 1 << 16, 0);
    EXPECT_EQ(first.id, 1u);
    EXPECT_EQ(second.id, 2u);
    EXPECT_EQ(first.flags, 0xFu);
    EXPECT_EQ(first.width, 320 << 16);
    EXPECT_EQ(first.volume, 0x100);
    EXPECT_EQ(create_track_media(movie, first, fourcc("vide"), 0), paramErr);
    ASSERT_EQ(create_track_media(movie, first, fourcc("vide"), 30), noErr);
    ASSERT_EQ(first.media->data_refs.size(), 1u);
    EXPECT_EQ(first.media->data_refs[0].path, "/movies/new.mov");
    EXPECT_EQ(first.media->time_scale, 30);
}

TEST(TrackEditing, InsertingAWholeTrackReferencesEverySample) {
    MovieModel src = six_frame_movie("/movies/frames.mov");
    MovieModel dst;
    init_movie(dst, "/movies/object.mot");
    TrackModel& t = add_video_track(dst, 64 << 16, 48 << 16, 0);
    ASSERT_EQ(create_track_media(dst, t, fourcc("vide"), 600), noErr);
    ASSERT_EQ(insert_track_segment(src, *src.tracks[0], 0, 360, dst, t, 0), noErr);

    const MediaModel& m = *t.media;
    ASSERT_EQ(m.samples.size(), 6u);
    ASSERT_EQ(m.data_refs.size(), 2u);  // the movie's own file, then the source file
    EXPECT_EQ(m.data_refs[1].path, "/movies/frames.mov");
    EXPECT_FALSE(m.data_refs[1].self);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(m.samples[i].data_ref_index, 2);
        EXPECT_EQ(m.samples[i].offset, 100 + 1000 * i);
        EXPECT_EQ(m.samples[i].duration, 60u);
    }
    EXPECT_EQ(t.duration(600), 360);

    // Inserting again from the same file adds samples but no second reference.
    ASSERT_EQ(insert_track_segment(src, *src.tracks[0], 0, 60, dst, t, 360), noErr);
    EXPECT_EQ(m.data_refs.size(), 2u);
    EXPECT_EQ(m.descriptions.size(), 1u);
    EXPECT_EQ(m.samples.size(), 7u);
    EXPECT_EQ(t.duration(600), 420);
}

TEST(TrackEditing, PartialSegmentsReferenceWholeSamplesAndEditTheRest) {
    MovieModel src = six_frame_movie("/movies/frames.mov");
    MovieModel dst;
    init_movie(dst, "/movies/object.mot");
    TrackModel& t = add_video_track(dst, 64 << 16, 48 << 16, 0);
    ASSERT_EQ(create_track_media(dst, t, fourcc("vide"), 600), noErr);
    // 90..210 covers frames 1, 2 and 3, starting 30 units into frame 1.
    ASSERT_EQ(insert_track_segment(src, *src.tracks[0], 90, 120, dst, t, 0), noErr);
    ASSERT_EQ(t.media->samples.size(), 3u);
    EXPECT_EQ(t.media->samples[0].offset, 1100u);
    ASSERT_EQ(t.edits.size(), 1u);
    EXPECT_EQ(t.edits[0].duration, 120);
    EXPECT_EQ(t.edits[0].media_time, 30);
    EXPECT_EQ(track_to_media_time(t, 600, 0), 30);
    EXPECT_EQ(track_to_media_time(t, 600, 119), 149);
    EXPECT_EQ(track_to_media_time(t, 600, 120), -1);

    // A second segment put in front of the first shifts it later.
    ASSERT_EQ(insert_track_segment(src, *src.tracks[0], 0, 60, dst, t, 0), noErr);
    ASSERT_EQ(t.edits.size(), 2u);
    EXPECT_EQ(t.edits[0].media_time, 180);  // the new sample follows the first three in the media
    EXPECT_EQ(t.edits[1].media_time, 30);
    EXPECT_EQ(t.duration(600), 180);
}

TEST(TrackEditing, BadSegmentsAreRefusedAndLeaveTheTrackAlone) {
    MovieModel src = six_frame_movie("/movies/frames.mov");
    MovieModel dst;
    init_movie(dst, "/movies/object.mot");
    TrackModel& t = add_video_track(dst, 0, 0, 0);
    TrackModel no_media;
    EXPECT_EQ(insert_track_segment(src, *src.tracks[0], 0, 60, dst, t, 0), invalidMedia);
    ASSERT_EQ(create_track_media(dst, t, fourcc("vide"), 600), noErr);
    struct Case {
        const char* what;
        TimeValue start, duration, at;
        OSErr result;
    };
    const Case cases[] = {
        {"negative start", -1, 60, 0, invalidTime},
        {"negative duration", 0, -5, 0, invalidDuration},
        {"past the source's end", 300, 120, 0, invalidDuration},
        {"destination time past its end", 0, 60, 10, invalidTime},
        {"empty segment", 0, 0, 0, noErr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(insert_track_segment(src, *src.tracks[0], c.start, c.duration, dst, t, c.at), c.result) << c.what;
    EXPECT_EQ(insert_track_segment(src, no_media, 0, 60, dst, t, 0), invalidTrack);
    EXPECT_TRUE(t.media->samples.empty());
    EXPECT_EQ(t.media->data_refs.size(), 1u);
    EXPECT_TRUE(t.edits.empty());
}

TEST(TrackEditing, CopyTrackSettingsCarriesPresentationOver) {
    MovieModel src = six_frame_movie("/movies/frames.mov");
    TrackModel& s = *src.tracks[0];
    s.layer = -2;
    s.alternate_group = 3;
    s.volume = 0x80;
    s.flags = track_enabled | track_in_movie;
    s.matrix.m[6] = 10 << 16;
    s.media->language = 7;
    MovieModel dst;
    init_movie(dst, "/movies/object.mot");
    TrackModel& t = add_video_track(dst, 0, 0, 0);
    ASSERT_EQ(create_track_media(dst, t, fourcc("vide"), 600), noErr);
    copy_track_settings(s, t);
    EXPECT_EQ(t.layer, -2);
    EXPECT_EQ(t.alternate_group, 3);
    EXPECT_EQ(t.volume, 0x80);
    EXPECT_EQ(t.flags, s.flags);
    EXPECT_EQ(t.matrix, s.matrix);
    EXPECT_EQ(t.width, 64 << 16);
    EXPECT_EQ(t.height, 48 << 16);
    EXPECT_EQ(t.media->language, 7);
}

TEST(TimeLookup, SampleDurationAtATime) {
    MovieModel movie = six_frame_movie("/movies/frames.mov");
    MediaModel& media = *movie.tracks[0]->media;
    media.samples[2].duration = 90;
    struct Case {
        std::int64_t time, duration;
    };
    for (Case c : {Case{0, 60}, Case{59, 60}, Case{120, 90}, Case{209, 90}, Case{210, 60}, Case{390, -1}, Case{-1, -1}})
        EXPECT_EQ(sample_duration_at(media, c.time), c.duration) << c.time;
    EXPECT_EQ(media.duration(), 390);
}

}  // namespace
}  // namespace medialayer
