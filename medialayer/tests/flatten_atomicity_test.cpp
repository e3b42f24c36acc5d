// A flatten or a recording that fails part way must leave an older file at
// the target exactly as it was, and no temporary file beside it.
#include <gtest/gtest.h>

#include <cstdio>

#include "movie_model.h"
#include "test_files.h"

namespace medialayer {
namespace {

using namespace medialayer::testing;

// Makes the layer's file writes fail once `limit` bytes have gone to one file.
class WriteLimit {
public:
    WriteLimit(std::uint64_t limit, OSErr code) {
        set_write_fault_hook([=](std::uint64_t before, std::uint64_t size) {
            return before + size > limit ? code : noErr;
        });
    }
    ~WriteLimit() { set_write_fault_hook(nullptr); }
};

const std::vector<std::uint8_t> older_file = {'a', 'n', ' ', 'o', 'l', 'd', 'e', 'r', ' ', 'm', 'o', 'v', 'i', 'e'};

TEST(FlattenAtomicity, AFailureAnywhereLeavesTheOlderTargetAndNoTemporary) {
    ScratchDir dir("flatten");
    std::string source = dir.file("frames.mov"), target = dir.file("object.mov");
    // Large enough that faults land inside the sample copy.
    write_raw_movie(source, 1024, 1024, 4);
    MovieModel movie;
    ASSERT_EQ(load_movie_file(source, movie), 0);
    // A fault-free flatten elsewhere gives the size the faults cut into.
    ASSERT_EQ(flatten_movie(movie, dir.file("probe.mov")), 0);
    std::uint64_t total = read_bytes(dir.file("probe.mov")).size();
    std::remove(dir.file("probe.mov").c_str());

    struct Case {
        const char* where;
        std::uint64_t limit;
    };
    const Case cases[] = {
        {"the first write", 0},
        {"inside the movie atom", 100},
        {"early in the sample data", 4096},
        {"half way through the samples", total / 2},
        {"at the last byte", total - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        write_bytes(target, older_file);
        {
            WriteLimit limit(c.limit, -34);
            EXPECT_EQ(flatten_movie(movie, target), -34);
        }
        EXPECT_EQ(read_bytes(target), older_file);
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"frames.mov", "object.mov"}));
    }
    // And without a fault the older file is replaced.
    ASSERT_EQ(flatten_movie(movie, target), 0);
    EXPECT_EQ(top_level_atoms(target), (std::vector<std::string>{"ftyp", "moov", "free", "mdat"}));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"frames.mov", "object.mov"}));
}

TEST(FlattenAtomicity, SourcesGoneOrShortLeaveTheOlderTarget) {
    ScratchDir dir("sources");
    std::string source = dir.file("frames.mov"), target = dir.file("object.mov");
    write_raw_movie(source, 64, 64, 4);
    MovieModel movie;
    ASSERT_EQ(load_movie_file(source, movie), 0);
    write_bytes(target, older_file);

    // Cut the source short of its last samples after the movie was loaded.
    auto bytes = read_bytes(source);
    write_bytes(source, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 64 * 64 * 3 * 2));
    EXPECT_EQ(flatten_movie(movie, target), eofErr);
    EXPECT_EQ(read_bytes(target), older_file);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"frames.mov", "object.mov"}));

    std::remove(source.c_str());
    EXPECT_EQ(flatten_movie(movie, target), couldNotResolveDataRef);
    EXPECT_EQ(read_bytes(target), older_file);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"object.mov"});
}

TEST(WriterAtomicity, NothingReachesTheTargetBeforeFinish) {
    ScratchDir dir("writer-atomic");
    std::string target = dir.file("frames.mov");
    write_bytes(target, older_file);
    VideoFormat format{codec_raw, 4, 4, 24};
    auto frame = test_frame(4, 4, 0);
    {
        std::unique_ptr<MovieWriter> writer;
        ASSERT_EQ(MovieWriter::create(target, 600, format, writer), 0);
        ASSERT_EQ(writer->append_sample(frame.data(), frame.size(), 60), 0);
        EXPECT_EQ(read_bytes(target), older_file);
        // Dropped unfinished: the recording is abandoned.
    }
    EXPECT_EQ(read_bytes(target), older_file);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"frames.mov"});

    {
        std::unique_ptr<MovieWriter> writer;
        ASSERT_EQ(MovieWriter::create(target, 600, format, writer), 0);
        ASSERT_EQ(writer->append_sample(frame.data(), frame.size(), 60), 0);
        {
            WriteLimit limit(100, -34);  // the movie atom at the end no longer fits
            EXPECT_EQ(writer->finish(), -34);
        }
        EXPECT_EQ(writer->append_sample(frame.data(), frame.size(), 60), paramErr);
        EXPECT_EQ(writer->finish(), paramErr);
    }
    EXPECT_EQ(read_bytes(target), older_file);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"frames.mov"});
}

TEST(WriterAtomicity, RefusesFormatsItCannotWrite) {
    ScratchDir dir("writer-formats");
    struct Case {
        const char* what;
        std::int32_t scale;
        VideoFormat format;
    };
    const Case cases[] = {
        {"zero time scale", 0, {codec_raw, 4, 4, 24}},
        {"zero width", 600, {codec_raw, 0, 4, 24}},
        {"zero height", 600, {codec_jpeg, 4, 0, 24}},
        {"depth other than 24", 600, {codec_raw, 4, 4, 32}},
        {"unknown codec", 600, {fourcc("avc1"), 4, 4, 24}},
    };
    for (const auto& c : cases) {
        std::unique_ptr<MovieWriter> writer;
        EXPECT_EQ(MovieWriter::create(dir.file("x.mov"), c.scale, c.format, writer), paramErr) << c.what;
        EXPECT_EQ(writer, nullptr);
    }
    std::unique_ptr<MovieWriter> writer;
    EXPECT_EQ(MovieWriter::create(dir.file("no/such/dir/x.mov"), 600, {codec_raw, 4, 4, 24}, writer), fnfErr);
    EXPECT_TRUE(dir.entries().empty());
}

}  // namespace
}  // namespace medialayer
