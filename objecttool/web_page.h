// web: one self-contained HTML page that shows the object and turns it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "objecttool/object_movie.h"
#include "objecttool/page_config.h"

namespace objecttool {

struct WebOptions {
    StereoLayout stereo = StereoLayout::none;
    bool autoplay = false;  // start spinning once loaded (never with reduced motion)
    int jpeg_quality = 90;  // for frames that are not JPEG already
};

// The page's frames travel as raw bytes inside a text block of a
// windows-1252 page, where every byte value survives except four that HTML
// parsing would change or that would end the block: NUL, CR, '<' and the
// escape '=' itself. Each byte is XORed with `key`, and those four are then
// written as '=' followed by the value XOR 0x40. The key that needs the
// fewest escapes for the given bytes keeps the page close to their size.
std::uint8_t page_key(const std::vector<std::vector<std::uint8_t>>& frames);
std::string page_safe_bytes(const std::vector<std::uint8_t>& bytes, std::uint8_t key);
std::string base64(const std::vector<std::uint8_t>& bytes);
// Text for an HTML page in windows-1252: markup characters and everything
// beyond ASCII as character references. `utf8` is read as UTF-8.
std::string html_text(const std::string& utf8);

// Throws tool_error.
std::string build_web_page(ObjectMovie& movie, const std::string& title, const WebOptions& options);
// Reads the movie, builds the page and writes it; nothing is written on failure.
void write_web_page(const std::string& movie_path, const std::string& html_path, const WebOptions& options);

}  // namespace objecttool
