// Code page 932 labels shown as UTF-8, and the command's file handling on
// Windows: paths, the output checks, working folders, replacing the output.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

#include "commandkit/output_file.h"
#include "commandkit/output_policy.h"
#include "simhost/command_line/cli_support.h"
#include "simhost/command_line/command_line.h"
#include "simhost/host_objects/cp932_text.h"
#include "simhost/win32/win32_scratch_folders.h"

namespace simhost {
namespace {

TEST(Cp932Text, LabelsConvertAndBadBytesStayVisible) {
    const struct {
        const char* cp932;
        const char* utf8;
    } cases[] = {
        {"Orbivane", "Orbivane"},
        {"QTVR\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67", "QTVR\u30AA\u30D6\u30B8\u30A7\u30AF\u30C8"},
        {"\x93\x78", "\u5EA6"},                  // the parallax unit
        {"\xB1", "\uFF71"},                      // a half-width katakana, one byte
        {"\x81\x20x", "\\x81 x"},                // a lead byte whose follower is not a trail byte
        {"ab\x83", "ab\\x83"},                   // a lead byte cut off at the end
    };
    for (const auto& c : cases) EXPECT_EQ(utf8_from_cp932(c.cp932), c.utf8) << c.utf8;
}

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class Win32Files : public ::testing::Test {
protected:
    void SetUp() override { root = std::make_unique<ScratchDirectory>(temp_parent(), "win32-files-test-"); }
    std::unique_ptr<ScratchDirectory> root;
};

TEST_F(Win32Files, PathsComeBackAbsoluteWithForwardSlashes) {
    const std::string absolute = absolute_path("sub\\dir/../vase.mov");
    EXPECT_EQ(absolute.find('\\'), std::string::npos) << absolute;
    EXPECT_EQ(absolute.substr(1, 2), ":/") << absolute;
    EXPECT_EQ(absolute.substr(absolute.size() - 9), "/vase.mov") << absolute;
    EXPECT_EQ(root->path().find('\\'), std::string::npos);
    EXPECT_EQ(executable_directory().find('\\'), std::string::npos);
    EXPECT_TRUE(is_regular_file(executable_directory() + "/simhost_win32_tests.exe"));
}

TEST_F(Win32Files, TheOutputCheckNamesWhatIsWrong) {
    const std::string folder = root->path();
    write_file(folder + "/plain.txt", "x");
    const struct {
        std::string path;
        const char* complaint;  // null: accepted
    } cases[] = {
        {folder + "/vase.mov", nullptr},
        {folder, "is a folder"},
        {folder + "/missing/vase.mov", "does not exist"},
        {folder + "/plain.txt/vase.mov", "is not a folder"},
        {"NUL", "is a device"},
    };
    for (const auto& c : cases) {
        if (!c.complaint) {
            EXPECT_NO_THROW(commandkit::check_output("the movie", c.path)) << c.path;
            continue;
        }
        try {
            commandkit::check_output("the movie", c.path);
            ADD_FAILURE() << c.path << " was accepted";
        } catch (const usage_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.complaint), std::string::npos) << e.what();
        }
    }
    // The check leaves nothing behind in the folder it probed.
    EXPECT_FALSE(is_regular_file(folder + "/.orbivane-write-check-" + std::to_string(GetCurrentProcessId())));
}

TEST_F(Win32Files, TheFinishedMovieReplacesTheOutputInOneStep) {
    const std::string source = root->path() + "/new.mov", target = root->path() + "/old.mov";
    write_file(source, "new movie");
    write_file(target, "old movie");
    ASSERT_NO_THROW(commandkit::put_in_place(source, target));
    EXPECT_EQ(read_all(target), "new movie");
    EXPECT_FALSE(is_regular_file(source));
    EXPECT_EQ(file_size(target), std::optional<std::uint64_t>(9));
    EXPECT_THROW(commandkit::put_in_place(source, target), commandkit::output_error);
}

TEST_F(Win32Files, WorkingFoldersGoWithTheirFilesAndTheTemporaryFolderFollowsThem) {
    const std::string previous_temp = temp_parent();
    std::string kept, abandoned;
    {
        ScratchDirectory work(root->path(), "work-");
        kept = work.path();
        write_file(kept + "/.frames.mov.part", "partial");
        set_temp_directory(kept);
        char temp[MAX_PATH + 1] = {};
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        std::string expected = kept;
        for (char& c : expected)
            if (c == '/') c = '\\';
        EXPECT_EQ(std::string(temp), expected + "\\") << "the plug-in's GetTempPathA";
    }
    set_temp_directory(previous_temp);
    EXPECT_EQ(GetFileAttributesA(kept.c_str()), INVALID_FILE_ATTRIBUTES);

    // The last-resort exit removes folders whose owners never got to.
    auto left = std::make_unique<ScratchDirectory>(root->path(), "left-");
    abandoned = left->path();
    write_file(abandoned + "/frames.mov", "x");
    remove_live_scratch_directories();
    EXPECT_EQ(GetFileAttributesA(abandoned.c_str()), INVALID_FILE_ATTRIBUTES);
    left.reset();  // its owner coming back later finds nothing to do
}

}  // namespace
}  // namespace simhost
