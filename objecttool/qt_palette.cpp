#include "objecttool/qt_palette.h"

#include "medialayer/big_endian.h"

namespace objecttool {

namespace {

constexpr std::uint32_t opaque = 0xFF000000;

std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return opaque | r << 16 | g << 8 | b; }

// The Macintosh system tables: 2- and 4-bit as listed, 8-bit a 6 x 6 x 6 cube
// from white down (without black), ramps of red, green, blue and grey, then black.
std::array<std::uint32_t, 256> system_palette(int bits) {
    std::array<std::uint32_t, 256> p{};
    if (bits == 1) {
        p[0] = rgb(0xFF, 0xFF, 0xFF), p[1] = rgb(0, 0, 0);
    } else if (bits == 2) {
        const std::uint32_t four[] = {0xFFFFFF, 0xACACAC, 0x555555, 0x000000};
        for (int i = 0; i < 4; ++i) p[std::size_t(i)] = opaque | four[i];
    } else if (bits == 4) {
        const std::uint32_t sixteen[] = {0xFFFFFF, 0xFCF305, 0xFF6402, 0xDD0806, 0xF20884, 0x4600A5, 0x0000D4, 0x02ABEA,
                                         0x1FB714, 0x006411, 0x562C05, 0x90713A, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
        for (int i = 0; i < 16; ++i) p[std::size_t(i)] = opaque | sixteen[i];
    } else {
        std::size_t i = 0;
        for (int r = 5; r >= 0; --r)
            for (int g = 5; g >= 0; --g)
                for (int b = 5; b >= 0; --b)
                    if (r || g || b) p[i++] = rgb(std::uint32_t(r) * 0x33, std::uint32_t(g) * 0x33, std::uint32_t(b) * 0x33);
        const std::uint32_t ramp[] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
        for (int channel = 0; channel < 4; ++channel)
            for (std::uint32_t v : ramp)
                p[i++] = channel == 0 ? rgb(v, 0, 0) : channel == 1 ? rgb(0, v, 0) : channel == 2 ? rgb(0, 0, v) : rgb(v, v, v);
        p[i] = rgb(0, 0, 0);
    }
    return p;
}

}  // namespace

std::optional<std::array<std::uint32_t, 256>> description_palette(const medialayer::SampleDescription& d) {
    const int bits = d.depth & 0x1F;
    const bool grey = d.depth > 32;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8) return std::nullopt;
    std::array<std::uint32_t, 256> p{};
    const int colours = 1 << bits;
    if (grey) {
        for (int i = 0; i < colours; ++i) {
            const auto v = std::uint32_t(255 - i * 255 / (colours - 1));  // white first, as QuickTime's grey tables
            p[std::size_t(i)] = rgb(v, v, v);
        }
        return p;
    }
    if (d.color_table_id != 0) return system_palette(bits);
    // The description's own table: seed, flags, count - 1, then index and 16-bit red, green, blue.
    medialayer::ByteReader r(d.extra);
    r.skip(6);
    const unsigned count = unsigned(r.u16()) + 1;
    p = system_palette(bits);
    for (unsigned i = 0; i < count && r.ok(); ++i) {
        const std::uint16_t index = r.u16();
        const std::uint32_t red = r.u16() >> 8, green = r.u16() >> 8, blue = r.u16() >> 8;
        // Tables from some writers number every entry 0: take their position instead.
        const std::size_t at = index < 256 && index != 0 ? index : i;
        if (r.ok() && at < 256) p[at] = rgb(red, green, blue);
    }
    return p;
}

}  // namespace objecttool
