// The one file layer's answers for what the file system really says: each
// situation made on disk, each operation's code through the OS's one table.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "file_io.h"
#include "test_files.h"

namespace medialayer {
namespace {

using namespace medialayer::testing;

OSErr open_for_reading(const std::string& path) {
    MovieFile file;
    return MovieFile::open_read(path, file);
}

TEST(FileLayer, EachSituationGivesOneCode) {
    ScratchDir dir("file-layer");
    write_bytes(dir.file("file"), {1, 2, 3});
    std::filesystem::create_directory(dir.file("folder"));
    const std::string too_long(300, 'n');
    struct Case {
        const char* situation;
        std::function<OSErr()> operation;
        OSErr expected;
    };
    const Case cases[] = {
        {"open a missing file", [&] { return open_for_reading(dir.file("absent")); }, fnfErr},
        {"open in a missing folder", [&] { return open_for_reading(dir.file("no/absent")); }, fnfErr},
        {"open under a file", [&] { return open_for_reading(dir.file("file/absent")); }, fnfErr},
        {"open a name too long", [&] { return open_for_reading(dir.file(too_long)); }, bdNamErr},
        {"open a folder", [&] { return open_for_reading(dir.file("folder")); }, permErr},
        {"create over a file", [&] { return create_empty_file(dir.file("file")); }, dupFNErr},
        {"create in a missing folder", [&] { return create_empty_file(dir.file("no/new")); }, dirNFErr},
        {"create under a file", [&] { return create_empty_file(dir.file("file/new")); }, dirNFErr},
        {"check a folder", [&] { return check_access(dir.file("folder"), false); }, fnfErr},
        {"check under a file", [&] { return check_access(dir.file("file/absent"), false); }, fnfErr},
        {"remove a folder", [&] { return remove_file(dir.file("folder")); }, fnfErr},
        {"remove a missing file", [&] { return remove_file(dir.file("absent")); }, fnfErr},
        {"remove under a file", [&] { return remove_file(dir.file("file/absent")); }, fnfErr},
        {"replace from a missing file", [&] { return replace_file(dir.file("absent"), dir.file("file")); }, fnfErr},
    };
    for (const Case& c : cases) EXPECT_EQ(c.operation(), c.expected) << c.situation;
    // Nothing above changed what was there.
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"file", "folder"}));
    EXPECT_EQ(read_bytes(dir.file("file")), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(remove_file(dir.file("file")), noErr);
}

}  // namespace
}  // namespace medialayer
