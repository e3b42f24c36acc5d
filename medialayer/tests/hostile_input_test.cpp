// Damaged and hostile movie files: each gives an error code, never a crash, an
// out-of-bounds read or an allocation the file's bytes do not justify. Run
// under the sanitizer build these cases also prove the reads stay in bounds.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "movie_model.h"
#include "test_files.h"

namespace medialayer {
namespace {

using namespace medialayer::testing;

const std::vector<std::string> stbl = {"moov", "trak", "mdia", "minf", "stbl"};

std::vector<std::string> in_stbl(const char* table) {
    auto path = stbl;
    path.push_back(table);
    return path;
}

// Offset of the payload of the atom at `path`.
std::size_t body(const std::vector<std::uint8_t>& b, const std::vector<std::string>& path) {
    std::size_t at = find_atom(b, path);
    if (at == std::string::npos) throw std::runtime_error("test movie lacks " + path.back());
    return at + 8;
}

void rename_atom(std::vector<std::uint8_t>& b, const std::vector<std::string>& path, const char* type) {
    std::size_t at = find_atom(b, path);
    for (int i = 0; i < 4; ++i) b[at + 4 + i] = std::uint8_t(type[i]);
}

// Opens the movie and reads every sample; returns the first error.
OSErr open_and_read_all(const std::string& path) {
    std::unique_ptr<MovieReader> reader;
    if (OSErr err = MovieReader::open(path, reader)) return err;
    for (std::size_t t = 0; t < reader->tracks().size(); ++t)
        for (std::uint32_t i = 0; i < reader->tracks()[t].sample_count; ++i) {
            std::vector<std::uint8_t> bytes;
            std::uint32_t duration;
            if (OSErr err = reader->read_sample(t, i, bytes, duration)) return err;
        }
    return noErr;
}

class HostileInput : public ::testing::Test {
protected:
    void SetUp() override {
        write_raw_movie(dir.file("good.mov"), 8, 8, 3);
        good = read_bytes(dir.file("good.mov"));
        ASSERT_EQ(open_and_read_all(dir.file("good.mov")), noErr);
    }
    // A fresh file per case: rewriting one file in place is slow on some file systems.
    OSErr load(const std::vector<std::uint8_t>& bytes) {
        std::string path = dir.file("bad" + std::to_string(++cases_) + ".mov");
        write_bytes(path, bytes);
        OSErr err = open_and_read_all(path);
        std::remove(path.c_str());
        return err;
    }
    int cases_ = 0;
    ScratchDir dir{"hostile"};
    std::vector<std::uint8_t> good;
};

struct Damage {
    const char* what;
    void (*apply)(std::vector<std::uint8_t>&);
    OSErr expected;
};

const Damage damages[] = {
    {"movie atom runs past the end of the file",
     [](auto& b) { put32(b, find_atom(b, {"moov"}), get32(b, find_atom(b, {"moov"})) + 100); }, invalidMovie},
    {"child runs past its parent", [](auto& b) { put32(b, find_atom(b, {"moov", "trak", "tkhd"}), 0x7FFFFFFF); },
     invalidMovie},
    {"atom size below its header", [](auto& b) { put32(b, find_atom(b, {"moov", "trak", "tkhd"}), 4); }, invalidMovie},
    {"64-bit atom size below its header",
     [](auto& b) {
         std::size_t at = find_atom(b, {"moov", "trak", "tkhd"});
         put32(b, at, 1);
         put32(b, at + 8, 0);
         put32(b, at + 12, 8);
     },
     invalidMovie},
    {"no movie atom", [](auto& b) { rename_atom(b, {"moov"}, "free"); }, invalidMovie},
    {"no movie header", [](auto& b) { rename_atom(b, {"moov", "mvhd"}, "junk"); }, invalidMovie},
    {"movie header of an unknown version", [](auto& b) { b[body(b, {"moov", "mvhd"})] = 2; }, invalidMovie},
    {"movie time scale zero", [](auto& b) { put32(b, body(b, {"moov", "mvhd"}) + 12, 0); }, invalidMovie},
    {"media time scale zero", [](auto& b) { put32(b, body(b, {"moov", "trak", "mdia", "mdhd"}) + 12, 0); },
     invalidMovie},
    {"track id zero", [](auto& b) { put32(b, body(b, {"moov", "trak", "tkhd"}) + 12, 0); }, invalidMovie},
    {"no sample table", [](auto& b) { rename_atom(b, stbl, "junk"); }, invalidMovie},
    {"size table count beyond its bytes",
     [](auto& b) {
         std::size_t at = body(b, in_stbl("stsz"));
         put32(b, at + 4, 0);
         put32(b, at + 8, 0x7FFFFFFF);
     },
     invalidMovie},
    {"uniform size count beyond any file", [](auto& b) { put32(b, body(b, in_stbl("stsz")) + 8, 0x40000000); },
     memFullErr},
    {"uniform size count beyond this file", [](auto& b) { put32(b, body(b, in_stbl("stsz")) + 8, 5000); },
     invalidMovie},
    {"time table count beyond its bytes", [](auto& b) { put32(b, body(b, in_stbl("stts")) + 4, 0x10000000); },
     invalidMovie},
    {"time table disagrees with the size table",
     [](auto& b) { put32(b, body(b, in_stbl("stts")) + 8, get32(b, body(b, in_stbl("stts")) + 8) + 1); },
     invalidMovie},
    {"huge sample count in the time table", [](auto& b) { put32(b, body(b, in_stbl("stts")) + 8, 0xFFFFFFFF); },
     invalidMovie},
    {"chunk offset past the end of the file", [](auto& b) { put32(b, body(b, in_stbl("stco")) + 8, 0xFFFFFF00); },
     invalidMovie},
    {"chunk whose samples run past the end of the file",
     [](auto& b) { put32(b, body(b, in_stbl("stco")) + 8, std::uint32_t(b.size() - 10)); }, invalidMovie},
    {"chunk offset count beyond its bytes", [](auto& b) { put32(b, body(b, in_stbl("stco")) + 4, 0x20000000); },
     invalidMovie},
    {"no chunk offsets", [](auto& b) { put32(b, body(b, in_stbl("stco")) + 4, 0); }, invalidMovie},
    {"sample-to-chunk first chunk zero", [](auto& b) { put32(b, body(b, in_stbl("stsc")) + 8, 0); }, invalidMovie},
    {"sample-to-chunk zero samples per chunk", [](auto& b) { put32(b, body(b, in_stbl("stsc")) + 12, 0); },
     invalidMovie},
    {"sample-to-chunk names a missing description", [](auto& b) { put32(b, body(b, in_stbl("stsc")) + 16, 9); },
     invalidMovie},
    {"sample-to-chunk count beyond its bytes", [](auto& b) { put32(b, body(b, in_stbl("stsc")) + 4, 0x30000000); },
     invalidMovie},
    {"description count beyond its bytes", [](auto& b) { put32(b, body(b, in_stbl("stsd")) + 4, 0x01000000); },
     invalidMovie},
    {"description entry larger than its list", [](auto& b) { put32(b, body(b, in_stbl("stsd")) + 8, 0x7FFF0000); },
     invalidMovie},
    {"image description cut short", [](auto& b) { put32(b, body(b, in_stbl("stsd")) + 8, 40); },
     badImageDescription},
    {"description names data reference 0",
     [](auto& b) {
         std::size_t at = body(b, in_stbl("stsd")) + 8;
         b[at + 14] = 0, b[at + 15] = 0;
     },
     badDataRefIndex},
    {"description names a missing data reference", [](auto& b) { b[body(b, in_stbl("stsd")) + 8 + 15] = 7; },
     badDataRefIndex},
    {"data reference count beyond its bytes",
     [](auto& b) { put32(b, body(b, {"moov", "trak", "mdia", "minf", "dinf", "dref"}) + 4, 0x10000000); },
     invalidMovie},
    {"external data reference to nothing",
     [](auto& b) { b[body(b, {"moov", "trak", "mdia", "minf", "dinf", "dref"}) + 8 + 11] = 0; },
     couldNotResolveDataRef},
};

TEST_F(HostileInput, EachDamageGivesItsError) {
    for (const auto& d : damages) {
        auto bytes = good;
        d.apply(bytes);
        EXPECT_EQ(load(bytes), d.expected) << d.what;
    }
}

TEST_F(HostileInput, EveryTruncationIsRefused) {
    // The movie atom ends the file, so every cut damages it.
    for (std::size_t n = 0; n < good.size(); ++n) {
        auto bytes = std::vector<std::uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(n));
        OSErr err = load(bytes);
        ASSERT_NE(err, noErr) << "cut at " << n;
        ASSERT_LT(err, 0) << "cut at " << n;
    }
}

TEST_F(HostileInput, MissingAndEmptyFiles) {
    std::unique_ptr<MovieReader> reader;
    EXPECT_EQ(MovieReader::open(dir.file("absent.mov"), reader), fnfErr);
    EXPECT_EQ(reader, nullptr);
    EXPECT_EQ(load({}), invalidMovie);
    EXPECT_EQ(load({0, 0, 0, 1, 'm', 'o', 'o', 'v'}), invalidMovie);
}

// A movie atom holding 20000 containers, each inside the one before.
std::vector<std::uint8_t> deeply_nested_movie() {
    std::vector<std::uint8_t> nested;
    const std::size_t depth = 20000;
    for (std::size_t i = 0; i < depth; ++i) {
        std::uint32_t size = std::uint32_t(8 * (depth - i));
        const char* type = i == 0 ? "moov" : (i % 2 ? "trak" : "udta");
        for (int k = 0; k < 4; ++k) nested.push_back(std::uint8_t(size >> (24 - 8 * k)));
        nested.insert(nested.end(), type, type + 4);
    }
    return nested;
}

TEST_F(HostileInput, DeeplyNestedAtomsAreRefused) { EXPECT_EQ(load(deeply_nested_movie()), invalidMovie); }

TEST_F(HostileInput, TheAtomLayoutStopsAtItsDepthLimitAndRefusesOversizedChildren) {
    std::vector<AtomLayout> atoms;
    write_bytes(dir.file("nested.mov"), deeply_nested_movie());
    EXPECT_EQ(read_atom_layout(dir.file("nested.mov"), atoms), noErr);
    ASSERT_EQ(atoms.size(), 17u);  // the movie atom and 16 levels inside it
    EXPECT_EQ(atoms.back().depth, 16u);
    EXPECT_EQ(atoms.back().offset, 16u * 8);
    auto bytes = good;
    damages[1].apply(bytes);  // a child runs past its parent
    write_bytes(dir.file("oversized.mov"), bytes);
    EXPECT_EQ(read_atom_layout(dir.file("oversized.mov"), atoms), invalidMovie);
}

TEST_F(HostileInput, RandomDamageInTheMovieAtomNeverEscapes) {
    std::size_t moov = find_atom(good, {"moov"});
    ASSERT_NE(moov, std::string::npos);
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> where(moov, good.size() - 1);
    std::uniform_int_distribution<int> value(0, 255), count(1, 4);
    int refused = 0;
    for (int round = 0; round < 1500; ++round) {
        auto bytes = good;
        for (int k = count(random); k > 0; --k) bytes[where(random)] = std::uint8_t(value(random));
        OSErr err = load(bytes);
        ASSERT_LE(err, 0);
        if (err) ++refused;
    }
    EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace medialayer
