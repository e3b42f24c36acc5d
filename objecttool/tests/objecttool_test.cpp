// The object-movie tool's library on movies the tests build: the record, what
// inspect reports and warns about, the contact sheet's layout, frames through
// FFmpeg, and outputs that are written whole or not at all.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ffmpeg_tools.h"
#include "object_movies.h"
#include "objecttool/contact_sheet.h"
#include "objecttool/frame_decoder.h"
#include "objecttool/inspect.h"
#include "objecttool/jpeg_frames.h"
#include "objecttool/tool_error.h"
#include "objecttool/web_page.h"
#include "test_files.h"

namespace objecttool {
namespace {

using namespace objecttool::testing;
using medialayer::testing::ScratchDir;

bool has_warning(const Inspection& in, const std::string& words) {
    for (const auto& w : in.warnings)
        if (w.find(words) != std::string::npos) return true;
    return false;
}

TEST(ObjectRecord, FieldsAndInitialViewOfTheCapturesRecord) {
    // The record a 24 x 13 capture writes, initial view at frame 25 (pan 15, tilt 80.833336 truncated).
    std::vector<std::uint8_t> bytes = navg_record(24, 13);
    const std::uint8_t pan15[] = {0x00, 0x0F, 0x00, 0x00}, tilt[] = {0x00, 0x50, 0xD5, 0x55};
    std::copy(std::begin(pan15), std::end(pan15), bytes.begin() + 36);
    std::copy(std::begin(tilt), std::end(tilt), bytes.begin() + 40);
    const auto r = ObjectRecord::parse(bytes);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->columns, 24);
    EXPECT_EQ(r->rows, 13);
    EXPECT_EQ(r->frame_duration, 60);
    EXPECT_EQ(r->end_tilt, -20.0);
    EXPECT_TRUE(r->pan_wraps());
    EXPECT_EQ(r->initial_column(), 1);
    EXPECT_EQ(r->initial_row(), 1);
    EXPECT_EQ(r->pan_at(23), 345.0);
    EXPECT_EQ(r->tilt_at(12), -20.0);
    EXPECT_FALSE(ObjectRecord::parse(std::vector<std::uint8_t>(47)));

    struct Case { double pan, tilt; int column, row; } cases[] = {
        {0, 90, 0, 0}, {345, -20, 23, 12}, {359, 90, 0, 0}, {-15, 90, 23, 0}, {7.4, 200, 0, 0}, {7.6, -90, 1, 12}};
    for (const Case& c : cases) {
        const auto v = ObjectRecord::parse(navg_record(24, 13, c.pan, c.tilt));
        EXPECT_EQ(v->initial_column(), c.column) << c.pan;
        EXPECT_EQ(v->initial_row(), c.row) << c.tilt;
    }
}

TEST(Inspect, ACleanObjectMovieHasNoWarningsAndItsJsonNamesEverything) {
    ScratchDir dir("objecttool-inspect");
    write_object_movie(dir.file("clean.mov"), {.columns = 4, .rows = 3});
    const Inspection in = inspect_movie(dir.file("clean.mov"));
    EXPECT_TRUE(in.warnings.empty()) << in.warnings.front();

    const auto doc = nlohmann::json::parse(inspection_json(in));
    EXPECT_EQ(doc["record"]["columns"], 4);
    EXPECT_EQ(doc["record"]["rows"], 3);
    EXPECT_EQ(doc["controller_type"], "stna");
    EXPECT_EQ(doc["video"]["codec"], "raw ");
    EXPECT_EQ(doc["video"]["samples"], 12);
    EXPECT_EQ(doc["video"]["sample_bytes"], 12 * 32 * 24 * 3);
    std::vector<std::string> top;
    for (const auto& a : doc["atoms"])
        if (a["depth"] == 0) top.push_back(a["type"]);
    EXPECT_EQ(top, (std::vector<std::string>{"ftyp", "moov", "mdat"}));
    // Offsets and sizes agree with the file: the last atom ends where the file does.
    const auto& last = doc["atoms"].back();
    EXPECT_EQ(last["offset"].get<std::uint64_t>() + last["size"].get<std::uint64_t>(), doc["size"].get<std::uint64_t>());
    EXPECT_NE(inspection_text(in).find("4 columns x 3 rows"), std::string::npos);
}

TEST(Inspect, WarnsOfWhatObjectPlayersRefuseOrMisread) {
    ScratchDir dir("objecttool-inspect");
    const std::string path = dir.file("odd.mov");
    write_object_movie(path, {.columns = 4, .rows = 3, .frames = 10, .controller = "abcd", .flatten = false});
    // The recording's 'wide' + 32-bit 'mdat' header becomes one 64-bit 'mdat' header: same data offsets.
    auto bytes = medialayer::testing::read_bytes(path);
    const std::size_t wide = 20;
    ASSERT_EQ(std::string(bytes.begin() + wide + 4, bytes.begin() + wide + 8), "wide");
    const std::uint32_t mdat_size = medialayer::testing::get32(bytes, wide + 8);
    const std::uint8_t header[16] = {0, 0, 0, 1, 'm', 'd', 'a', 't', 0, 0, 0, 0,
                                     std::uint8_t((mdat_size + 8) >> 24), std::uint8_t((mdat_size + 8) >> 16),
                                     std::uint8_t((mdat_size + 8) >> 8), std::uint8_t(mdat_size + 8)};
    std::copy(std::begin(header), std::end(header), bytes.begin() + wide);
    medialayer::testing::write_bytes(path, bytes);

    const Inspection in = inspect_movie(path);
    EXPECT_TRUE(has_warning(in, "'mdat' at offset 20 stores its size")) << inspection_text(in);
    EXPECT_TRUE(has_warning(in, "controller type is 'abcd'"));
    EXPECT_TRUE(has_warning(in, "holds 10 samples, but the record's grid of 4 x 3"));
    EXPECT_TRUE(has_warning(in, "movie data comes before the movie resource"));
    EXPECT_EQ(in.warnings.size(), 4u);
}

TEST(ContactSheet, LaysOutTheGridThinnedByTheStepsWithLabels) {
    ScratchDir dir("objecttool-sheet");
    write_object_movie(dir.file("grid.mov"), {.columns = 5, .rows = 3, .width = 40, .height = 30});
    ObjectMovie movie(dir.file("grid.mov"));
    const RgbImage sheet = render_contact_sheet(movie, {.columns_step = 2, .rows_step = 2, .shrink = 2});
    // Columns 0, 2, 4 and rows 0, 2 as 20 x 15 thumbnails over label strips, 6-pixel margins, 4-pixel gaps.
    const int cell_w = 20, cell_h = 15 + 11;
    EXPECT_EQ(sheet.width, 12 + 3 * cell_w + 2 * 4);
    EXPECT_EQ(sheet.height, 12 + 2 * cell_h + 4);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) {
            const int x = 6 + c * (cell_w + 4), y = 6 + r * (cell_h + 4);
            const RgbImage expected = view_picture(2, 2, r * 2 * 5 + c * 2);
            const std::uint8_t* p = sheet.row(y + 7) + std::size_t(x + 10) * 3;
            EXPECT_EQ(std::vector<std::uint8_t>(p, p + 3), std::vector<std::uint8_t>(expected.rgb.begin(), expected.rgb.begin() + 3))
                << "view " << c * 2 << ", " << r * 2;
            int lit = 0;  // label pixels under the thumbnail
            for (int ly = y + 15; ly < y + cell_h; ++ly)
                for (int lx = x; lx < x + cell_w; ++lx) lit += sheet.row(ly)[std::size_t(lx) * 3] == 0xE8;
            EXPECT_GT(lit, 10);
        }
    EXPECT_EQ(view_label(45, -1.666667), "45\xB0/-1.7\xB0");
}

TEST(FrameDecoder, OtherCodecsGoThroughFfmpegInSampleOrderOrNameTheCodec) {
    if (!medialayer::testing::ffmpeg_available()) GTEST_SKIP() << "ffmpeg is not on PATH";
    ScratchDir dir("objecttool-codecs");
    // Animation ('rle ') frames from ffmpeg, with delta frames after the first.
    const std::string recorded = dir.file("rle.mov"), path = dir.file("object.mov");
    std::string output;
    ASSERT_EQ(medialayer::testing::run_command("ffmpeg -loglevel error -y -f lavfi -i testsrc=size=64x48:rate=10 -frames:v 4 "
                                               "-c:v qtrle -g 4 " + medialayer::testing::shell_quoted(recorded), output), 0);
    add_object_record(recorded, path, 2, 2);
    ASSERT_EQ(medialayer::testing::run_command("ffmpeg -loglevel error -i " + medialayer::testing::shell_quoted(path) +
                                               " -f rawvideo -pix_fmt rgb24 -", output), 0);
    ASSERT_EQ(output.size(), 4u * 64 * 48 * 3);

    ObjectMovie movie(path);
    movie.require_object_grid();
    const auto decoder = FrameDecoder::for_movie(movie);
    for (std::uint32_t i : {0u, 1u, 3u, 2u}) {  // backwards from 3 to 2 decodes again from the start
        const RgbImage image = decoder->decode(i, 1);
        EXPECT_EQ(std::string(image.rgb.begin(), image.rgb.end()), output.substr(i * 64 * 48 * 3, 64 * 48 * 3)) << i;
    }

    auto bytes = medialayer::testing::read_bytes(path);
    const std::size_t stsd = medialayer::testing::find_atom(bytes, {"moov", "trak", "mdia", "minf", "stbl", "stsd"});
    medialayer::testing::put32(bytes, stsd + 20, 0x78797A77);  // 'xyzw'
    medialayer::testing::write_bytes(path, bytes);
    ObjectMovie unknown(path);
    unknown.require_object_grid();
    try {
        FrameDecoder::for_movie(unknown);
        FAIL() << "an unknown codec was accepted";
    } catch (const tool_error& e) {
        EXPECT_NE(std::string(e.what()).find("stores its frames as 'xyzw', which this tool cannot decode"), std::string::npos)
            << e.what();
    }
}

TEST(WebPage, EveryFrameArrivesAsAsciiAndOtherCodecsBecomeJpeg) {
    EXPECT_EQ(html_text("Vase <2> & \xE8\x8A\xB1\xE7\x93\xB6 \xFF"), "Vase &lt;2&gt; &amp; &#33457;&#29942; &#65533;");
    EXPECT_EQ(base64({'V', 'a', 's', 'e'}), "VmFzZQ==");

    ScratchDir dir("objecttool-web");
    write_object_movie(dir.file("raw.mov"), {.columns = 3, .rows = 2});
    ObjectMovie movie(dir.file("raw.mov"));
    WebOptions options;
    options.title = "Vase \xE8\x8A\xB1";
    const std::string page = build_web_page(movie, "raw.mov", options);
    // Plain ASCII reads the same in whatever charset a server declares.
    EXPECT_EQ(std::count_if(page.begin(), page.end(), [](char c) { return c < 0x09 || (c & 0x80); }), 0);
    EXPECT_NE(page.find("<title>Vase &#33457;</title>"), std::string::npos);
    EXPECT_NE(page.find("\"columns\":3,\"rows\":2,\"wrap\":true,\"column\":0,\"row\":0"), std::string::npos);
    std::set<std::string> indexes;
    for (std::size_t at = page.find("data-i=\""); at != std::string::npos; at = page.find("data-i=\"", at + 1)) {
        const std::size_t text = page.find('>', at) + 1;
        indexes.insert(page.substr(at + 8, page.find('"', at + 8) - at - 8));
        const std::string jpeg = page.substr(text, page.find('<', text) - text);
        EXPECT_EQ(jpeg.substr(0, 4), "/9j/");  // FF D8 FF: a JPEG image, not raw pixels
        EXPECT_LT(jpeg.size(), 32u * 24 * 3);
    }
    EXPECT_EQ(indexes, (std::set<std::string>{"0", "1", "2", "3", "4", "5"}));
    options.view = OpeningView{3, 0};
    EXPECT_THROW(build_web_page(movie, "raw.mov", options), tool_error);
    options.view = OpeningView{2, 1};
    EXPECT_NE(build_web_page(movie, "raw.mov", options).find("\"column\":2,\"row\":1"), std::string::npos);

    // The folder form: a page that names its frame files, which are the frames as JPEG.
    options.folder = true;
    write_web_page(dir.file("raw.mov"), dir.file("raw page.html"), options);
    const auto small = medialayer::testing::read_bytes(dir.file("raw page.html"));
    EXPECT_NE(std::string(small.begin(), small.end()).find("\"src\":\"raw%20page-frames/\""), std::string::npos);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(medialayer::testing::read_bytes(dir.file("raw page-frames/" + std::to_string(i) + ".jpg"))[0], 0xFF);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"raw page-frames", "raw page.html", "raw.mov"}));
    // A file of the user's where the frames folder would go is refused, never moved aside and removed.
    medialayer::testing::write_bytes(dir.file("notes-frames"), {'k', 'e', 'e', 'p'});
    EXPECT_THROW(write_web_page(dir.file("raw.mov"), dir.file("notes.html"), options), tool_error);
    EXPECT_EQ(medialayer::testing::read_bytes(dir.file("notes-frames")), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
}

TEST(Frames, DamagedFramesAreRefusedByName) {
    struct Case {
        const char* what;
        std::uint32_t codec;
        std::vector<std::uint8_t> frame;
        const char* sentence;
    } cases[] = {
        {"JPEG of another size", medialayer::codec_jpeg, encode_jpeg(view_picture(64, 48, 1), 90), "is 64 x 48, not the movie's 32 x 24"},
        {"not a JPEG", medialayer::codec_jpeg, std::vector<std::uint8_t>(500, 0x55), "is not a readable JPEG image"},
        {"raw frame cut short", medialayer::codec_raw, std::vector<std::uint8_t>(32 * 24 * 3 - 5, 0), "not a 32 x 24 RGB picture"},
    };
    ScratchDir dir("objecttool-frames");
    for (const Case& c : cases) {
        std::unique_ptr<medialayer::MovieWriter> writer;
        ASSERT_EQ(medialayer::MovieWriter::create(dir.file("frames.mov"), 600, {c.codec, 32, 24, 24}, writer), 0);
        ASSERT_EQ(writer->append_sample(c.frame.data(), c.frame.size(), 60), 0);
        ASSERT_EQ(writer->finish(), 0);
        add_object_record(dir.file("frames.mov"), dir.file("object.mov"), 1, 1);
        for (bool web : {false, true}) {
            ObjectMovie movie(dir.file("object.mov"));
            try {
                if (web) build_web_page(movie, "object.mov", {});
                else render_contact_sheet(movie, {});
                ADD_FAILURE() << c.what << " was accepted";
            } catch (const tool_error& e) {
                EXPECT_NE(std::string(e.what()).find(c.sentence), std::string::npos) << c.what << ": " << e.what();
            }
        }
    }
}

TEST(Outputs, AFailureLeavesAnOlderFileAsItWasAndNoTemporary) {
    ScratchDir dir("objecttool-outputs");
    const std::string movie = dir.file("movie.mov"), page = dir.file("page.html"), sheet = dir.file("sheet.png");
    write_object_movie(movie, {.columns = 2, .rows = 1, .flatten = true});
    medialayer::testing::write_bytes(page, {'o', 'l', 'd'});
    medialayer::testing::write_bytes(sheet, {'o', 'l', 'd'});
    auto bytes = medialayer::testing::read_bytes(movie);
    bytes.resize(bytes.size() - 10);  // the last frame cut short
    medialayer::testing::write_bytes(movie, bytes);
    EXPECT_THROW(write_web_page(movie, page, {}), tool_error);
    EXPECT_THROW(write_contact_sheet(movie, sheet, {}), tool_error);
    EXPECT_EQ(medialayer::testing::read_bytes(page), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(medialayer::testing::read_bytes(sheet), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"movie.mov", "page.html", "sheet.png"}));
}

}  // namespace
}  // namespace objecttool
