// Handles, blocks and selectors the library never issued, or no longer holds:
// every routine answers an error or a null result and keeps running.
#include <gtest/gtest.h>

#include <functional>

#include "qts_library.h"
#include "test_files.h"

namespace qts_test {
namespace {


enum class Kind { movie, track, media, user_data };
enum class Bad { stale, foreign, wrong_kind, null };

struct Routine {
    const char* name;
    Kind kind;
    std::function<std::intptr_t(void*)> call;
    bool answers_code;  // the result is the error code; otherwise it must be 0 / null
};

template <typename H>
H as(void* handle) {
    return static_cast<H>(handle);
}

const std::vector<Routine>& routines() {
    static const std::vector<Routine> table = {
        {"SetMoviePlayHints", Kind::movie, [](void* h) { qt::SetMoviePlayHints(as<Movie>(h), 0x100, 0x100); return 0; }, false},
        {"GetMovieIndTrackType", Kind::movie,
         [](void* h) { return std::intptr_t(qt::GetMovieIndTrackType(as<Movie>(h), 1, four_cc("vide"), 1)); }, false},
        {"GetMovieNextInterestingTime", Kind::movie,
         [](void* h) {
             TimeValue time = 7, duration = 7;
             qt::GetMovieNextInterestingTime(as<Movie>(h), 1, 0, nullptr, 0, 0x10000, &time, &duration);
             return std::intptr_t(time == -1 && duration == 0 ? 0 : 1);
         },
         false},
        {"GetMovieTime", Kind::movie, [](void* h) { return std::intptr_t(qt::GetMovieTime(as<Movie>(h), nullptr)); }, false},
        {"GetMovieUserData", Kind::movie, [](void* h) { return std::intptr_t(qt::GetMovieUserData(as<Movie>(h))); }, false},
        {"SetMoviePosterTime", Kind::movie, [](void* h) { qt::SetMoviePosterTime(as<Movie>(h), 1); return 0; }, false},
        {"SetMovieTimeValue", Kind::movie, [](void* h) { qt::SetMovieTimeValue(as<Movie>(h), 1); return 0; }, false},
        {"SetMoviePreviewTime", Kind::movie, [](void* h) { qt::SetMoviePreviewTime(as<Movie>(h), 1, 1); return 0; }, false},
        {"AddMovieResource", Kind::movie,
         [](void* h) {
             std::int16_t id = -1;
             return std::intptr_t(qt::AddMovieResource(as<Movie>(h), 1, &id, nullptr));
         },
         true},
        {"FlattenMovieData", Kind::movie,
         [](void* h) {
             FSSpec spec{};
             return std::intptr_t(qt::FlattenMovieData(as<Movie>(h), 73, &spec, four_cc("TVOD"), -1, 0));
         },
         false},
        {"NewMovieTrack", Kind::movie,
         [](void* h) { return std::intptr_t(qt::NewMovieTrack(as<Movie>(h), 0x400000, 0x300000, 0)); }, false},
        {"DisposeMovie", Kind::movie, [](void* h) { qt::DisposeMovie(as<Movie>(h)); return 0; }, false},
        {"GetTrackMedia", Kind::track, [](void* h) { return std::intptr_t(qt::GetTrackMedia(as<Track>(h))); }, false},
        {"GetTrackDimensions", Kind::track,
         [](void* h) {
             Fixed width = 5, height = 5;
             qt::GetTrackDimensions(as<Track>(h), &width, &height);
             return std::intptr_t(width | height);
         },
         false},
        {"GetTrackVolume", Kind::track, [](void* h) { return std::intptr_t(qt::GetTrackVolume(as<Track>(h))); }, false},
        {"GetTrackDuration", Kind::track, [](void* h) { return std::intptr_t(qt::GetTrackDuration(as<Track>(h))); }, false},
        {"GetTrackLayer", Kind::track, [](void* h) { return std::intptr_t(qt::GetTrackLayer(as<Track>(h))); }, false},
        {"SetTrackLayer", Kind::track, [](void* h) { qt::SetTrackLayer(as<Track>(h), 2); return 0; }, false},
        {"SetTrackEnabled", Kind::track, [](void* h) { qt::SetTrackEnabled(as<Track>(h), true); return 0; }, false},
        {"InsertTrackSegment", Kind::track,
         [](void* h) { return std::intptr_t(qt::InsertTrackSegment(as<Track>(h), as<Track>(h), 0, 60, 0)); }, true},
        {"CopyTrackSettings", Kind::track,
         [](void* h) { return std::intptr_t(qt::CopyTrackSettings(as<Track>(h), as<Track>(h))); }, true},
        {"NewTrackMedia", Kind::track,
         [](void* h) { return std::intptr_t(qt::NewTrackMedia(as<Track>(h), four_cc("vide"), 600, nullptr, 0)); },
         false},
        {"GetMediaHandlerDescription", Kind::media,
         [](void* h) {
             OSType type = 5;
             qt::GetMediaHandlerDescription(as<Media>(h), &type, nullptr, nullptr);
             return std::intptr_t(type);
         },
         false},
        {"GetMediaTimeScale", Kind::media, [](void* h) { return std::intptr_t(qt::GetMediaTimeScale(as<Media>(h))); },
         false},
        {"SetUserDataItem", Kind::user_data,
         [](void* h) {
             char data[4] = {'s', 't', 'n', 'a'};
             return std::intptr_t(qt::SetUserDataItem(as<UserData>(h), data, 4, four_cc("ctyp"), 0));
         },
         true},
    };
    return table;
}

OSErr code_for(Kind kind) {
    switch (kind) {
    case Kind::movie: return invalidMovie;
    case Kind::track: return invalidTrack;
    case Kind::media: return invalidMedia;
    case Kind::user_data: return paramErr;
    }
    return noErr;
}

class HandleValidation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QtsLibrary::get().error, "");
        QtsLibrary::get().fault_reset();
        ASSERT_EQ(write_frame_movie(dir.file("frames.mov"), make_frames(16, 16, {60, 60, 60})), noErr);
        FSSpec spec{};
        std::string path = dir.file("frames.mov");
        qt::NativePathNameToFSSpec(path.data(), &spec, 0);
        ASSERT_EQ(qt::OpenMovieFile(&spec, &file, 1), noErr);
        live = load();
        stale_handles = load();
        qt::DisposeMovie(stale_handles.movie);
        ASSERT_NE(live.track, nullptr);
    }

    void TearDown() override {
        qt::DisposeMovie(live.movie);
        qt::CloseMovieFile(file);
        const medialayer_live_counts counts = QtsLibrary::get().live_counts();
        EXPECT_EQ(counts.movies + counts.open_files + counts.pointers, 0);
    }

    struct Parts {
        Movie movie = nullptr;
        Track track = nullptr;
        Media media = nullptr;
        UserData user_data = nullptr;
        void* of(Kind kind) const {
            switch (kind) {
            case Kind::movie: return movie;
            case Kind::track: return track;
            case Kind::media: return media;
            case Kind::user_data: return user_data;
            }
            return nullptr;
        }
    };

    Parts parts_of(Movie movie) {
        Parts p{movie};
        p.track = qt::GetMovieIndTrackType(movie, 1, four_cc("vide"), 1);
        p.media = qt::GetTrackMedia(p.track);
        p.user_data = qt::GetMovieUserData(movie);
        return p;
    }

    Parts load() {
        Movie movie = nullptr;
        EXPECT_EQ(qt::NewMovieFromFile(&movie, file, nullptr, nullptr, 0, nullptr), noErr);
        return parts_of(movie);
    }

    void* bad_handle(Kind kind, Bad bad) {
        static char foreign_block[64] = {};
        switch (bad) {
        case Bad::stale: return stale_handles.of(kind);
        case Bad::foreign: return foreign_block;
        case Bad::wrong_kind: return live.of(kind == Kind::movie ? Kind::track : Kind::movie);
        case Bad::null: return nullptr;
        }
        return nullptr;
    }

    ScratchDir dir;
    std::int16_t file = 0;
    Parts live;
    Parts stale_handles;
};

TEST_F(HandleValidation, EveryRoutineRefusesBadHandles) {
    for (const Routine& routine : routines()) {
        for (Bad bad : {Bad::stale, Bad::foreign, Bad::wrong_kind, Bad::null}) {
            SCOPED_TRACE(std::string(routine.name) + " with bad handle kind " + std::to_string(int(bad)));
            qt::ClearMoviesStickyError();
            const std::intptr_t result = routine.call(bad_handle(routine.kind, bad));
            const OSErr expected = code_for(routine.kind);
            EXPECT_EQ(result, routine.answers_code ? std::intptr_t(expected) : 0);
            EXPECT_EQ(qt::GetMoviesStickyError(), expected);
        }
    }
    // The live movie is untouched by all of that.
    EXPECT_EQ(qt::GetMovieIndTrackType(live.movie, 1, four_cc("vide"), 1), live.track);
    EXPECT_EQ(qt::GetTrackDuration(live.track), 180);
}

TEST_F(HandleValidation, PartsOfADisposedMovieDieWithIt) {
    EXPECT_NE(stale_handles.track, nullptr);
    EXPECT_NE(stale_handles.media, nullptr);
    EXPECT_NE(stale_handles.user_data, nullptr);
    // Handles are not reused: a new movie never takes the disposed one's handles.
    const Parts again = load();
    for (Kind kind : {Kind::movie, Kind::track, Kind::media, Kind::user_data})
        EXPECT_NE(again.of(kind), stale_handles.of(kind));
    qt::DisposeMovie(again.movie);
}

TEST_F(HandleValidation, UnknownSelectorsAnswerUnimplemented) {
    for (std::uint32_t selector : {0u, 0x20FFFu, 0x150000u, 0x1D0000u, 0xFFFFFFFFu}) {
        qt::ClearMoviesStickyError();
        EXPECT_EQ(QtsLibrary::get().dispatcher(selector, 1, 2, 3), unimpErr) << selector;
        EXPECT_EQ(qt::GetMoviesStickyError(), unimpErr);
    }
    EXPECT_EQ(qt::GetTrackDuration(live.track), 180);
}

TEST_F(HandleValidation, ComponentEntriesAnswerAnErrorAndDoNothing) {
    for (const char* name : {"_CallComponent", "_CallComponentFunctionWithStorage"}) {
        auto entry = reinterpret_cast<std::intptr_t (*)(...)>(find_export(name));
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_LT(entry(), 0) << name;
    }
}

TEST_F(HandleValidation, BlocksAreZeroFilledAndOnlyOursAreFreed) {
    qt::ClearMoviesStickyError();
    Ptr block = qt::NewPtr(48);
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 48; ++i) EXPECT_EQ(block[i], 0) << i;
    EXPECT_EQ(QtsLibrary::get().live_counts().pointers, 1);

    char foreign[8] = {};
    qt::DisposePtr(foreign);
    EXPECT_EQ(qt::GetMoviesStickyError(), memWZErr);
    EXPECT_EQ(QtsLibrary::get().live_counts().pointers, 1);

    qt::DisposePtr(block);
    EXPECT_EQ(QtsLibrary::get().live_counts().pointers, 0);
    qt::ClearMoviesStickyError();
    qt::DisposePtr(block);
    EXPECT_EQ(qt::GetMoviesStickyError(), memWZErr);

    qt::ClearMoviesStickyError();
    EXPECT_EQ(qt::NewPtr(-1), nullptr);
    EXPECT_EQ(qt::GetMoviesStickyError(), memFullErr);
    EXPECT_EQ(QtsLibrary::get().live_counts().pointers, 0);
}

TEST_F(HandleValidation, ReferenceQueryPromisesTheLibraryStaysLoaded) {
    EXPECT_NE(qt::qtml_reference_query() & 0xFF, 0);
}

}  // namespace
}  // namespace qts_test
