// The QuickTime.qts on this machine, found by the loader and used through the plug-in's own
// call stubs. Where it is found is arranged around this program (the environment on Linux,
// the Wine prefix's registry on Windows); the program sets nothing itself.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "medialayer/movie_api.h"
#include "medialayer/test_control.h"
#include "platform/tests/test_platform.h"
#include "quicktime/qt_binding.h"
#include "quicktime/qt_calls.h"
#include "quicktime/qt_loader.h"

namespace {

std::string temp_movie_path() {
    char folder[261] = {};
    platform::native_platform().temp_directory(sizeof folder - 1, folder);
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::string(folder) + "orbivane-qt-" + std::to_string(stamp) + ".mov";
}

bool file_exists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

// Owning holders, so a failed assertion still closes and disposes what was opened.
struct movie_file {
    std::int16_t ref = 0;
    ~movie_file() {
        if (ref) CloseMovieFile(ref);
    }
    OSErr close() {
        const OSErr result = CloseMovieFile(ref);
        ref = 0;
        return result;
    }
};
struct movie_handle {
    Movie movie = nullptr;
    ~movie_handle() {
        if (movie) DisposeMovie(movie);
    }
};

medialayer_live_counts live_counts() {
    medialayer_live_counts counts{-1, -1, -1};
    platform::Platform& os = platform::native_platform();
    using counts_fn = void (*)(medialayer_live_counts*);
    if (auto entry = os.find_entry(os.loaded_module("QuickTime.qts"), "medialayer_get_live_counts"))
        reinterpret_cast<counts_fn>(entry)(&counts);
    return counts;
}

class RealQuickTime : public ::testing::Test {
protected:
    void SetUp() override {
        if (platform::native_platform().loaded_module("QuickTime.qts"))
            GTEST_SKIP() << "QuickTime.qts is already loaded in this process: each case needs a fresh one";
        qt_reset_binding_for_tests();
    }
    void TearDown() override { qt_reset_binding_for_tests(); }
    TestPlatform os;  // the real machine, with a record of what the loader asked
};

TEST_F(RealQuickTime, TheFirstCallBindsAndAMovieFileRoundTrips) {
    std::string path = temp_movie_path();
    FSSpec spec{};
    const OSErr made = NativePathNameToFSSpec(path.data(), &spec, 0);
    EXPECT_TRUE(made == noErr || made == fnfErr) << made;

    // That first call found, loaded, bound and version-checked QuickTime.qts.
    ASSERT_EQ(qt_bind_hook, nullptr);
    EXPECT_TRUE(qt_version_passed);
    EXPECT_EQ(qt_module, nullptr) << "the reference is handed back: the library stays loaded without it";
    ASSERT_EQ(os.loads.size(), 1u);
    if (const char* folder = std::getenv("ORBIVANE_TEST_QTS_FOLDER")) {
        EXPECT_EQ(os.loads[0], std::string(folder) + "QuickTime.qts");
    }

    {
        movie_file file;
        movie_handle movie;
        ASSERT_EQ(CreateMovieFile(&spec, four_cc("TVOD"), -2, std::int32_t(0x90000000u), &file.ref, &movie.movie),
                  noErr);
        ASSERT_NE(file.ref, 0);
        ASSERT_NE(movie.movie, nullptr);
        std::int16_t resource_id = -1;
        EXPECT_EQ(AddMovieResource(movie.movie, file.ref, &resource_id, nullptr), noErr);
        EXPECT_EQ(file.close(), noErr);
    }
    ASSERT_TRUE(file_exists(path));

    {
        movie_file file;
        movie_handle movie;
        ASSERT_EQ(OpenMovieFile(&spec, &file.ref, 1), noErr);
        EXPECT_EQ(NewMovieFromFile(&movie.movie, file.ref, nullptr, nullptr, 0, nullptr), noErr);
        EXPECT_NE(movie.movie, nullptr);
    }
    // What was written is a movie file in its own right.
    std::unique_ptr<medialayer::MovieReader> reader;
    EXPECT_EQ(medialayer::MovieReader::open(path, reader), 0);
    reader.reset();

    EXPECT_EQ(DeleteMovieFile(&spec), noErr);
    EXPECT_FALSE(file_exists(path));
    const medialayer_live_counts counts = live_counts();
    EXPECT_EQ(counts.movies, 0);
    EXPECT_EQ(counts.open_files, 0);
}

TEST_F(RealQuickTime, WithoutQuickTimeEveryCallAnswersNotBound) {
    EXPECT_EQ(GetMoviesStickyError(), qtNotBoundErr);
    const int reads_after_first = os.system_dir_reads;
    EXPECT_GT(reads_after_first, 0);
    EXPECT_EQ(GetMoviesStickyError(), qtNotBoundErr);
    EXPECT_EQ(os.system_dir_reads, 2 * reads_after_first) << "the second call searches again";
    EXPECT_EQ(qt_bind_hook, &qt_lazy_bind);
    for (const std::string& path : os.loads) EXPECT_NE(path, "QuickTime.qts");
    EXPECT_EQ(NewPtr(48), nullptr);
}

}  // namespace
