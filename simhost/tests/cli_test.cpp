// The orbivane-host command as users run it: bad input is refused before
// anything is rendered, a run reports what it wrote, a stopped run keeps the
// complete rows, and an older file survives any run that writes nothing.
#include <gtest/gtest.h>

#include "test_support.h"

namespace simhost {
namespace {

using testing::quoted;
using testing::run_process;
using testing::TempFolder;

std::string host(const std::string& arguments) {
    return quoted(ORBIVANE_HOST_PATH) + " --plugin " + quoted(ORBIVANE_PLUGIN_PATH) + " " + arguments;
}

int lines_in(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

TEST(HostCommand, BadInputGetsOneSentenceAndNothingIsWritten) {
    TempFolder folder;
    const std::string out = folder.file("out.mov");
    testing::write_file(folder.file("empty.obj"), "# no faces\nv 0 0 0\n");
    struct Case {
        std::string arguments;
        const char* named;
    } cases[] = {
        {"--out " + quoted(out) + " --bogus", "--bogus"},
        {"--out " + quoted(out) + " --columns 0", "--columns"},
        {"--out " + quoted(out) + " --size 10x10", "--size"},
        {"--out " + quoted(out) + " --model " + quoted(folder.file("missing.obj")), "missing.obj"},
        {"--out " + quoted(out) + " --model " + quoted(folder.file("empty.obj")), "no faces"},
        {"--out " + quoted(folder.file("no-such-folder/out.mov")), "does not exist"},
        {"--out " + quoted(folder.path()), "is a folder"},
        {"--columns 4", "--out"},
    };
    for (const Case& c : cases) {
        const testing::ProcessResult r = run_process(host(c.arguments));
        EXPECT_NE(r.exit_code, 0) << c.arguments;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_EQ(lines_in(r.err), 1) << r.err;
        EXPECT_FALSE(testing::file_exists(out)) << c.arguments;
    }
}

TEST(HostCommand, WritesTheMovieAndSaysWhat) {
    TempFolder folder;
    const std::string out = folder.file("turn.mov");
    testing::write_file(out, "an older file");
    const testing::ProcessResult r =
        run_process(host("--out " + quoted(folder.file("turn")) + " --columns 4 --rows 3 --size 48x32 --codec raw"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.out.find(out), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("grid 4 x 3 (12 frames)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("frames 48 x 32"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
    const testing::ProbedVideo video = testing::probe_video(out);
    EXPECT_EQ(video.frames, 12);
    EXPECT_EQ(video.width, 48);
    // Nothing but the movie is left in the folder.
    EXPECT_EQ(run_process("ls -A " + quoted(folder.path())).out, "turn.mov\n");
}

TEST(HostCommand, StereoFramesAreTwiceAsWide) {
    TempFolder folder;
    const std::string out = folder.file("pair.mov");
    const testing::ProcessResult r =
        run_process(host("--out " + quoted(out) + " --columns 3 --rows 2 --size 40x30 --stereo --method cross"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.out.find("frames 80 x 30"), std::string::npos) << r.out;
    EXPECT_EQ(testing::probe_video(out).width, 80);
}

TEST(HostCommand, StoppedRunKeepsCompleteRowsOrLeavesTheOlderFileAlone) {
    TempFolder folder;
    const std::string out = folder.file("stopped.mov");
    testing::write_file(out, "an older file");
    // Stopped in the first row: nothing to keep.
    testing::ProcessResult r =
        run_process(host("--out " + quoted(out) + " --columns 4 --rows 3 --size 32x24 --abort-at 2"));
    EXPECT_EQ(r.exit_code, 130) << r.err;
    EXPECT_EQ(testing::read_file(out), "an older file");
    // Stopped in the second row: the first row is written.
    r = run_process(host("--out " + quoted(out) + " --columns 4 --rows 3 --size 32x24 --abort-at 6"));
    EXPECT_EQ(r.exit_code, 130) << r.err;
    EXPECT_NE(r.out.find("grid 4 x 1"), std::string::npos) << r.out;
    EXPECT_EQ(testing::probe_video(out).frames, 4);
    EXPECT_EQ(run_process("ls -A " + quoted(folder.path())).out, "stopped.mov\n");
}

TEST(HostCommand, RendersAnObjModelInItsMaterialColours) {
    TempFolder folder;
    testing::write_file(folder.file("tile.mtl"), "newmtl red\nKd 1 0 0\n");
    testing::write_file(folder.file("tile.obj"),
                        "mtllib tile.mtl\no Tile\nv -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\nusemtl red\nf 1 2 3 4\n");
    const std::string out = folder.file("tile.mov");
    const testing::ProcessResult r = run_process(host("--out " + quoted(out) + " --model " +
                                                      quoted(folder.file("tile.obj")) +
                                                      " --columns 1 --rows 1 --size 64x48 --codec raw"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const std::vector<Image> frames = testing::decode_video(out, 64, 48);
    ASSERT_EQ(frames.size(), 1u);
    // Filmed from straight above, the tile fills the middle of the picture in red.
    const Rgb centre = frames[0].at(32, 24);
    EXPECT_GT(centre.r, 150);
    EXPECT_LT(centre.g, 20);
    EXPECT_LT(centre.b, 20);
}

TEST(HostCommand, TraceShowsHostCallsWithReadableLabels) {
    TempFolder folder;
    const testing::ProcessResult r = run_process(
        host("--out " + quoted(folder.file("t.mov")) + " --columns 2 --rows 1 --size 32x24 --trace"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.err.find("append_item(kind=3, label=\"横分割\", id=0, unit=\"フレーム\""), std::string::npos);
    EXPECT_NE(r.err.find("renderer#"), std::string::npos);
    EXPECT_NE(r.err.find("progress: progress  1/2"), std::string::npos);
}

TEST(HostCommand, HelpHelps) {
    const testing::ProcessResult r = run_process(quoted(ORBIVANE_HOST_PATH) + " --help");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_NE(r.out.find("Usage: orbivane-host --out FILE.mov"), std::string::npos);
    EXPECT_NE(r.out.find("Examples:"), std::string::npos);
}

}  // namespace
}  // namespace simhost
