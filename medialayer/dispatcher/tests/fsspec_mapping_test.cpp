// FSSpec records: filled from native paths whether or not the file exists,
// and mapped back to the same path by every file routine.
#include <gtest/gtest.h>

#include <cstring>

#include "qts_library.h"
#include "test_files.h"

namespace qts_test {
namespace {

constexpr std::int32_t no_resource_fork = 0x10000000;
constexpr std::int32_t replace_and_no_resource_fork = std::int32_t(0x90000000u);

class FileSpecs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QtsLibrary::get().error, "");
        QtsLibrary::get().fault_reset();
    }

    OSErr fill(const std::string& path, FSSpec& spec) {
        std::string text = path;
        return qt::NativePathNameToFSSpec(text.data(), &spec, 0);
    }

    // By value: the packed record's directory field is not aligned for a reference.
    static std::int32_t directory_of(const FSSpec& spec) { return spec.parID; }

    static std::string name_of(const FSSpec& spec) {
        return std::string(reinterpret_cast<const char*>(spec.name + 1), spec.name[0]);
    }

    // Creates the file a record names; where it lands shows the path the record maps to.
    OSErr create(const FSSpec& spec, std::int32_t flags) {
        std::int16_t file = 0;
        Movie movie = nullptr;
        const OSErr err = qt::CreateMovieFile(&spec, four_cc("TVOD"), -2, flags, &file, &movie);
        if (file != 0) qt::CloseMovieFile(file);
        if (movie != nullptr) qt::DisposeMovie(movie);
        return err;
    }

    ScratchDir dir;
};

TEST_F(FileSpecs, ExistingFileFillsTheRecordAndAnswersNoErr) {
    write_bytes(dir.file("present.mov"), {1, 2, 3});
    FSSpec spec{};
    EXPECT_EQ(fill(dir.file("present.mov"), spec), noErr);
    EXPECT_EQ(name_of(spec), "present.mov");
    EXPECT_NE(directory_of(spec), 0);
    EXPECT_EQ(create(spec, no_resource_fork), dupFNErr);  // the record names the file that is there
    EXPECT_EQ(read_bytes(dir.file("present.mov")), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(FileSpecs, MissingFileStillFillsTheRecord) {
    FSSpec spec{};
    EXPECT_EQ(fill(dir.file("later.mov"), spec), fnfErr);
    EXPECT_EQ(name_of(spec), "later.mov");
    ASSERT_EQ(create(spec, no_resource_fork), noErr);
    EXPECT_TRUE(file_exists(dir.file("later.mov")));
    EXPECT_EQ(qt::DeleteMovieFile(&spec), noErr);
    EXPECT_FALSE(file_exists(dir.file("later.mov")));
    EXPECT_EQ(qt::DeleteMovieFile(&spec), fnfErr);
}

TEST_F(FileSpecs, FilesOfOneDirectoryShareItsNumber) {
    FSSpec first{}, second{}, elsewhere{};
    fill(dir.file("a.mov"), first);
    fill(dir.file("b.mov"), second);
    ScratchDir other;
    fill(other.file("a.mov"), elsewhere);
    EXPECT_EQ(directory_of(first), directory_of(second));
    EXPECT_EQ(std::int16_t{first.vRefNum}, std::int16_t{second.vRefNum});
    EXPECT_NE(directory_of(first), directory_of(elsewhere));
}

TEST_F(FileSpecs, ChangedNameMapsBesideTheOriginal) {
    // The writer derives its intermediate file by changing the name's last character.
    FSSpec spec{};
    fill(dir.file("scene.mov"), spec);
    spec.name[spec.name[0]] = 't';
    ASSERT_EQ(create(spec, replace_and_no_resource_fork), noErr);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"scene.mot"});
}

TEST_F(FileSpecs, LongestNameFitsAndLongerIsRefused) {
    const std::string longest(255, 'n');
    FSSpec spec{};
    EXPECT_EQ(fill(dir.file(longest), spec), fnfErr);
    EXPECT_EQ(name_of(spec), longest);

    // Nothing is written past the 262-byte record, and the record is left naming nothing.
    unsigned char buffer[sizeof(FSSpec) + 16];
    std::memset(buffer, 0xEE, sizeof buffer);
    auto* guarded = reinterpret_cast<FSSpec*>(buffer);
    std::string too_long = dir.file(std::string(256, 'n'));
    EXPECT_EQ(qt::NativePathNameToFSSpec(too_long.data(), guarded, 0), bdNamErr);
    for (std::size_t i = sizeof(FSSpec); i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0xEE) << i;
    EXPECT_EQ(guarded->name[0], 0);
    std::int16_t file = 0;
    EXPECT_NE(qt::OpenMovieFile(guarded, &file, 1), noErr);
    EXPECT_EQ(file, 0);
}

TEST_F(FileSpecs, PathWithoutNameIsRefused) {
    FSSpec spec{};
    EXPECT_EQ(fill(dir.path(), spec), bdNamErr);
    EXPECT_EQ(qt::NativePathNameToFSSpec(nullptr, &spec, 0), paramErr);
    std::string path = dir.file("x.mov");
    EXPECT_EQ(qt::NativePathNameToFSSpec(path.data(), nullptr, 0), paramErr);
}

#ifdef _WIN32
TEST_F(FileSpecs, BothSeparatorsSplitWindowsPaths) {
    std::string forward = dir.path();
    for (char& c : forward)
        if (c == '\\') c = '/';
    FSSpec back{}, fore{};
    fill(dir.file("w.mov"), back);
    fill(forward + "w.mov", fore);
    EXPECT_EQ(name_of(back), "w.mov");
    EXPECT_EQ(name_of(fore), "w.mov");
    ASSERT_EQ(create(fore, no_resource_fork), noErr);
    EXPECT_EQ(create(back, no_resource_fork), dupFNErr);
}
#endif

struct ForeignRecord {
    const char* name;
    void (*spoil)(FSSpec&);
    OSErr expected;
};

class ForeignRecords : public FileSpecs, public ::testing::WithParamInterface<ForeignRecord> {};

TEST_P(ForeignRecords, EveryFileRoutineRefusesThem) {
    FSSpec spec{};
    fill(dir.file("f.mov"), spec);
    GetParam().spoil(spec);
    std::int16_t file = 0;
    Movie movie = nullptr;
    EXPECT_EQ(qt::CreateMovieFile(&spec, four_cc("TVOD"), -2, replace_and_no_resource_fork, &file, &movie),
              GetParam().expected);
    EXPECT_EQ(file, 0);
    EXPECT_EQ(movie, nullptr);
    EXPECT_EQ(qt::OpenMovieFile(&spec, &file, 1), GetParam().expected);
    EXPECT_EQ(qt::DeleteMovieFile(&spec), GetParam().expected);
    EXPECT_TRUE(dir.entries().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Spoiled, ForeignRecords,
    ::testing::Values(ForeignRecord{"OtherVolume", [](FSSpec& s) { s.vRefNum = 3; }, nsvErr},
                      ForeignRecord{"UnknownDirectory", [](FSSpec& s) { s.parID = 0x7FFFFFF0; }, dirNFErr},
                      ForeignRecord{"EmptyName", [](FSSpec& s) { s.name[0] = 0; }, bdNamErr},
                      ForeignRecord{"SeparatorInName", [](FSSpec& s) { s.name[1] = '/'; }, bdNamErr},
                      ForeignRecord{"ZeroInName", [](FSSpec& s) { s.name[2] = 0; }, bdNamErr}),
    [](const ::testing::TestParamInfo<ForeignRecord>& info) { return std::string(info.param.name); });

TEST_F(FileSpecs, CreateWithoutReplaceKeepsAnExistingFile) {
    write_bytes(dir.file("keep.mov"), {9, 9});
    FSSpec spec{};
    fill(dir.file("keep.mov"), spec);
    EXPECT_EQ(create(spec, no_resource_fork), dupFNErr);
    EXPECT_EQ(read_bytes(dir.file("keep.mov")), (std::vector<std::uint8_t>{9, 9}));
    EXPECT_EQ(create(spec, replace_and_no_resource_fork), noErr);
    EXPECT_TRUE(read_bytes(dir.file("keep.mov")).empty());
}

TEST_F(FileSpecs, FileReferencesAreNonZeroAndCloseOnce) {
    FSSpec spec{};
    fill(dir.file("r.mov"), spec);
    std::int16_t created = 0;
    Movie movie = nullptr;
    ASSERT_EQ(qt::CreateMovieFile(&spec, four_cc("TVOD"), -2, replace_and_no_resource_fork, &created, &movie), noErr);
    EXPECT_GT(created, 0);
    std::int16_t id = -1;
    ASSERT_EQ(qt::AddMovieResource(movie, created, &id, nullptr), noErr);

    std::int16_t read_only = 0;
    ASSERT_EQ(qt::OpenMovieFile(&spec, &read_only, 1), noErr);
    EXPECT_GT(read_only, 0);
    EXPECT_NE(read_only, created);
    EXPECT_EQ(qt::AddMovieResource(movie, read_only, &id, nullptr), wrPermErr);

    EXPECT_EQ(qt::CloseMovieFile(read_only), noErr);
    EXPECT_EQ(qt::CloseMovieFile(read_only), rfNumErr);
    EXPECT_EQ(qt::CloseMovieFile(created), noErr);
    EXPECT_EQ(qt::CloseMovieFile(0), rfNumErr);
    Movie loaded = nullptr;
    EXPECT_EQ(qt::NewMovieFromFile(&loaded, created, nullptr, nullptr, 0, nullptr), rfNumErr);
    EXPECT_EQ(loaded, nullptr);
    qt::DisposeMovie(movie);
    EXPECT_EQ(QtsLibrary::get().live_counts().open_files, 0);
}

TEST_F(FileSpecs, FileWithoutMovieIsInvalidMovie) {
    write_bytes(dir.file("plain.bin"), std::vector<std::uint8_t>(64, 0));
    FSSpec spec{};
    fill(dir.file("plain.bin"), spec);
    std::int16_t file = 0;
    ASSERT_EQ(qt::OpenMovieFile(&spec, &file, 1), noErr);
    Movie movie = reinterpret_cast<Movie>(std::uintptr_t(1));
    EXPECT_EQ(qt::NewMovieFromFile(&movie, file, nullptr, nullptr, 0, nullptr), invalidMovie);
    EXPECT_EQ(movie, nullptr);
    qt::CloseMovieFile(file);

    FSSpec missing{};
    fill(dir.file("missing.mov"), missing);
    EXPECT_EQ(qt::OpenMovieFile(&missing, &file, 1), fnfErr);
    EXPECT_EQ(file, 0);
}

}  // namespace
}  // namespace qts_test
