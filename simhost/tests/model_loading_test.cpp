// Models as people bring them: textured OBJ files with names holding spaces,
// smoothing groups, glTF written here by hand, any scale and place; and the
// refusals, each one sentence.
#include <gtest/gtest.h>

#include <png.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "jpegcodec/jpeg_codec.h"
#include "simhost/rendering/loaded_model.h"
#include "simhost/rendering/rasterizer.h"
#include "simhost/tests/test_support.h"

namespace simhost {
namespace {

using testing::TempFolder;
using testing::write_file;

// 8 x 8 texels in four blocks of one colour each: top-left, top-right, bottom-left, bottom-right.
constexpr Rgb blocks[4] = {{230, 40, 40}, {40, 200, 60}, {50, 70, 220}, {240, 220, 30}};

Image block_texture() {
    Image texture(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) texture.set(x, y, blocks[(y / 4) * 2 + x / 4]);
    return texture;
}

void write_png(const std::string& path, const Image& image) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    ASSERT_TRUE(png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr)) << png.message;
}

// The four block centres of a square seen head on, found by where it shows against the background.
std::vector<Rgb> block_centres(const Image& image, Rgb background) {
    int x0 = image.width, x1 = -1, y0 = image.height, y1 = -1;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.at(x, y) != background) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    const int qx[2] = {x0 + (x1 - x0) / 4, x1 - (x1 - x0) / 4}, qy[2] = {y0 + (y1 - y0) / 4, y1 - (y1 - y0) / 4};
    return {image.at(qx[0], qy[0]), image.at(qx[1], qy[0]), image.at(qx[0], qy[1]), image.at(qx[1], qy[1])};
}

// The model's parts seen head on from -Z (+X on the right), lit straight along the view so brightness is 1.
Image head_on(const LoadedModel& model) {
    Rasterizer r;
    Image image;
    r.render(model.scene.placed_meshes(), CameraPose::looking_at({0, 0, -8}, {0, 0, 0}), 35, {0, 0, 1}, 160, 120, image);
    return image;
}

Image from_its_camera(const LoadedModel& model) {
    return Rasterizer(RenderStyle{.samples_per_side = 3}).render(model.scene, *model.scene.camera(0), 160, 120);
}

std::string base64(const std::string& bytes) {
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const unsigned n = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0) |
                           (i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0);
        out += digits[n >> 18];
        out += digits[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? digits[n & 63] : '=';
    }
    return out;
}

// A square [-2, 2]^2 at z = 0 facing +Z, its top-left corner at the texture's top-left.
const char* square_obj =
    "mtllib my scarlet paint.mtl\n"
    "v -2 2 0\nv 2 2 0\nv 2 -2 0\nv -2 -2 0\n"
    "vt 0 1\nvt 1 1\nvt 1 0\nvt 0 0\n"
    "usemtl board with spaces\n"
    "f 1/1 4/4 3/3 2/2\n";

TEST(ModelLoading, ObjTextureNamedWithSpacesShowsItsTexelsTheRightWayUp) {
    TempFolder folder;
    write_png(folder.file("block board.png"), block_texture());
    const std::vector<std::uint8_t> jpeg = jpegcodec::encode(block_texture().rgb.data(), 8, 8, 100);
    write_file(folder.file("block board.jpg"), std::string(jpeg.begin(), jpeg.end()));
    for (const char* picture : {"block board.png", "block board.jpg"}) {
        write_file(folder.file("my scarlet paint.mtl"),
                   std::string("newmtl board with spaces\nKd 0.5 0.5 0.5\nmap_Kd ") + picture + "\n");
        write_file(folder.file("square.obj"), square_obj);
        const LoadedModel model = load_model(folder.file("square.obj"));
        EXPECT_EQ(model.warnings, "") << picture;
        ASSERT_EQ(model.texture_files.size(), 1u);
        const std::vector<Rgb> seen = block_centres(head_on(model), RenderStyle{}.background);
        const int tolerance = std::string(picture).ends_with(".png") ? 0 : 6;  // JPEG keeps flat blocks nearly exact
        for (int b = 0; b < 4; ++b) {
            EXPECT_NEAR(seen[static_cast<std::size_t>(b)].r, blocks[b].r, tolerance) << picture << " block " << b;
            EXPECT_NEAR(seen[static_cast<std::size_t>(b)].g, blocks[b].g, tolerance) << picture << " block " << b;
            EXPECT_NEAR(seen[static_cast<std::size_t>(b)].b, blocks[b].b, tolerance) << picture << " block " << b;
        }
    }
}

TEST(ModelLoading, GltfBaseColourTextureShowsItsTexelsTheRightWayUp) {
    TempFolder folder;
    write_png(folder.file("blocks.png"), block_texture());
    // The square [-2, 2]^2 facing +Z; glTF's texture positions start at the picture's top-left.
    std::string bin;
    const float positions[12] = {-2, 2, 0, 2, 2, 0, 2, -2, 0, -2, -2, 0};
    const float uvs[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    const std::uint16_t indices[6] = {0, 3, 2, 0, 2, 1};
    bin.append(reinterpret_cast<const char*>(positions), sizeof positions);
    bin.append(reinterpret_cast<const char*>(uvs), sizeof uvs);
    bin.append(reinterpret_cast<const char*>(indices), sizeof indices);
    write_file(folder.file("square.gltf"), R"({"asset":{"version":"2.0"},"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],
 "meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1},"indices":2,"material":0}]}],
 "materials":[{"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}}],
 "textures":[{"source":0}],"images":[{"uri":"blocks.png"}],
 "buffers":[{"uri":"data:application/octet-stream;base64,)" + base64(bin) + R"(","byteLength":92}],
 "bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":48},{"buffer":0,"byteOffset":48,"byteLength":32},
                {"buffer":0,"byteOffset":80,"byteLength":12}],
 "accessors":[{"bufferView":0,"componentType":5126,"count":4,"type":"VEC3","min":[-2,-2,0],"max":[2,2,0]},
              {"bufferView":1,"componentType":5126,"count":4,"type":"VEC2"},
              {"bufferView":2,"componentType":5123,"count":6,"type":"SCALAR"}]})");
    const LoadedModel model = load_model(folder.file("square.gltf"));
    const std::vector<Rgb> seen = block_centres(head_on(model), RenderStyle{}.background);
    for (int b = 0; b < 4; ++b) EXPECT_EQ(seen[static_cast<std::size_t>(b)], blocks[b]) << "block " << b;
}

TEST(ModelLoading, SmoothingGroupsAndVertexNormalsGiveSmoothShading) {
    TempFolder folder;
    const std::string corners = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\n";
    const std::string faces = "f 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n";
    struct Case {
        const char* name;
        std::string text;
        bool smooth;
    } cases[] = {
        {"flat", corners + faces, false},
        {"group", corners + "s 1\n" + faces, true},
        {"group off", corners + "s 1\ns off\n" + faces, false},
        {"normals", corners + "vn 0 0 1\nf 1//1 3//1 2//1\n", true},
    };
    for (const Case& c : cases) {
        write_file(folder.file("solid.obj"), c.text);
        const LoadedModel model = load_model(folder.file("solid.obj"));
        const Mesh& mesh = model.scene.parts().at(0).mesh;
        EXPECT_EQ(mesh.normals.size() == mesh.vertices.size(), c.smooth) << c.name;
        // In one group a corner is shared by the faces meeting there: 4 corners, not 12.
        if (std::string(c.name) == "group") {
            EXPECT_EQ(mesh.vertices.size(), 4u);
        }
    }
    // A place the file repeats (v 5 = v 1, as exporters write seams) is still one place in its group.
    write_file(folder.file("seam.obj"), corners + "v 0 0 0\ns 1\nf 1 3 2\nf 5 2 4\n");
    const LoadedModel seamed = load_model(folder.file("seam.obj"));
    const Mesh& seam = seamed.scene.parts().at(0).mesh;
    std::vector<Vec3> at_origin;
    for (std::size_t v = 0; v < seam.vertices.size(); ++v)
        if (length(seam.vertices[v] - seam.vertices[0]) == 0) at_origin.push_back(seam.normals[v]);
    ASSERT_EQ(at_origin.size(), 2u);
    EXPECT_EQ(at_origin[0].x, at_origin[1].x);
    EXPECT_EQ(at_origin[0].y, at_origin[1].y);
    EXPECT_EQ(at_origin[0].z, at_origin[1].z);
}

// A box as an OBJ file, its corners moved by `place`, and the same box as glTF
// with that placement as a node transform and a base colour factor in linear light.
std::string box_obj(double scale, Vec3d offset) {
    std::string text = "mtllib box.mtl\nusemtl paint\n";
    char line[160];
    for (int i = 0; i < 8; ++i) {
        // Stretched along X by 2, turned 90 degrees about Y (x' = z, z' = -x), then moved.
        const Vec3d p{(i & 1) ? 1.0 : -1.0, (i & 2) ? 0.5 : -0.5, (i & 4) ? 0.75 : -0.75};
        const Vec3d placed{offset.x + scale * p.z, offset.y + scale * p.y, offset.z - scale * 2 * p.x};
        std::snprintf(line, sizeof line, "v %.17g %.17g %.17g\n", placed.x, placed.y, placed.z);
        text += line;
    }
    for (const char* f : {"1 3 4 2", "5 6 8 7", "1 2 6 5", "3 7 8 4", "1 5 7 3", "2 4 8 6"}) text += std::string("f ") + f + "\n";
    return text;
}

// The unit box [-1, 1] x [-0.5, 0.5] x [-0.75, 0.75]: positions, then 12 triangles of 16-bit indices.
std::string box_buffer() {
    std::string bytes;
    for (int i = 0; i < 8; ++i) {
        const float p[3] = {(i & 1) ? 1.0f : -1.0f, (i & 2) ? 0.5f : -0.5f, (i & 4) ? 0.75f : -0.75f};
        bytes.append(reinterpret_cast<const char*>(p), sizeof p);
    }
    const std::uint16_t indices[36] = {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                                       2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
    bytes.append(reinterpret_cast<const char*>(indices), sizeof indices);
    return bytes;
}

std::string box_gltf_json(const std::string& buffer_uri, std::size_t buffer_length) {
    // 200 / 255 as the picture shows it is 0.57758 in linear light.
    return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],
 "nodes":[{"children":[1],"translation":[5,6,7]},
          {"mesh":0,"rotation":[0,0.70710678118654752,0,0.70710678118654752],"scale":[2,1,1],"translation":[-5,-6,-7]}],
 "meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1,"material":0}]}],
 "materials":[{"pbrMetallicRoughness":{"baseColorFactor":[0.57758,0.57758,0.57758,1]}}],
 "buffers":[{)" + buffer_uri + R"("byteLength":)" + std::to_string(buffer_length) + R"(}],
 "bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":96},{"buffer":0,"byteOffset":96,"byteLength":72}],
 "accessors":[{"bufferView":0,"componentType":5126,"count":8,"type":"VEC3","min":[-1,-0.5,-0.75],"max":[1,0.5,0.75]},
              {"bufferView":1,"componentType":5123,"count":36,"type":"SCALAR"}]})";
}

std::string glb(const std::string& json, const std::string& bin) {
    auto u32 = [](std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    std::string padded_json = json;
    while (padded_json.size() % 4) padded_json += ' ';
    const std::string chunks = u32(static_cast<std::uint32_t>(padded_json.size())) + "JSON" + padded_json +
                               u32(static_cast<std::uint32_t>(bin.size())) + std::string("BIN\0", 4) + bin;
    return "glTF" + u32(2) + u32(static_cast<std::uint32_t>(12 + chunks.size())) + chunks;
}

TEST(ModelLoading, GltfWrittenByHandRendersLikeTheSameBoxAsObj) {
    TempFolder folder;
    write_file(folder.file("box.mtl"), "newmtl paint\nKd 0.7843137 0.7843137 0.7843137\n");
    write_file(folder.file("box.obj"), box_obj(1, {0, 0, 0}));
    const Image obj = from_its_camera(load_model(folder.file("box.obj")));
    const std::string bin = box_buffer();
    write_file(folder.file("box.bin"), bin);
    write_file(folder.file("box.gltf"), box_gltf_json(R"("uri":"box.bin",)", bin.size()));
    write_file(folder.file("inline.gltf"),
               box_gltf_json(R"("uri":"data:application/octet-stream;base64,)" + base64(bin) + R"(",)", bin.size()));
    write_file(folder.file("box.glb"), glb(box_gltf_json("", bin.size()), bin));
    for (const char* name : {"box.gltf", "inline.gltf", "box.glb"}) {
        const LoadedModel gltf = load_model(folder.file(name));
        EXPECT_EQ(gltf.triangles, 12u) << name;
        const testing::ImageDifference d = testing::difference(obj, from_its_camera(gltf));
        EXPECT_LT(d.mean, 0.2) << name;
        EXPECT_LE(d.largest, 2) << name;
    }
}

TEST(ModelLoading, AnyScaleAndAnyDistanceFromTheOriginIsFramedAlike) {
    TempFolder folder;
    write_file(folder.file("box.mtl"), "newmtl paint\nKd 0.8 0.6 0.4\n");
    write_file(folder.file("box.obj"), box_obj(1, {0, 0, 0}));
    const Image reference = from_its_camera(load_model(folder.file("box.obj")));
    struct Case {
        double scale;
        Vec3d offset;
    } cases[] = {{2e-8, {0, 0, 0}}, {1, {3e5, -3e5, 3e5}}, {1e-3, {3e5, 0, 0}}, {1.5e38, {0, 0, 0}}, {7, {0, 1e9, -1e9}}};
    for (const Case& c : cases) {
        write_file(folder.file("box.obj"), box_obj(c.scale, c.offset));
        const testing::ImageDifference d = testing::difference(reference, from_its_camera(load_model(folder.file("box.obj"))));
        EXPECT_LT(d.mean, 0.05) << c.scale << " at " << c.offset.x;
    }
}

TEST(ModelLoading, RefusesWhatCannotBeFramedOrIsTooLargeInOneSentence) {
    TempFolder folder;
    write_file(folder.file("point.obj"), "v 1 1 1\nv 1 1 1\nv 1 1 1\nf 1 2 3\n");
    write_file(folder.file("huge.obj"), "v 1e308 0 0\nv -1e308 0 0\nv 0 1e308 1e308\nf 1 2 3\n");
    write_file(folder.file("nothing.gltf"), R"({"asset":{"version":"2.0"}})");
    write_file(folder.file("broken.glb"), "glTF\x02");
    // Sparse: refused by its size, so nothing of it need be read.
    write_file(folder.file("large.obj"), "");
    std::filesystem::resize_file(folder.file("large.obj"), std::uintmax_t(270) << 20);
    struct Case {
        const char* file;
        const char* says;
    } cases[] = {
        {"point.obj", "has no extent"},       {"huge.obj", "beyond the numbers"},
        {"nothing.gltf", "no faces"},         {"broken.glb", "not a readable glTF file"},
        {"large.obj", "larger than the 256 MB"},
    };
    for (const Case& c : cases) {
        try {
            load_model(folder.file(c.file));
            ADD_FAILURE() << c.file << " was read";
        } catch (const model_error& e) {
            const std::string sentence = e.what();
            EXPECT_NE(sentence.find(c.says), std::string::npos) << sentence;
            EXPECT_EQ(sentence.find('\n'), std::string::npos) << sentence;
            EXPECT_EQ(sentence.back(), '.') << sentence;
        }
    }
}

}  // namespace
}  // namespace simhost
