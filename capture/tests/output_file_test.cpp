// The save dialog's request, and the temporary frame-movie path derived from the choice.
#include <gtest/gtest.h>

#include <string>

#include "capture/output_file.h"
#include "capture/tests/scripted_shell.h"
#include "platform/platform.h"

namespace {

class ChooseOutputFile : public ::testing::Test {
protected:
    ScriptedShell os;
    char user_path[platform::max_path];
    char temporary_path[platform::max_path];

    void SetUp() override {
        // Leftovers that must not survive a cancel.
        std::strcpy(user_path, "stale");
        std::strcpy(temporary_path, "stale");
    }
};

TEST_F(ChooseOutputFile, AsksForAnObjectMovieWithOverwritePrompt) {
    os.chosen_path.clear();
    choose_output_file(user_path, temporary_path);
    ASSERT_EQ(os.dialog_requests.size(), 1u);
    const platform::save_dialog_request& request = os.dialog_requests[0];
    EXPECT_EQ(os.dialog_filter, std::string("QTVR Object file\0*.mov\0\0", 24));
    EXPECT_EQ(request.flags, 2u);
    EXPECT_STREQ(request.default_extension, "mov");
    EXPECT_EQ(request.file, user_path);
    EXPECT_EQ(request.file_size, 260u);
    EXPECT_EQ(request.title_size, 260u);
}

TEST_F(ChooseOutputFile, ACancelLeavesBothPathsEmpty) {
    os.chosen_path.clear();
    EXPECT_EQ(choose_output_file(user_path, temporary_path), OutputChoice::cancelled);
    EXPECT_STREQ(user_path, "");
    EXPECT_STREQ(temporary_path, "");
}

TEST_F(ChooseOutputFile, RecordsIntoTheTemporaryDirectoryUnderTheOutputsName) {
    os.chosen_path = "/data/out/vase.mov";
    os.chosen_title = "vase.mov";
    os.temporary_directory = "/scratch/";
    EXPECT_EQ(choose_output_file(user_path, temporary_path), OutputChoice::chosen);
    EXPECT_STREQ(user_path, "/data/out/vase.mov");
    EXPECT_STREQ(temporary_path, "/scratch/vase.mov");
}

TEST_F(ChooseOutputFile, RefusesATemporaryPathThatWouldNotFit) {
    os.chosen_path = "/data/out/vase.mov";
    os.chosen_title = "vase.mov";
    os.temporary_directory = "/" + std::string(250, 't') + "/";  // 252 + 8 characters: no room for the zero
    EXPECT_EQ(choose_output_file(user_path, temporary_path), OutputChoice::refused);
    EXPECT_STREQ(user_path, "");
    EXPECT_STREQ(temporary_path, "");

    os.temporary_directory = "/" + std::string(300, 't') + "/";  // longer than the directory buffer itself
    EXPECT_EQ(choose_output_file(user_path, temporary_path), OutputChoice::refused);
}

TEST(MakeTemporaryPath, FitsExactlyAtTheLimit) {
    const std::string directory = "/" + std::string(249, 'd') + "/";  // 251 characters
    char path[platform::max_path];
    EXPECT_TRUE(make_temporary_path(directory.c_str(), "vase.mov", "/out/vase.mov", path));  // 259 + zero
    EXPECT_EQ(std::string(path), directory + "vase.mov");
    EXPECT_FALSE(make_temporary_path(directory.c_str(), "vase1.mov", "/out/vase1.mov", path));
}

TEST(MakeTemporaryPath, SavingIntoTheTemporaryDirectoryGetsAFreeNameOfItsOwn) {
    ScriptedShell os;
    char path[platform::max_path];
    ASSERT_TRUE(make_temporary_path("/tmp/", "vase.mov", "/tmp/vase.mov", path));
    EXPECT_STREQ(path, "/tmp/vase~1.mov");

    *os.files = {"/tmp/vase~1.mov", "/tmp/vase~2.mov"};
    ASSERT_TRUE(make_temporary_path("/tmp/", "vase.mov", "/tmp/vase.mov", path));
    EXPECT_STREQ(path, "/tmp/vase~3.mov");

    ASSERT_TRUE(make_temporary_path("/tmp/", "notes", "/tmp/notes", path));
    EXPECT_STREQ(path, "/tmp/notes~1");
}

// The frame movie is deleted at the end: it must never be recorded over a file.
TEST(MakeTemporaryPath, PassesOverAnExistingFileAndTheOutputUnderAnySpelling) {
    ScriptedShell os;
    char path[platform::max_path];
    // Another program's file (or the user's own) already there.
    *os.files = {"/tmp/vase.mov"};
    ASSERT_TRUE(make_temporary_path("/tmp/", "vase.mov", "/out/vase.mov", path));
    EXPECT_STREQ(path, "/tmp/vase~1.mov");
    // The temporary folder in its short form, the output saved into its long form.
    os.files->clear();
    os.aliases = {{"/TMP~1/vase.mov", "/Temporary Files/vase.mov"}};
    ASSERT_TRUE(make_temporary_path("/TMP~1/", "vase.mov", "/Temporary Files/vase.mov", path));
    EXPECT_STREQ(path, "/TMP~1/vase~1.mov");
}

TEST(MakeTemporaryPath, RefusesAnEmptyTitle) {
    char path[platform::max_path];
    EXPECT_FALSE(make_temporary_path("/tmp/", "", "/out/x.mov", path));
}

}  // namespace
