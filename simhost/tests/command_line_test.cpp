// The command line: every flag read, every bad value refused with a
// sentence that names it.
#include <gtest/gtest.h>

#include "simhost/command_line/command_line.h"

namespace simhost {
namespace {

HostCommandLine parse(std::vector<std::string> args) { return parse_command_line(args); }

TEST(CommandLine, ReadsEveryFlagInBothSpellings) {
    const HostCommandLine c = parse({"--columns", "36", "--rows=7", "--upper-hemisphere", "--light-follows",
                                     "--stereo", "--method", "cross", "--parallax", "6.5", "--out", "a.mov",
                                     "--model", "m.obj", "--size", "640x480", "--codec", "raw", "--trace",
                                     "--plugin", "p.so", "--abort-at", "5", "--background", "white"});
    EXPECT_EQ(c.answers.columns, 36);
    EXPECT_EQ(c.answers.rows, 7);
    EXPECT_EQ(c.answers.upper_hemisphere, true);
    EXPECT_EQ(c.answers.light_follows, true);
    EXPECT_EQ(c.answers.stereo, true);
    EXPECT_EQ(c.answers.method, 1);
    EXPECT_EQ(c.answers.parallax, 6.5f);
    EXPECT_EQ(c.out, "a.mov");
    EXPECT_EQ(c.model, "m.obj");
    EXPECT_EQ(c.size.width, 640);
    EXPECT_EQ(c.size.height, 480);
    EXPECT_EQ(c.codec, FrameCodec::raw);
    EXPECT_TRUE(c.trace);
    EXPECT_EQ(c.plugin, "p.so");
    EXPECT_EQ(c.abort_at, 5);
    EXPECT_EQ(c.background, (Rgb{255, 255, 255}));
    EXPECT_EQ(parse({"--out", "a", "--background", "#FF8000"}).background, (Rgb{255, 128, 0}));
    EXPECT_EQ(parse({"--out", "a", "--background", "Black"}).background, (Rgb{0, 0, 0}));
}

TEST(CommandLine, LeavesUnsetAnswersToTheDialog) {
    const HostCommandLine c = parse({"--out", "a.mov"});
    EXPECT_FALSE(c.answers.columns || c.answers.rows || c.answers.stereo || c.answers.parallax);
    EXPECT_EQ(c.size.width, 320);
    EXPECT_EQ(c.codec, FrameCodec::jpeg);
    EXPECT_EQ(c.background, (Rgb{38, 42, 52}));
    EXPECT_TRUE(parse({"--help"}).help);  // no --out needed to ask for help
    EXPECT_TRUE(c.warnings.empty());
}

TEST(CommandLine, WarnsOfStereoFlagsWithoutStereo) {
    const HostCommandLine c = parse({"--out", "a.mov", "--method", "cross", "--parallax", "6"});
    ASSERT_EQ(c.warnings.size(), 2u);
    EXPECT_EQ(c.warnings[0], "--method does nothing without --stereo");
    EXPECT_TRUE(parse({"--out", "a.mov", "--stereo", "--method", "cross", "--parallax", "6"}).warnings.empty());
}

TEST(CommandLine, RefusesBadInputNamingIt) {
    struct Case {
        std::vector<std::string> args;
        const char* named;
    } cases[] = {
        {{"--out", "a.mov", "--frobnicate"}, "--frobnicate"},
        {{"--out", "a.mov", "--columns", "0"}, "--columns"},
        {{"--out", "a.mov", "--columns", "361"}, "--columns"},
        {{"--out", "a.mov", "--columns", "12x"}, "--columns"},
        {{"--out", "a.mov", "--rows", "-1"}, "--rows"},
        {{"--out", "a.mov", "--parallax", "nan"}, "--parallax"},
        {{"--out", "a.mov", "--parallax", "46"}, "--parallax"},
        {{"--out", "a.mov", "--method", "sideways"}, "--method"},
        {{"--out", "a.mov", "--size", "640"}, "--size"},
        {{"--out", "a.mov", "--size", "8x8"}, "--size"},
        {{"--out", "a.mov", "--codec", "png"}, "--codec"},
        {{"--out", "a.mov", "--abort-at", "0"}, "--abort-at"},
        {{"--out", "a.mov", "--stereo=yes"}, "--stereo"},
        {{"--out"}, "--out"},
        {{"--columns", "4"}, "--out"},
        {{"a.mov"}, "a.mov"},
        {{"--out", "a.mov", "--columns", "4", "--columns=5"}, "--columns"},
        {{"--out", "a.mov", "--stereo", "--stereo"}, "--stereo"},
        {{"--out", "a.mov", "--out", "b.mov"}, "--out"},
        {{"--out", "a.mov", "--model"}, "--model"},
        {{"--out", "a.mov", "--background", "#12345"}, "--background"},
        {{"--out", "a.mov", "--background", "chartreuse-ish"}, "--background"},
    };
    for (const Case& c : cases) {
        try {
            parse(c.args);
            ADD_FAILURE() << "accepted " << c.named;
        } catch (const usage_error& e) {
            const std::string sentence = e.what();
            EXPECT_NE(sentence.find(c.named), std::string::npos) << sentence;
            EXPECT_EQ(sentence.find('\n'), std::string::npos) << sentence;
        }
    }
}

TEST(CommandLine, HelpNamesEveryUserFlagAndNoTestingOne) {
    const std::string help = help_text();
    for (const char* flag : {"--columns", "--rows", "--upper-hemisphere", "--light-follows", "--stereo", "--method",
                             "--parallax", "--out", "--model", "--size", "--background", "--codec", "--trace", "--plugin", "--help",
                             "--version"})
        EXPECT_NE(help.find(flag), std::string::npos) << flag;
    EXPECT_EQ(help.find("--abort-at"), std::string::npos);
    EXPECT_EQ(help.find("--interrupt-at-end"), std::string::npos);
    EXPECT_TRUE(parse_command_line({"--version"}).version);
}

}  // namespace
}  // namespace simhost
