// Movies through the layer's own files: what MovieWriter stores, reading it
// back, the movie atom in a file's data fork, and reference movies flattened.
#include <gtest/gtest.h>

#include <cstdio>

#include "file_io.h"
#include "movie_model.h"
#include "test_files.h"

namespace medialayer {
namespace {

using namespace medialayer::testing;

std::size_t payload(const std::vector<std::uint8_t>& bytes, const std::vector<std::string>& path) {
    std::size_t at = find_atom(bytes, path);
    EXPECT_NE(at, std::string::npos) << path.back();
    return at == std::string::npos ? 0 : at + 8;
}

TEST(MovieWriterFiles, ReadBackGivesEverySampleAndItsDescription) {
    ScratchDir dir("writer");
    struct Case {
        std::uint32_t codec;
        const char* compressor;
    };
    for (Case c : {Case{codec_raw, "None"}, Case{codec_jpeg, "Photo - JPEG"}}) {
        std::string path = dir.file("m.mov");
        std::unique_ptr<MovieWriter> writer;
        VideoFormat format{c.codec, 20, 10, 24};
        ASSERT_EQ(MovieWriter::create(path, 600, format, writer), 0);
        std::vector<std::vector<std::uint8_t>> samples = {{1, 2, 3}, {}, std::vector<std::uint8_t>(5000, 7), {9}};
        for (std::size_t i = 0; i < samples.size(); ++i)
            ASSERT_EQ(writer->append_sample(samples[i].data(), samples[i].size(), std::uint32_t(10 * (i + 1))), 0);
        ASSERT_EQ(writer->finish(), 0);

        std::unique_ptr<MovieReader> reader;
        ASSERT_EQ(MovieReader::open(path, reader), 0);
        EXPECT_EQ(reader->time_scale(), 600);
        ASSERT_EQ(reader->tracks().size(), 1u);
        const TrackInfo& t = reader->tracks()[0];
        EXPECT_EQ(t.media_type, fourcc("vide"));
        EXPECT_EQ(t.time_scale, 600);
        EXPECT_EQ(t.duration, 100);
        ASSERT_EQ(t.sample_count, samples.size());
        ASSERT_EQ(t.descriptions.size(), 1u);
        EXPECT_EQ(t.descriptions[0].codec, c.codec);
        EXPECT_EQ(t.descriptions[0].width, 20);
        EXPECT_EQ(t.descriptions[0].height, 10);
        EXPECT_EQ(t.descriptions[0].depth, 24);
        EXPECT_EQ(t.descriptions[0].compressor_name, c.compressor);
        EXPECT_TRUE(t.self_contained);
        for (std::uint32_t i = 0; i < samples.size(); ++i) {
            std::vector<std::uint8_t> bytes;
            std::uint32_t duration = 0;
            ASSERT_EQ(reader->read_sample(0, i, bytes, duration), 0);
            EXPECT_EQ(bytes, samples[i]);
            EXPECT_EQ(duration, 10 * (i + 1));
        }
        std::vector<std::uint8_t> bytes;
        std::uint32_t duration;
        EXPECT_EQ(reader->read_sample(0, 4, bytes, duration), paramErr);
        EXPECT_EQ(reader->read_sample(1, 0, bytes, duration), paramErr);
    }
}

TEST(MovieWriterFiles, StoresTheFieldsClassicQuickTimeWrote) {
    ScratchDir dir("fields");
    std::string path = dir.file("m.mov");
    write_raw_movie(path, 32, 24, 2);
    auto b = read_bytes(path);
    const std::vector<std::uint32_t> identity = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};

    std::size_t mvhd = payload(b, {"moov", "mvhd"});
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(get32(b, mvhd + 36 + 4 * i), identity[i]) << "mvhd matrix " << i;

    std::size_t tkhd = payload(b, {"moov", "trak", "tkhd"});
    EXPECT_EQ(get32(b, tkhd) & 0xFFFFFF, 0xFu);  // enabled | in movie | in preview | in poster
    EXPECT_NE(get32(b, tkhd + 12), 0u);          // track id
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(get32(b, tkhd + 40 + 4 * i), identity[i]) << "tkhd matrix " << i;
    EXPECT_EQ(get32(b, tkhd + 76), 32u << 16);
    EXPECT_EQ(get32(b, tkhd + 80), 24u << 16);

    std::size_t mhlr = payload(b, {"moov", "trak", "mdia", "hdlr"});
    EXPECT_EQ(fourcc_text(get32(b, mhlr + 4)), "mhlr");
    EXPECT_EQ(fourcc_text(get32(b, mhlr + 8)), "vide");
    std::size_t dhlr = payload(b, {"moov", "trak", "mdia", "minf", "hdlr"});
    EXPECT_EQ(fourcc_text(get32(b, dhlr + 4)), "dhlr");
    EXPECT_EQ(fourcc_text(get32(b, dhlr + 8)), "alis");
    EXPECT_EQ(get32(b, payload(b, {"moov", "trak", "mdia", "minf", "vmhd"})) & 0xFFFFFF, 1u);

    std::size_t dref = payload(b, {"moov", "trak", "mdia", "minf", "dinf", "dref"});
    EXPECT_EQ(get32(b, dref + 4), 1u);                   // one entry
    EXPECT_EQ(get32(b, dref + 16) & 0xFFFFFF, 1u);       // self reference

    std::size_t stsd = payload(b, {"moov", "trak", "mdia", "minf", "stbl", "stsd"});
    ASSERT_EQ(get32(b, stsd + 4), 1u);
    std::size_t d = stsd + 8;  // the description's own header
    EXPECT_EQ(fourcc_text(get32(b, d + 4)), "raw ");
    EXPECT_EQ(fourcc_text(get32(b, d + 20)), "appl");  // vendor
    EXPECT_EQ(get32(b, d + 36), 0x00480000u);          // 72 dpi
    EXPECT_EQ(get32(b, d + 40), 0x00480000u);
    EXPECT_EQ(get32(b, d + 44), 0u);                    // data size
    EXPECT_EQ(b[d + 48] << 8 | b[d + 49], 1);           // frame count
    EXPECT_EQ(b[d + 50], 4);                            // Pascal name "None" in 32 bytes
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[d + 51]), 4), "None");
    EXPECT_EQ(b[d + 82] << 8 | b[d + 83], 24);          // depth
    EXPECT_EQ(b[d + 84] << 8 | b[d + 85], 0xFFFF);      // colour table id -1

    for (const char* table : {"stts", "stsc", "stsz", "stco"})
        EXPECT_NE(find_atom(b, {"moov", "trak", "mdia", "minf", "stbl", table}), std::string::npos) << table;
    // Without stss every sample is a sync sample.
    EXPECT_EQ(find_atom(b, {"moov", "trak", "mdia", "minf", "stbl", "stss"}), std::string::npos);
}

TEST(MovieResource, GoesIntoTheDataForkAndReplacesItsEarlierSelf) {
    ScratchDir dir("resource");
    std::string path = dir.file("ref.mov");
    write_bytes(path, {});
    MovieModel movie;
    init_movie(movie, path);
    movie.header.poster_time = 120;
    ASSERT_EQ(set_user_data(movie.user_data, fourcc("ctyp"), "stna", 4), 0);
    ASSERT_EQ(write_movie_resource(movie, path), 0);
    EXPECT_EQ(top_level_atoms(path), std::vector<std::string>{"moov"});
    auto first_size = read_bytes(path).size();

    movie.header.poster_time = 240;
    ASSERT_EQ(write_movie_resource(movie, path), 0);
    EXPECT_EQ(top_level_atoms(path), std::vector<std::string>{"moov"});
    EXPECT_EQ(read_bytes(path).size(), first_size);

    MovieModel reloaded;
    ASSERT_EQ(load_movie_file(path, reloaded), 0);
    EXPECT_EQ(reloaded.header.poster_time, 240);
    ASSERT_EQ(reloaded.user_data.size(), 1u);
    EXPECT_EQ(reloaded.user_data[0].data, (std::vector<std::uint8_t>{'s', 't', 'n', 'a'}));

    EXPECT_EQ(write_movie_resource(movie, dir.file("missing.mov")), fnfErr);
}

TEST(MovieResource, AnEarlierMovieAheadOfTheDataIsBlankedNotLost) {
    ScratchDir dir("resource2");
    std::string path = dir.file("m.mov");
    write_raw_movie(path, 8, 8, 3);
    MovieModel movie;
    ASSERT_EQ(load_movie_file(path, movie), 0);
    // Move the movie ahead of the data, as a fast-start file has it.
    ASSERT_EQ(flatten_movie(movie, path), 0);
    ASSERT_EQ(top_level_atoms(path), (std::vector<std::string>{"ftyp", "moov", "mdat"}));
    MovieModel flat;
    ASSERT_EQ(load_movie_file(path, flat), 0);
    flat.header.current_time = 77;
    ASSERT_EQ(write_movie_resource(flat, path), 0);
    EXPECT_EQ(top_level_atoms(path), (std::vector<std::string>{"ftyp", "free", "mdat", "moov"}));
    std::unique_ptr<MovieReader> reader;
    ASSERT_EQ(MovieReader::open(path, reader), 0);
    EXPECT_EQ(reader->current_time(), 77);
    std::vector<std::uint8_t> bytes;
    std::uint32_t duration;
    ASSERT_EQ(reader->read_sample(0, 2, bytes, duration), 0);
    EXPECT_EQ(bytes, test_frame(8, 8, 2));
}

TEST(ReferenceMovies, ReferToTheSourceAndFlattenToASelfContainedMovie) {
    ScratchDir dir("reference");
    std::string source = dir.file("frames.mov"), intermediate = dir.file("obj.mot"), output = dir.file("obj.mov");
    WrittenMovie written = write_raw_movie(source, 64, 48, 8);
    MovieModel frames;
    ASSERT_EQ(load_movie_file(source, frames), 0);
    const TrackModel& src = *frames.tracks[0];

    write_bytes(intermediate, {});
    MovieModel object;
    init_movie(object, intermediate);
    TrackModel& track = add_video_track(object, src.width, src.height, src.volume);
    ASSERT_EQ(create_track_media(object, track, fourcc("vide"), src.media->time_scale), 0);
    TimeValue duration = TimeValue(src.duration(frames.header.time_scale));
    ASSERT_EQ(insert_track_segment(frames, src, 0, duration, object, track, 0), 0);
    copy_track_settings(src, track);
    std::vector<std::uint8_t> navg(48);
    for (std::size_t i = 0; i < navg.size(); ++i) navg[i] = std::uint8_t(i * 3);
    ASSERT_EQ(set_user_data(object.user_data, fourcc("NAVG"), navg.data(), navg.size()), 0);
    ASSERT_EQ(set_user_data(object.user_data, fourcc("ctyp"), "stna", 4), 0);
    object.header.poster_time = object.header.current_time = object.header.preview_time = 180;
    object.header.preview_duration = 60;
    ASSERT_EQ(write_movie_resource(object, intermediate), 0);

    // No sample bytes were copied: the intermediate file is only the movie atom.
    std::size_t frame_bytes = 64 * 48 * 3;
    EXPECT_LT(read_bytes(intermediate).size(), frame_bytes);
    MovieModel reopened;
    ASSERT_EQ(load_movie_file(intermediate, reopened), 0);
    ASSERT_EQ(reopened.tracks.size(), 1u);
    const MediaModel& media = *reopened.tracks[0]->media;
    ASSERT_EQ(media.samples.size(), 8u);
    EXPECT_EQ(normalized_path(media.data_refs[media.samples[0].data_ref_index - 1].path), normalized_path(source));
    EXPECT_EQ(reopened.tracks[0]->duration(reopened.header.time_scale), duration);

    ASSERT_EQ(flatten_movie(reopened, output), 0);
    std::remove(intermediate.c_str());
    std::remove(source.c_str());

    EXPECT_EQ(top_level_atoms(output), (std::vector<std::string>{"ftyp", "moov", "mdat"}));
    MovieModel flat;
    ASSERT_EQ(load_movie_file(output, flat), 0);
    ASSERT_EQ(flat.tracks.size(), 1u);
    ASSERT_EQ(flat.tracks[0]->media->data_refs.size(), 1u);
    EXPECT_TRUE(flat.tracks[0]->media->data_refs[0].self);
    EXPECT_EQ(flat.tracks[0]->media->descriptions.size(), 1u);
    EXPECT_EQ(flat.header.poster_time, 180);
    EXPECT_EQ(flat.header.current_time, 180);
    EXPECT_EQ(flat.header.preview_time, 180);
    EXPECT_EQ(flat.header.preview_duration, 60);
    ASSERT_EQ(flat.user_data.size(), 2u);
    EXPECT_EQ(flat.user_data[0].type, fourcc("NAVG"));
    EXPECT_EQ(flat.user_data[0].data, navg);
    EXPECT_EQ(flat.user_data[1].type, fourcc("ctyp"));

    std::unique_ptr<MovieReader> reader;
    ASSERT_EQ(MovieReader::open(output, reader), 0);
    EXPECT_TRUE(reader->tracks()[0].self_contained);
    for (std::uint32_t i = 0; i < 8; ++i) {
        std::vector<std::uint8_t> bytes;
        std::uint32_t d = 0;
        ASSERT_EQ(reader->read_sample(0, i, bytes, d), 0);
        EXPECT_EQ(bytes, written.frames[i]) << i;
        EXPECT_EQ(d, written.durations[i]) << i;
    }
}


// A large movie's media data keeps the source's offset within 64 KiB behind a
// 'free' atom, so the copy moves whole pages; a small one's follows the movie
// atom directly, so a one-frame movie stays a few kilobytes.
TEST(Flatten, PadsTheMediaDataOnlyWhenTheMovieIsLarge) {
    struct Case {
        const char* name;
        std::uint16_t width, height;
        int frames;
        bool padded;
    } cases[] = {{"one 16 x 16 frame", 16, 16, 1, false},
                 {"3 MiB", 1024, 1024, 1, false},
                 {"6 MiB", 1024, 1024, 2, true}};
    for (const Case& c : cases) {
        ScratchDir dir("padding");
        const std::string source = dir.file("frames.mov"), output = dir.file("flat.mov");
        write_raw_movie(source, c.width, c.height, c.frames);
        MovieModel frames;
        ASSERT_EQ(load_movie_file(source, frames), 0) << c.name;
        ASSERT_EQ(flatten_movie(frames, output), 0) << c.name;
        MovieModel flat;
        ASSERT_EQ(load_movie_file(output, flat), 0) << c.name;
        const std::uint64_t offset = flat.tracks[0]->media->samples[0].offset;
        const std::uint64_t data_size = std::uint64_t(c.width) * c.height * 3 * std::uint64_t(c.frames);
        if (c.padded) {
            EXPECT_EQ(top_level_atoms(output), (std::vector<std::string>{"ftyp", "moov", "free", "mdat"})) << c.name;
            EXPECT_EQ(offset % 65536, frames.tracks[0]->media->samples[0].offset % 65536) << c.name;
        } else {
            EXPECT_EQ(top_level_atoms(output), (std::vector<std::string>{"ftyp", "moov", "mdat"})) << c.name;
            EXPECT_EQ(read_bytes(output).size(), offset + data_size) << c.name << ": data right after the movie atom";
            EXPECT_LT(offset, 4096u) << c.name;
        }
    }
}
TEST(ReferenceMovies, AMissingSourceCannotBeResolved) {
    ScratchDir dir("unresolved");
    std::string source = dir.file("frames.mov"), intermediate = dir.file("obj.mot");
    write_raw_movie(source, 8, 8, 2);
    MovieModel frames;
    ASSERT_EQ(load_movie_file(source, frames), 0);
    write_bytes(intermediate, {});
    MovieModel object;
    init_movie(object, intermediate);
    TrackModel& track = add_video_track(object, frames.tracks[0]->width, frames.tracks[0]->height, 0);
    ASSERT_EQ(create_track_media(object, track, fourcc("vide"), 600), 0);
    ASSERT_EQ(insert_track_segment(frames, *frames.tracks[0], 0, 60, object, track, 0), 0);
    ASSERT_EQ(write_movie_resource(object, intermediate), 0);
    std::remove(source.c_str());
    MovieModel reopened;
    EXPECT_EQ(load_movie_file(intermediate, reopened), couldNotResolveDataRef);
}

TEST(ReaderTolerance, AcceptsWhatOtherWritersProduce) {
    ScratchDir dir("tolerance");
    std::string path = dir.file("m.mov");
    WrittenMovie written = write_raw_movie(path, 8, 4, 3);
    {
        MovieModel movie;
        ASSERT_EQ(load_movie_file(path, movie), 0);
        ASSERT_EQ(set_user_data(movie.user_data, fourcc("name"), "abc", 3), 0);
        ASSERT_EQ(write_movie_resource(movie, path), 0);
    }
    const auto original = read_bytes(path);

    struct Variant {
        const char* name;
        void (*change)(std::vector<std::uint8_t>&);
    };
    const Variant variants[] = {
        {"64-bit media data size",
         [](std::vector<std::uint8_t>& b) {
             // 'wide' + 'mdat' headers become one 16-byte 'mdat' header with a 64-bit size.
             std::size_t wide = find_atom(b, {"wide"}), moov = find_atom(b, {"moov"});
             put32(b, wide, 1);
             b[wide + 4] = 'm', b[wide + 5] = 'd', b[wide + 6] = 'a', b[wide + 7] = 't';
             put32(b, wide + 8, 0);
             put32(b, wide + 12, std::uint32_t(moov - wide));
         }},
        {"udta without its trailing zero word",
         [](std::vector<std::uint8_t>& b) {
             std::size_t moov = find_atom(b, {"moov"}), udta = find_atom(b, {"moov", "udta"});
             ASSERT_EQ(get32(b, b.size() - 4), 0u);
             b.resize(b.size() - 4);
             put32(b, moov, get32(b, moov) - 4);
             put32(b, udta, get32(b, udta) - 4);
         }},
        {"free and skip atoms around",
         [](std::vector<std::uint8_t>& b) {
             std::size_t moov = find_atom(b, {"moov"});
             std::vector<std::uint8_t> skip = {0, 0, 0, 12, 's', 'k', 'i', 'p', 1, 2, 3, 4};
             b.insert(b.begin() + std::ptrdiff_t(moov), skip.begin(), skip.end());
             std::vector<std::uint8_t> free_atom = {0, 0, 0, 8, 'f', 'r', 'e', 'e'};
             b.insert(b.end(), free_atom.begin(), free_atom.end());
         }},
        {"a last atom whose size runs to the end of the file",
         [](std::vector<std::uint8_t>& b) { put32(b, find_atom(b, {"moov"}), 0); }},
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(v.name);
        auto bytes = original;
        v.change(bytes);
        std::string variant = dir.file("variant.mov");
        write_bytes(variant, bytes);
        std::unique_ptr<MovieReader> reader;
        ASSERT_EQ(MovieReader::open(variant, reader), 0);
        ASSERT_EQ(reader->user_data().size(), 1u);
        EXPECT_EQ(reader->user_data()[0].data, (std::vector<std::uint8_t>{'a', 'b', 'c'}));
        ASSERT_EQ(reader->tracks().at(0).sample_count, 3u);
        for (std::uint32_t i = 0; i < 3; ++i) {
            std::vector<std::uint8_t> sample;
            std::uint32_t d;
            ASSERT_EQ(reader->read_sample(0, i, sample, d), 0);
            EXPECT_EQ(sample, written.frames[i]);
        }
    }
}

}  // namespace
}  // namespace medialayer
