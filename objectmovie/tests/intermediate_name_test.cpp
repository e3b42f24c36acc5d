// Choosing the intermediate file's name beside the output.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "objectmovie/intermediate_name.h"
#include "platform/tests/test_platform.h"

namespace {

FSSpec file_named(const char* name) {
    FSSpec file{};
    file.vRefNum = -3;
    file.parID = 4711;
    file.name[0] = static_cast<unsigned char>(std::strlen(name));
    std::memcpy(file.name + 1, name, std::strlen(name));
    return file;
}

std::string name_of(const FSSpec& file) {
    return std::string(reinterpret_cast<const char*>(file.name + 1), file.name[0]);
}

struct NameCase {
    const char* test_name;
    const char* output;           // file name in /out/
    std::set<std::string> taken;  // paths that already exist
    const char* intermediate;
};

const NameCase name_cases[] = {
    {"mov_becomes_mot", "scene.mov", {}, "scene.mot"},
    {"mot_becomes_mo_at", "scene.mot", {}, "scene.mo@"},
    {"any_other_last_character_becomes_t", "scene.mo@", {}, "scene.mot"},
    {"taken_name_moves_on", "scene.mov", {"/out/scene.mot"}, "scene.mo@"},
    {"every_taken_name_is_passed_over", "scene.mov", {"/out/scene.mot", "/out/scene.mo@", "/out/scene.mo0"},
     "scene.mo1"},
    {"output_itself_in_other_case_is_skipped", "SCENE.MOT", {}, "SCENE.MO@"},
    {"one_character_name", "a", {}, "t"},
};

class IntermediateName : public testing::TestWithParam<NameCase> {};

TEST_P(IntermediateName, IsAFreeNameBesideTheOutput) {
    const NameCase& c = GetParam();
    TestPlatform os;
    os.files = c.taken;
    const FSSpec output = file_named(c.output);
    FSSpec intermediate{};

    ASSERT_EQ(choose_intermediate_file(output, (std::string("/out/") + c.output).c_str(), intermediate), noErr);
    EXPECT_EQ(name_of(intermediate), c.intermediate);
    // Same volume and directory: everything but the name's last character is copied.
    FSSpec expected = output;
    expected.name[output.name[0]] = intermediate.name[output.name[0]];
    EXPECT_EQ(0, std::memcmp(&intermediate, &expected, sizeof expected));
    EXPECT_EQ(os.existence_queries.back(), std::string("/out/") + c.intermediate);
}

INSTANTIATE_TEST_SUITE_P(Cases, IntermediateName, testing::ValuesIn(name_cases),
                         [](const testing::TestParamInfo<NameCase>& info) {
                             return std::string(info.param.test_name);
                         });

TEST(IntermediateNameRefuses, AnEmptyNameOrAPathThatIsNotTheName) {
    TestPlatform os;
    os.files.emplace();
    FSSpec intermediate = file_named("untouched");
    const FSSpec expected = intermediate;
    EXPECT_EQ(choose_intermediate_file(file_named(""), "/out/", intermediate), paramErr);
    EXPECT_EQ(choose_intermediate_file(file_named("scene.mov"), "/out/scene.mpg/", intermediate), paramErr);
    EXPECT_EQ(choose_intermediate_file(file_named("scene.mov"), nullptr, intermediate), paramErr);
    EXPECT_EQ(0, std::memcmp(&intermediate, &expected, sizeof expected));
}

TEST(IntermediateNameRefuses, WhenEveryCandidateIsTaken) {
    TestPlatform os;
    os.files.emplace();
    for (int c = 1; c < 256; ++c) os.files->insert("/out/x" + std::string(1, char(c)));
    FSSpec intermediate{};
    EXPECT_EQ(choose_intermediate_file(file_named("xv"), "/out/xv", intermediate), dupFNErr);
}

}  // namespace
