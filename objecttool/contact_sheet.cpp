#include "objecttool/contact_sheet.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "objecttool/frame_decoder.h"
#include "objecttool/label_font.h"
#include "objecttool/output_file.h"
#include "objecttool/png_output.h"
#include "objecttool/tool_error.h"

namespace objecttool {

namespace {

constexpr int margin = 6;
constexpr int gap = 4;
constexpr int section_gap = 16;
constexpr std::uint8_t background = 0x22;
constexpr std::uint8_t rule_shade = 0x80;
constexpr std::uint8_t label_colour[3] = {0xE8, 0xE8, 0xE8};

std::string degrees(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string s = text;
    if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
    if (s == "-0") s = "0";
    return s + '\xB0';
}

}  // namespace

std::string view_label(double pan, double tilt) { return degrees(pan) + "/" + degrees(tilt); }

int automatic_shrink(int frame_width) {
    int shrink = 1;
    while (shrink < 8 && frame_width / (shrink * 2) >= 120) shrink *= 2;
    return shrink;
}

RgbImage render_contact_sheet(ObjectMovie& movie, const SheetOptions& options) {
    movie.require_object_grid();
    const ViewGrid& grid = movie.grid();
    const int shrink = options.shrink ? options.shrink : automatic_shrink(movie.format().width);
    const int columns_step = std::max(1, options.columns_step), rows_step = std::max(1, options.rows_step);
    const int shown_columns = (grid.columns + columns_step - 1) / columns_step;
    const int shown_rows = (grid.rows + rows_step - 1) / rows_step;
    std::unique_ptr<FrameDecoder> decoder = FrameDecoder::for_movie(movie);

    // One section per view state in order, each the grid of views (an
    // animated view by its first frame), parted by a wider gap and a rule.
    std::vector<int> states;
    for (int s = 0; s < grid.states; ++s) states.push_back(s);
    RgbImage sheet;
    int cell_width = 0, cell_height = 0, section_height = 0;
    for (std::size_t section = 0; section < states.size(); ++section)
        for (int r = 0; r < shown_rows; ++r)
            for (int c = 0; c < shown_columns; ++c) {
                const int column = c * columns_step, row = r * rows_step;
                const RgbImage thumb = decoder->decode(grid.sample(states[section], row, column), shrink);
                if (sheet.width == 0) {
                    // The first thumbnail fixes the cells; later ones are clipped to them.
                    cell_width = thumb.width;
                    cell_height = thumb.height + glyph_line_height + 2;
                    section_height = shown_rows * (cell_height + gap) - gap + section_gap;
                    const std::uint64_t w = std::uint64_t(margin * 2) + std::uint64_t(shown_columns) * std::uint64_t(cell_width + gap) - gap;
                    const std::uint64_t h =
                        std::uint64_t(margin * 2) + std::uint64_t(states.size()) * std::uint64_t(section_height) - section_gap;
                    if (w > 1u << 15 || h > 1u << 15 || w * h > 1u << 28)
                        throw tool_error("The contact sheet would be " + std::to_string(w) + " x " + std::to_string(h) +
                                         " pixels; thin it with --columns-step and --rows-step, or --shrink.");
                    sheet = RgbImage(int(w), int(h), background);
                }
                const int top = margin + int(section) * section_height;
                if (section > 0 && r == 0 && c == 0)
                    paste(sheet, RgbImage(sheet.width - 2 * margin, 1, rule_shade), margin, top - section_gap / 2);
                const int x = margin + c * (cell_width + gap), y = top + r * (cell_height + gap);
                RgbImage clipped = thumb;
                if (thumb.width > cell_width || thumb.height > cell_height - glyph_line_height - 2) {
                    clipped = RgbImage(cell_width, cell_height - glyph_line_height - 2);
                    paste(clipped, thumb, 0, 0);
                }
                paste(sheet, clipped, x, y);
                draw_text(sheet, x, y + clipped.height + 1, view_label(grid.pans[std::size_t(column)], grid.tilts[std::size_t(row)]),
                          label_colour);
            }
    return sheet;
}

void write_contact_sheet(const std::string& movie_path, const std::string& png_path, const SheetOptions& options) {
    ObjectMovie movie(movie_path);
    const RgbImage sheet = render_contact_sheet(movie, options);
    std::vector<std::uint8_t> png;
    try {
        png = encode_png(sheet);
    } catch (const std::runtime_error& e) {
        throw tool_error("Cannot encode the contact sheet as PNG: " + std::string(e.what()) + ".");
    }
    write_file_atomically(png_path, png);
}

}  // namespace objecttool
