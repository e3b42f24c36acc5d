// Fails each call of the writer's path in turn. A failed release leaves its
// object alive on purpose, so this runs in a process of its own and counts
// from where it started.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "medialayer/movie_api.h"
#include "qts_library.h"
#include "test_files.h"
#include "writer_calls.h"
#include "writer_path_fixture.h"

namespace qts_test {
namespace {

using WriterPathFaultSweep = WriterPathTest;

// The routine that fails does nothing: the path stops or carries on as the
// writer does, and afterwards the output is either the older file untouched
// or the complete new movie, no temporary remains, and only an object whose
// own release was the failed call stays alive.
TEST_F(WriterPathFaultSweep, EveryCallFailingInTurn) {
    std::vector<std::uint32_t> sequence;
    call_log = &sequence;
    ASSERT_EQ(assemble_reference_movie(intermediate, source, sample_record()), noErr);
    ASSERT_EQ(flatten_reference_movie(intermediate, output), noErr);
    call_log = nullptr;
    ASSERT_TRUE(output_is_complete_movie());
    ASSERT_GT(sequence.size(), 30u);

    for (std::size_t n = 1; n <= sequence.size(); ++n) {
        const std::uint32_t selector = sequence[n - 1];
        SCOPED_TRACE("call " + std::to_string(n) + ", selector " + std::to_string(selector));
        write_bytes(dir.file("object.mov"), older_output);
        std::filesystem::remove(dir.file("object.mot"));
        const medialayer_live_counts before = library.live_counts();

        library.fault_on_call(std::uint32_t(n), dskFulErr);
        const OSErr assembled = assemble_reference_movie(intermediate, source, sample_record());
        bool flattened = false;
        flatten_reference_movie(intermediate, output, &flattened);
        library.fault_reset();

        namespace sel = qt_selector;
        if (selector == sel::CreateMovieFile || selector == sel::AddMovieResource || selector == sel::SetUserDataItem) {
            EXPECT_EQ(assembled, dskFulErr);
        }
        if (flattened) {
            EXPECT_TRUE(output_is_complete_movie());
        } else {
            EXPECT_EQ(read_bytes(dir.file("object.mov")), older_output);
        }

        std::vector<std::string> expected_entries{"frames.mov", "object.mov"};
        if (selector == sel::DeleteMovieFile) expected_entries = {"frames.mov", "object.mot", "object.mov"};
        EXPECT_EQ(dir.entries(), expected_entries);

        const medialayer_live_counts after = library.live_counts();
        EXPECT_EQ(after.movies - before.movies, selector == sel::DisposeMovie ? 1 : 0);
        EXPECT_EQ(after.open_files - before.open_files, selector == sel::CloseMovieFile ? 1 : 0);
        EXPECT_EQ(after.pointers - before.pointers, selector == sel::DisposePtr ? 1 : 0);
    }
}

}  // namespace
}  // namespace qts_test
