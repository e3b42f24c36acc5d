// Whether two spellings name one file, and replacing a file in one step, on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

class PlatformFiles : public testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               (std::string("orbivane-platform-") + testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "Folder" / "inner");
        write(root / "Folder" / "scene.mov", "older");
        write(root / "Folder" / "other.mov", "other");
    }
    void TearDown() override { fs::remove_all(root); }

    static void write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // root + relative, relative spelt as given (Windows takes '/' too).
    std::string at(const std::string& relative) const { return root.string() + separator + relative; }
    bool same(const std::string& a, const std::string& b) { return os.same_file(a.c_str(), b.c_str()); }

#ifdef _WIN32
    static constexpr const char* separator = "\\";
#else
    static constexpr const char* separator = "/";
#endif
    platform::Platform& os = platform::native_platform();
    fs::path root;
};

struct Spellings {
    const char* a;
    const char* b;
    bool one_file;
};

TEST_F(PlatformFiles, TwoSpellingsOfOneFileAreOneFile) {
    const Spellings cases[] = {
        {"Folder/scene.mov", "Folder/inner/../scene.mov", true},
        {"Folder/scene.mov", "Folder//./scene.mov", true},
        {"Folder/scene.mov", "Folder/other.mov", false},
        {"Folder", "Folder/inner/..", true},
        // Not there yet: one file once made when the folders are one folder.
        {"Folder/new.mov", "Folder/inner/../new.mov", true},
        {"Folder/new.mov", "Folder/newer.mov", false},
        {"Folder/new.mov", "Folder/scene.mov", false},
        {"Missing/new.mov", "Missing/new.mov", true},
#ifdef _WIN32
        {"Folder\\scene.mov", "fOLDER/SCENE.MOV", true},
        {"Folder\\new.mov", "folder/NEW.mov", true},
#else
        {"Folder/scene.mov", "folder/scene.mov", false},
#endif
    };
    for (const Spellings& c : cases) {
        EXPECT_EQ(same(at(c.a), at(c.b)), c.one_file) << c.a << " and " << c.b;
    }
}

#ifdef _WIN32
// GetTempPathA may answer a short 8.3 form while the save dialog answers the long one.
TEST_F(PlatformFiles, AShortNameIsTheSameFileAsItsLongName) {
    fs::create_directories(root / "A long folder name");
    write(root / "A long folder name" / "a long file name.mov", "x");
    char short_form[MAX_PATH] = {};
    const std::string long_form = at("A long folder name\\a long file name.mov");
    const DWORD length = GetShortPathNameA(long_form.c_str(), short_form, sizeof short_form);
    if (length == 0 || long_form == short_form) GTEST_SKIP() << "this file system keeps no short names";
    EXPECT_TRUE(same(short_form, long_form)) << short_form;
    const std::string short_folder = std::string(short_form).substr(0, std::string(short_form).rfind('\\'));
    EXPECT_TRUE(same(short_folder + "\\not yet.mov", at("A long folder name\\not yet.mov"))) << short_folder;
}
#else
TEST_F(PlatformFiles, ALinkedFolderOrAHardLinkIsTheSameFile) {
    fs::create_directory_symlink(root / "Folder", root / "link");
    fs::create_hard_link(root / "Folder" / "scene.mov", root / "hard.mov");
    EXPECT_TRUE(same(at("link/scene.mov"), at("Folder/scene.mov")));
    EXPECT_TRUE(same(at("hard.mov"), at("Folder/scene.mov")));
    EXPECT_TRUE(same(at("link/new.mov"), at("Folder/new.mov")));
}
#endif

TEST_F(PlatformFiles, ReplaceTakesTheNewFileInOneStep) {
    write(root / "Folder" / "scene.mo@", "newer");
    ASSERT_TRUE(os.replace_file(at("Folder/scene.mo@").c_str(), at("Folder/scene.mov").c_str()));
    EXPECT_EQ(read(root / "Folder" / "scene.mov"), "newer");
    EXPECT_FALSE(fs::exists(root / "Folder" / "scene.mo@"));
    // A folder in the way is not replaced, nor is a file that is not there.
    write(root / "Folder" / "scene.mo@", "newest");
    EXPECT_FALSE(os.replace_file(at("Folder/scene.mo@").c_str(), at("Folder/inner").c_str()));
    EXPECT_TRUE(fs::is_directory(root / "Folder" / "inner"));
    EXPECT_FALSE(os.replace_file(at("Folder/gone.mov").c_str(), at("Folder/scene.mov").c_str()));
    EXPECT_EQ(read(root / "Folder" / "scene.mov"), "newer");
}

}  // namespace
