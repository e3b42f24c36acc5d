// The orbivane-host command as users run it: bad input is refused before
// anything is rendered, a run reports what it wrote, a stopped run keeps the
// complete rows, and an older file survives any run that writes nothing.
#include <gtest/gtest.h>
#include <unistd.h>

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
    const std::string face = "v 0 0 0\nv 1 0 0\nv 0 0 1\nusemtl red\nf 1 2 3\n";
    testing::write_file(folder.file("tile.obj"), "mtllib tile.mtl\n" + face);
    testing::write_file(folder.file("tile.mtl"), "newmtl red\nKd 1 0 0\n");
    testing::write_file(folder.file("nan.obj"), "v nan 0 0\n" + face);
    testing::write_file(folder.file("red.obj"), "mtllib red.mtl\n" + face);
    testing::write_file(folder.file("red.mtl"), "newmtl red\nKd 1e400 0 0\n");  // beyond a double
    testing::write_file(folder.file("endless.obj"), "mtllib endless.mtl\n" + face);
    run_process("ln -s /dev/zero " + quoted(folder.file("endless.mtl")));
    const std::string model = " --model " + quoted(folder.file("tile.obj"));
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
        {"--out /dev/null", "not a regular file"},  // and no /dev/null.mov either
        {"--out " + quoted(out) + " --model /dev/zero", "not a regular file"},
        {"--out " + quoted(out) + " --model " + quoted(folder.path()), "is a folder"},
        {"--out " + quoted(folder.file("nan.obj")) + " --model " + quoted(folder.file("nan.obj")), "not a finite"},
        {"--out " + quoted(out) + " --model " + quoted(folder.file("red.obj")), "not a finite"},
        {"--out " + quoted(out) + " --model " + quoted(folder.file("endless.obj")), "not a regular file"},
        // The run's own sources, under another spelling.
        {"--out " + quoted(folder.file("../" + folder.path().substr(folder.path().rfind('/') + 1) + "/tile.obj")) + model,
         "is the model"},
        {"--out " + quoted(folder.file("./tile.mtl")) + model, "is the material library"},
        {"--out " + quoted(folder.file(std::string(240, 'n') + ".mov")), "at most"},
    };
    for (const Case& c : cases) {
        const testing::ProcessResult r = run_process(host(c.arguments));
        EXPECT_NE(r.exit_code, 0) << c.arguments;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_EQ(lines_in(r.err), 1) << r.err;
        EXPECT_FALSE(testing::file_exists(out)) << c.arguments;
    }
    EXPECT_FALSE(testing::file_exists("/dev/null.mov"));
    EXPECT_EQ(testing::read_file(folder.file("tile.mtl")), "newmtl red\nKd 1 0 0\n");
}

TEST(HostCommand, NeitherThePlugInNorItsQuickTimeLibraryBecomesTheOutput) {
    TempFolder folder;
    const std::string plugin = folder.file("Orbivane.so");
    run_process("cp " + quoted(ORBIVANE_PLUGIN_PATH) + " " + quoted(plugin));
    const std::string run = quoted(ORBIVANE_HOST_PATH) + " --columns 1 --rows 1 --size 16x16 --plugin " + quoted(plugin);
    // Checked before rendering: without its QuickTime library the plug-in writes nothing.
    testing::ProcessResult r = run_process(run + " --out " + quoted(folder.file("a.mov")));
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.err.find("QuickTime.qts"), std::string::npos) << r.err;

    const std::string library = folder.file("QuickTime.qts");
    run_process("cp " + quoted(std::string(ORBIVANE_PLUGIN_PATH).substr(0, std::string(ORBIVANE_PLUGIN_PATH).rfind('/')) +
                               "/QuickTime.qts") + " " + quoted(library));
    const std::string plugin_bytes = testing::read_file(plugin), library_bytes = testing::read_file(library);
    for (const std::string& out : {folder.file("./Orbivane.so"), folder.file("QuickTime.qts")}) {
        r = run_process(run + " --out " + quoted(out));
        EXPECT_EQ(r.exit_code, 2) << out;
        EXPECT_NE(r.err.find("choose another name"), std::string::npos) << r.err;
    }
    EXPECT_EQ(testing::read_file(plugin), plugin_bytes);
    EXPECT_EQ(testing::read_file(library), library_bytes);
    EXPECT_EQ(run_process(run + " --out " + quoted(folder.file("a.mov"))).exit_code, 0);
}

TEST(HostCommand, AReplacedFileKeepsItsPermissionsAndAReadOnlyOneIsLeftAsCpWould) {
    TempFolder folder;
    const std::string out = folder.file("private.mov");
    testing::write_file(out, "an older file");
    run_process("chmod 600 " + quoted(out));
    const std::string grid = " --columns 1 --rows 1 --size 16x16 --out ";
    ASSERT_EQ(run_process(host(grid + quoted(out))).exit_code, 0);
    EXPECT_EQ(run_process("stat -c %a " + quoted(out)).out, "600\n");

    // For a user without write permission (as root, for nobody).
    const std::string locked = folder.file("locked.mov");
    testing::write_file(locked, "an older file");
    run_process("chmod 444 " + quoted(locked) + " && chmod 777 " + quoted(folder.path()));
    const std::string as_user = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups env " : "";
    const testing::ProcessResult r =
        run_process(as_user + "TMPDIR=" + quoted(folder.path()) + " " + host(grid + quoted(locked)));
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
    EXPECT_EQ(testing::read_file(locked), "an older file");
}

TEST(HostCommand, NoWorkingFolderOutlivesAStopAKillOrAHangUp) {
    TempFolder folder, temporary;
    const std::string environment = "TMPDIR=" + quoted(temporary.path()) + " ";
    // Left by a run killed outright: the process named in them is gone.
    const std::string pid = run_process("sh -c 'echo $$'").out;  // a process that has ended
    const std::string dead = pid.substr(0, pid.size() - 1);
    for (const std::string& left : {temporary.file("orbivane-host-" + dead + "-abcdef"), folder.file(".orbivane-" + dead + "-ghijkl")})
        run_process("mkdir " + quoted(left) + " && touch " + quoted(left + "/frames.mov"));
    ASSERT_EQ(run_process(environment + host("--columns 1 --rows 1 --size 16x16 --out " + quoted(folder.file("a.mov")))).exit_code, 0);
    EXPECT_EQ(run_process("ls -A " + quoted(folder.path())).out, "a.mov\n");
    EXPECT_EQ(run_process("ls -A " + quoted(temporary.path())).out, "");

    // A hang-up stops like Ctrl-C; a second Ctrl-C ends the run at once, cleaning up all the same.
    const std::string long_run = environment + host("--columns 360 --rows 181 --size 16x16 --out " + quoted(folder.file("b.mov")));
    for (const char* signals : {"kill -HUP $p", "kill -INT $p; kill -INT $p"}) {
        run_process("sh -c " + quoted(long_run + " & p=$!; sleep 1; " + signals + "; wait $p"));
        EXPECT_EQ(run_process("ls -A " + quoted(temporary.path())).out, "") << signals;
        EXPECT_EQ(run_process("ls -A " + quoted(folder.path()) + " | grep orbivane").out, "") << signals;
    }
}

TEST(HostCommand, ModelLinesTheReaderPassesOverAreNamedByNumber) {
    TempFolder folder;
    testing::write_file(folder.file("odd.obj"), "v 0 0 0\nv 1 0 0\nwhat is this\nv 0 0 1\nf 1 2 3\n");
    const testing::ProcessResult r = run_process(host("--columns 1 --rows 1 --size 16x16 --out " +
                                                      quoted(folder.file("odd.mov")) + " --model " +
                                                      quoted(folder.file("odd.obj"))));
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.err.find("line 3 of"), std::string::npos) << r.err;
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

TEST(HostCommand, RendersAnObjModelInItsMaterialColoursOnTheBackgroundAsked) {
    TempFolder folder;
    testing::write_file(folder.file("tile.mtl"), "newmtl red\nKd 1 0 0\n");
    testing::write_file(folder.file("tile.obj"),
                        "mtllib tile.mtl\no Tile\nv -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\nusemtl red\nf 1 2 3 4\n");
    const std::string out = folder.file("tile.mov");
    for (const auto& [flag, background] : {std::pair{"", Rgb{38, 42, 52}}, std::pair{" --background white", Rgb{255, 255, 255}},
                                           std::pair{" --background=#102030", Rgb{16, 32, 48}}}) {
        const testing::ProcessResult r = run_process(host("--out " + quoted(out) + " --model " +
                                                          quoted(folder.file("tile.obj")) +
                                                          " --columns 1 --rows 1 --size 64x48 --codec raw" + flag));
        ASSERT_EQ(r.exit_code, 0) << r.err;
        const std::vector<Image> frames = testing::decode_video(out, 64, 48);
        ASSERT_EQ(frames.size(), 1u);
        // Filmed from straight above, the tile fills the middle of the picture in red.
        const Rgb centre = frames[0].at(32, 24);
        EXPECT_GT(centre.r, 150);
        EXPECT_LT(centre.g, 20);
        EXPECT_LT(centre.b, 20);
        EXPECT_EQ(frames[0].at(0, 0), background) << flag;
    }
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
    EXPECT_EQ(run_process(quoted(ORBIVANE_HOST_PATH) + " --version").out, "orbivane-host 1.0\n");
}

}  // namespace
}  // namespace simhost
