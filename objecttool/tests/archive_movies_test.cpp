// Object movies as archives hold them, written by other programs: FFmpeg's
// encoders for the old codecs wrapped in QuickTime VR 2.x or 1.0 records by
// qtvr_movie.py (written from the format notes), and libquicktime's own
// QuickTime VR 2 objects. Every frame is a flat colour that names its index,
// so each view (state, row, column, frame) is checked to show the right one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "ffmpeg_tools.h"
#include "objecttool/contact_sheet.h"
#include "objecttool/frame_decoder.h"
#include "objecttool/inspect.h"
#include "objecttool/movie_source.h"
#include "objecttool/object_movie.h"
#include "objecttool/page_config.h"
#include "objecttool/tool_error.h"
#include "objecttool/web_batch.h"
#include "test_files.h"

namespace objecttool {
namespace {

using medialayer::testing::ScratchDir;
using medialayer::testing::shell_quoted;

// qtvr_movie.py's view_colour.
std::array<int, 3> view_colour(int index) {
    const int levels[] = {0, 85, 170, 255};
    return {levels[index % 4], levels[index / 4 % 4], index / 16 % 2 ? 255 : 0};
}

std::string read_text(const std::string& path) {
    const auto bytes = medialayer::testing::read_bytes(path);
    return {bytes.begin(), bytes.end()};
}

void write_movie(const std::string& path, const std::string& args) {
    std::string output;
    const std::string command = "python3 " + shell_quoted(ORBIVANE_QTVR_MOVIE_SCRIPT) + " " + shell_quoted(path) + " " + args;
    ASSERT_EQ(medialayer::testing::run_command(command + " 2>&1", output), 0) << command << "\n" << output;
}

// Every frame of every view decodes to the colour of its index (centre pixel,
// nearest of the 32 colours, within what lossy codecs change); or, given
// FFmpeg's own decoding of the image track, to the picture it decodes there.
void expect_views_show_their_frames(ObjectMovie& movie, const std::string& what, const std::string* ffmpeg_rgb = nullptr) {
    movie.require_object_grid();
    const ViewGrid& g = movie.grid();
    auto decoder = FrameDecoder::for_movie(movie);
    for (int s = 0; s < g.states; ++s)
        for (int r = 0; r < g.rows; ++r)
            for (int c = 0; c < g.columns; ++c)
                for (int k = 0; k < g.frames_per_view; ++k) {
                    const int index = ((s * g.rows + r) * g.columns + c) * g.frames_per_view + k;
                    const RgbImage image = decoder->decode(g.sample(s, r, c, k), 1);
                    if (ffmpeg_rgb) {
                        const std::size_t size = image.rgb.size();
                        EXPECT_EQ(std::string(image.rgb.begin(), image.rgb.end()), ffmpeg_rgb->substr(index * size, size))
                            << what << ": view " << index;
                        continue;
                    }
                    const std::uint8_t* p = image.row(image.height / 2) + image.width / 2 * 3;
                    int nearest = -1, best = 1 << 30;
                    for (int i = 0; i < 32; ++i) {
                        const auto want = view_colour(i);
                        const int d = (p[0] - want[0]) * (p[0] - want[0]) + (p[1] - want[1]) * (p[1] - want[1]) +
                                      (p[2] - want[2]) * (p[2] - want[2]);
                        if (d < best) best = d, nearest = i;
                    }
                    EXPECT_EQ(nearest, index % 32) << what << ": state " << s << " row " << r << " column " << c
                                                   << " frame " << k << " shows " << int(p[0]) << "," << int(p[1])
                                                   << "," << int(p[2]);
                    EXPECT_LT(best, 3 * 48 * 48) << what;
                }
}

TEST(ArchiveMovies, EveryCodecAndContainerShowsEachViewsFrame) {
    if (!medialayer::testing::ffmpeg_available()) GTEST_SKIP() << "ffmpeg is not on PATH";
    struct Case {
        const char* args;
        int version, states, frames_per_view;
        bool ffmpeg_colours = false;  // FFmpeg 5.1's rpza encoder swaps colours: compare with its own decoding
    } cases[] = {
        {"--codec cinepak --decoy", 2, 1, 1},
        {"--codec mjpeg --decoy --no-image-reference", 2, 1, 1},  // the first video track is the hot spots
        {"--codec svq1 --columns 3 --rows 2 --states 2 --mouse-down-state 2 --frames-per-view 2", 2, 2, 2},
        {"--codec smc --compress", 2, 1, 1},
        {"--codec qtrle --wrapper macbinary", 2, 1, 1},
        {"--codec mjpeg --wrapper appledouble --columns 3", 2, 1, 1},
        {"--codec rpza --width 128 --height 96", 2, 1, 1, true},
        {"--codec cinepak --version 1 --frames-per-view 2 --min-tilt -30 --max-tilt 30", 1, 1, 2},
    };
    ScratchDir dir("objecttool-archive");
    for (const Case& c : cases) {
        const std::string path = dir.file(std::string(c.args).find("appledouble") != std::string::npos ? "._movie.mov" : "movie.mov");
        write_movie(path, c.args);
        ObjectMovie movie(path);
        EXPECT_EQ(movie.object_version(), c.version) << c.args;
        std::string rgb;
        if (c.ffmpeg_colours) {
            ASSERT_EQ(medialayer::testing::run_command("ffmpeg -loglevel error -i " + shell_quoted(path) +
                                                           " -f rawvideo -pix_fmt rgb24 -", rgb), 0);
        }
        expect_views_show_their_frames(movie, c.args, c.ffmpeg_colours ? &rgb : nullptr);
        EXPECT_EQ(movie.grid().states, c.states) << c.args;
        EXPECT_EQ(movie.grid().frames_per_view, c.frames_per_view) << c.args;
        EXPECT_EQ(movie.grid().animate, c.frames_per_view > 1) << c.args;
    }
}

TEST(ArchiveMovies, LibquicktimeObjectMoviesAreRead) {
    std::string output;
    if (!medialayer::testing::ffmpeg_available() || medialayer::testing::run_command("command -v lqt_transcode", output) != 0)
        GTEST_SKIP() << "ffmpeg or lqt_transcode (quicktime-utils) is missing";
    ScratchDir dir("objecttool-lqt");
    write_movie(dir.file("frames.mov"), "--codec mjpeg --version 1 --columns 4 --rows 3");
    for (const char* codec : {"jpeg", "png", "raw"}) {
        const std::string out = dir.file(std::string("lqt-") + codec + ".mov");
        ASSERT_EQ(medialayer::testing::run_command("lqt_transcode -qtvr obj -qtvr_columns 4 -qtvr_rows 3 -vc " +
                                                       std::string(codec) + " " + shell_quoted(dir.file("frames.mov")) +
                                                       " " + shell_quoted(out) + " 2>&1",
                                                   output),
                  0)
            << output;
        ObjectMovie movie(out);
        EXPECT_EQ(movie.object_version(), 2) << codec;
        expect_views_show_their_frames(movie, codec);
        const Inspection in = inspect_movie(out);
        ASSERT_TRUE(in.object_info);
        EXPECT_EQ(in.object_info->columns, 4u);
        EXPECT_EQ(nlohmann::json::parse(inspection_json(in))["views"]["rows"], 3);
    }
}

TEST(ArchiveMovies, TheRecordsSettingsReachThePageConfig) {
    if (!medialayer::testing::ffmpeg_available()) GTEST_SKIP() << "ffmpeg is not on PATH";
    ScratchDir dir("objecttool-config");
    write_movie(dir.file("m.mov"), "--codec mjpeg --columns 3 --rows 2 --states 2 --default-state 2 --mouse-down-state 1 "
                                   "--frames-per-view 2 --frame-rate 12.5 --min-pan -60 --max-pan 60 --default-pan 55 "
                                   "--min-tilt -20 --max-tilt 40 --default-tilt 40 --wrap-tilt --reverse-pan --swap-axes");
    ObjectMovie movie(dir.file("m.mov"));
    movie.require_object_grid();
    PageConfigOptions options;
    options.frame_sizes.assign(movie.page_samples().size(), 1);
    const auto config = page_config(movie, options);
    EXPECT_EQ(config["pans"], nlohmann::ordered_json({-60.0, 0.0, 60.0}));
    EXPECT_EQ(config["tilts"], nlohmann::ordered_json({-20.0, 40.0}));
    EXPECT_EQ(config["column"], 2);
    EXPECT_EQ(config["row"], 1);
    EXPECT_EQ(config["wrap"], false);
    EXPECT_EQ(config["wrapTilt"], true);
    EXPECT_EQ(config["reversePan"], true);
    EXPECT_EQ(config["reverseTilt"], false);
    EXPECT_EQ(config["swapAxes"], true);
    EXPECT_EQ(config["framesPerView"], 2);
    EXPECT_EQ(config["animationStep"], 0.08);
    EXPECT_EQ(config["animate"], true);
    EXPECT_EQ(config["states"].size(), 2u);
    EXPECT_EQ(config["defaultState"], 1);
    EXPECT_EQ(config["mouseDownState"], 0);
    EXPECT_EQ(config["frames"].size(), 2u * 2 * 3 * 2);
}

TEST(ArchiveMovies, InspectGivesTheRecordAndWarnsWhereTheTrackDisagreesAndSheetHasASectionPerState) {
    if (!medialayer::testing::ffmpeg_available()) GTEST_SKIP() << "ffmpeg is not on PATH";
    ScratchDir dir("objecttool-inspect-2x");
    // Views claimed twice as long as the frames: the track holds half the grid.
    write_movie(dir.file("long.mov"), "--codec mjpeg --columns 2 --rows 2 --view-duration 2000 --compress");
    const Inspection in = inspect_movie(dir.file("long.mov"));
    EXPECT_TRUE(in.compressed_header);
    const auto doc = nlohmann::json::parse(inspection_json(in));
    EXPECT_EQ(doc["version"], 2);
    EXPECT_EQ(doc["object_info"]["view_duration"], 2000);
    EXPECT_EQ(doc["views"]["rows"], 1);  // the complete rows the track holds
    bool warned = false;
    for (const auto& w : in.warnings) warned = warned || w.find("image track lasts 4.000 s, but the record") != std::string::npos;
    EXPECT_TRUE(warned) << inspection_text(in);

    write_movie(dir.file("states.mov"), "--codec qtrle --columns 2 --rows 1 --states 2 --mouse-down-state 2");
    ObjectMovie movie(dir.file("states.mov"));
    const RgbImage sheet = render_contact_sheet(movie, {.shrink = 1});
    // Two sections of one row, the second showing view state 2's frames (2 and 3).
    for (int column = 0; column < 2; ++column) {
        const int x = 6 + column * (64 + 4) + 32, y = sheet.height - 6 - 9 - 2 - 24;
        const std::uint8_t* p = sheet.row(y) + x * 3;
        const auto want = view_colour(2 + column);
        EXPECT_EQ((std::array<int, 3>{p[0], p[1], p[2]}), want) << column;
    }
    EXPECT_EQ(sheet.height, 2 * 6 + 2 * (48 + 9 + 2) + 16);  // margins, two sections, the gap between
}

TEST(ArchiveMovies, WhatIsNotAnObjectMovieSaysWhatItIs) {
    if (!medialayer::testing::ffmpeg_available()) GTEST_SKIP() << "ffmpeg is not on PATH";
    struct Case {
        const char* name;
        const char* args;
        const char* sentence;
    } cases[] = {
        {"ref.mov", "--reference", "is a reference movie: it holds no frames itself but points to \"vase-fast.mov\" and \"vase-slow.mov\""},
        {"pano.mov", "--panorama", "is a panorama, not an object movie."},
        {"._lone.mov", "--wrapper appledouble", "is an AppleDouble file holding a movie whose frames are in"},
    };
    ScratchDir dir("objecttool-not-object");
    for (const Case& c : cases) {
        write_movie(dir.file(c.name), c.args);
        std::filesystem::remove(dir.file("lone.mov"));  // the AppleDouble file's data fork
        try {
            ObjectMovie movie(dir.file(c.name));
            ADD_FAILURE() << c.name << " was opened";
        } catch (const tool_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.sentence), std::string::npos) << e.what();
        }
    }
}

TEST(ArchiveMovies, WebOverAFolderWritesEveryPageAndAnIndexAndNamesTheFailures) {
    if (!medialayer::testing::ffmpeg_available()) GTEST_SKIP() << "ffmpeg is not on PATH";
    ScratchDir dir("objecttool-batch");
    const std::filesystem::path in = dir.path() / "in", out = dir.path() / "out";
    std::filesystem::create_directories(in);
    write_movie((in / "a vase.mov").string(), "--codec cinepak --columns 3 --rows 2");
    write_movie((in / "b.mov").string(), "--codec smc --states 2 --columns 2 --rows 1");
    write_movie((in / "._c.mov").string(), "--codec qtrle --wrapper appledouble --columns 2 --rows 1");  // c.mov beside it
    medialayer::testing::write_bytes((in / "d.mov").string(), {0, 0, 0, 8, 'j', 'u', 'n', 'k'});
    std::vector<std::string> reported;
    const auto entries = write_web_pages(batch_movies({in.string()}), out.string(), {},
                                         [&](const std::string& e) { reported.push_back(e); });
    ASSERT_EQ(entries.size(), 4u);  // the hidden "._c.mov" is read for c.mov, not listed itself
    EXPECT_EQ(entries[0].page, "a_vase.html");
    EXPECT_EQ(entries[1].grid, "2 \u00D7 1 views, 2 view states");
    EXPECT_EQ(entries[2].page, "c.html");
    EXPECT_TRUE(entries[3].page.empty());
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find("d.mov is damaged"), std::string::npos) << reported[0];
    const std::string index = read_text((out / "index.html").string());
    for (const char* part : {"href=\"a_vase.html\"", "href=\"b.html\"", "href=\"c.html\"", "3 &#215; 2 views",
                             "data:image/jpeg;base64,", "d.mov is damaged"})
        EXPECT_NE(index.find(part), std::string::npos) << part;
    // Each page is the single-movie page of its movie, written whole.
    ObjectMovie b((in / "b.mov").string());
    EXPECT_EQ(read_text((out / "b.html").string()), build_web_page(b, "b.mov", {}));
    std::vector<std::string> written;
    for (const auto& e : std::filesystem::directory_iterator(out)) written.push_back(e.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"a_vase.html", "b.html", "c.html", "index.html"}));
}

TEST(ArchiveMovies, CompressedHeadersAreBoundedBeforeExpanding) {
    auto cmov = [](std::uint32_t claimed, const std::vector<std::uint8_t>& stream) {
        std::vector<std::uint8_t> b;
        auto put = [&](std::uint32_t v) {
            for (int shift : {24, 16, 8, 0}) b.push_back(std::uint8_t(v >> shift));
        };
        put(12), put(0x64636F6D), put(0x7A6C6962);  // 'dcom' 'zlib'
        put(std::uint32_t(12 + stream.size())), put(0x636D7664), put(claimed);  // 'cmvd'
        for (std::uint8_t byte : stream) b.push_back(byte);
        return b;
    };
    // A stream of 9 bytes cannot expand to 4 GiB, nor past the limit, nor a damaged one at all.
    EXPECT_FALSE(expand_movie_header(cmov(0xFFFFFFF0u, std::vector<std::uint8_t>(9, 0x78)), 1 << 20, "m"));
    EXPECT_FALSE(expand_movie_header(cmov(5000, std::vector<std::uint8_t>(100, 0)), 1000, "m"));
    EXPECT_FALSE(expand_movie_header(cmov(16, {0x78, 0x9C, 0xFF, 0xFF, 0xFF}), 1 << 20, "m"));
    // zlib of "\0\0\0\x10moov" + 8 bytes: the payload comes back.
    const std::vector<std::uint8_t> moov = {0, 0, 0, 16, 'm', 'o', 'o', 'v', 1, 2, 3, 4, 5, 6, 7, 8};
    std::vector<std::uint8_t> stored = {0x78, 0x01, 0x01, 16, 0, 0xEF, 0xFF};  // one stored block
    for (std::uint8_t byte : moov) stored.push_back(byte);
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : moov) a = (a + byte) % 65521, b = (b + a) % 65521;
    for (int shift : {24, 16, 8, 0}) stored.push_back(std::uint8_t((b << 16 | a) >> shift));
    const auto payload = expand_movie_header(cmov(16, stored), 1 << 20, "m");
    ASSERT_TRUE(payload);
    EXPECT_EQ(*payload, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    try {
        auto other = cmov(16, stored);
        other[8] = 'l';  // 'llib'
        expand_movie_header(other, 1 << 20, "m.mov");
        ADD_FAILURE() << "another compressor was accepted";
    } catch (const tool_error& e) {
        EXPECT_NE(std::string(e.what()).find("'llib'"), std::string::npos);
    }
}

}  // namespace
}  // namespace objecttool
