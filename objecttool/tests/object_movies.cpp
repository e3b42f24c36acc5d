#include "object_movies.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "medialayer/movie_api.h"
#include "movie_model.h"
#include "objecttool/jpeg_frames.h"

namespace objecttool::testing {

namespace {

void put16(std::vector<std::uint8_t>& b, std::size_t at, int v) {
    b[at] = std::uint8_t(v >> 8);
    b[at + 1] = std::uint8_t(v);
}

void put_degrees(std::vector<std::uint8_t>& b, std::size_t at, double degrees) {
    const auto v = std::uint32_t(std::int32_t(degrees * 65536.0));
    for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = std::uint8_t(v >> (24 - 8 * i));
}

}  // namespace

std::vector<std::uint8_t> navg_record(int columns, int rows, double initial_pan, double initial_tilt) {
    std::vector<std::uint8_t> b(48, 0);
    put16(b, 0, 1);
    put16(b, 2, columns);
    put16(b, 4, rows);
    put16(b, 8, 1);
    put16(b, 10, 60);
    put16(b, 12, 1);
    put_degrees(b, 16, 180);
    put_degrees(b, 24, 360);
    put_degrees(b, 28, -20);
    put_degrees(b, 32, 90);
    put_degrees(b, 36, initial_pan);
    put_degrees(b, 40, initial_tilt);
    return b;
}

RgbImage view_picture(int width, int height, int index) {
    RgbImage image(width, height);
    const std::uint8_t colour[3] = {std::uint8_t(30 + index * 37 % 200), std::uint8_t(200 - index * 23 % 180),
                                    std::uint8_t(60 + index * 59 % 190)};
    for (std::size_t i = 0; i < image.rgb.size(); ++i) image.rgb[i] = colour[i % 3];
    return image;
}

void write_object_movie(const std::string& path, const MovieSpec& spec) {
    using namespace medialayer;
    const std::string recorded = path + ".frames.mov";
    std::unique_ptr<MovieWriter> writer;
    VideoFormat format;
    format.codec = spec.jpeg ? codec_jpeg : codec_raw;
    format.width = std::uint16_t(spec.width);
    format.height = std::uint16_t(spec.height);
    ASSERT_EQ(MovieWriter::create(recorded, 600, format, writer), 0);
    const int frames = spec.frames < 0 ? spec.columns * spec.rows : spec.frames;
    for (int i = 0; i < frames; ++i) {
        const RgbImage picture = view_picture(spec.width, spec.height, i);
        const std::vector<std::uint8_t> bytes = spec.jpeg ? encode_jpeg(picture, 95) : picture.rgb;
        ASSERT_EQ(writer->append_sample(bytes.data(), bytes.size(), 60), 0);
    }
    ASSERT_EQ(writer->finish(), 0);
    MovieModel model;
    ASSERT_EQ(load_movie_file(recorded, model), 0);
    const auto record = navg_record(spec.columns, spec.rows, spec.initial_pan, spec.initial_tilt);
    ASSERT_EQ(set_user_data(model.user_data, fourcc("NAVG"), record.data(), record.size()), 0);
    ASSERT_EQ(set_user_data(model.user_data, fourcc("ctyp"), spec.controller.data(), 4), 0);
    if (spec.flatten) {
        ASSERT_EQ(flatten_movie(model, path), 0);
        std::remove(recorded.c_str());
    } else {
        ASSERT_EQ(write_movie_resource(model, recorded), 0);
        ASSERT_EQ(std::rename(recorded.c_str(), path.c_str()), 0);
    }
}

}  // namespace objecttool::testing

namespace objecttool::testing {

void add_object_record(const std::string& recorded, const std::string& path, int columns, int rows) {
    using namespace medialayer;
    MovieModel model;
    ASSERT_EQ(load_movie_file(recorded, model), 0);
    const auto record = navg_record(columns, rows);
    ASSERT_EQ(set_user_data(model.user_data, fourcc("NAVG"), record.data(), record.size()), 0);
    ASSERT_EQ(flatten_movie(model, path), 0);
}

}  // namespace objecttool::testing
