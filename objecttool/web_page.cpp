#include "objecttool/web_page.h"

#include <filesystem>
#include <map>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "objecttool/frame_decoder.h"
#include "objecttool/jpeg_frames.h"
#include "objecttool/output_file.h"
#include "objecttool/tool_error.h"
#include "objecttool/viewer_runtime.h"
#include "quicktime/qt_types.h"

namespace objecttool {

namespace {

// The template with each {{name}} replaced by its value, in one pass, so no
// value is ever searched for names.
std::string fill_template(const std::string& text, const std::map<std::string, std::string>& values) {
    std::string out;
    std::size_t done = 0;
    for (std::size_t at = text.find("{{"); at != std::string::npos; at = text.find("{{", done)) {
        const std::size_t end = text.find("}}", at);
        const auto value = end == std::string::npos ? values.end() : values.find(text.substr(at + 2, end - at - 2));
        if (value == values.end()) throw std::logic_error("the page template names an unknown value");
        out.append(text, done, at - done);
        out += value->second;
        done = end + 2;
    }
    out.append(text, done);
    return out;
}

// Every frame as JPEG bytes, in the page's order: stored JPEG frames as they
// are (their headers checked), others decoded and encoded once.
std::vector<std::vector<std::uint8_t>> jpeg_frames(ObjectMovie& movie, const WebOptions& options) {
    const auto& format = movie.format();
    const bool stored_jpeg = format.codec == four_cc("jpeg");
    std::unique_ptr<FrameDecoder> decoder = stored_jpeg ? nullptr : FrameDecoder::for_movie(movie);
    std::vector<std::vector<std::uint8_t>> frames;
    for (const std::uint32_t sample : movie.page_samples()) {
        if (!stored_jpeg) {
            frames.push_back(encode_jpeg(decoder->decode(sample, 1), options.jpeg_quality));
            continue;
        }
        frames.push_back(movie.sample(sample));
        int width = 0, height = 0;
        try {
            read_jpeg_size(frames.back(), width, height);
        } catch (const std::runtime_error& e) {
            throw tool_error(movie.path() + ": frame " + std::to_string(sample + 1) +
                             " is not a readable JPEG image (" + e.what() + ").");
        }
        if (width != format.width || height != format.height)
            throw tool_error(movie.path() + ": frame " + std::to_string(sample + 1) + " is " + std::to_string(width) +
                             " x " + std::to_string(height) + ", not the movie's " + std::to_string(format.width) +
                             " x " + std::to_string(format.height) + ".");
    }
    return frames;
}

}  // namespace

namespace {

bool needs_escape(std::uint8_t b) { return b == 0x00 || b == 0x0D || b == '<' || b == '='; }

}  // namespace

std::uint8_t page_key(const std::vector<std::vector<std::uint8_t>>& frames) {
    std::uint64_t counts[256] = {};
    for (const auto& frame : frames)
        for (std::uint8_t b : frame) ++counts[b];
    std::uint8_t best = 0;
    std::uint64_t fewest = UINT64_MAX;
    for (unsigned key = 0; key < 256; ++key) {
        std::uint64_t escapes = 0;
        for (unsigned b = 0; b < 256; ++b)
            if (needs_escape(std::uint8_t(b ^ key))) escapes += counts[b];
        if (escapes < fewest) {
            fewest = escapes;
            best = std::uint8_t(key);
        }
    }
    return best;
}

std::string page_safe_bytes(const std::vector<std::uint8_t>& bytes, std::uint8_t key) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 64);
    for (std::uint8_t original : bytes) {
        const std::uint8_t b = original ^ key;
        if (needs_escape(b)) {
            text += '=';
            text += char(b ^ 0x40);
        } else {
            text += char(b);
        }
    }
    return text;
}

std::string base64(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t n = std::uint32_t(bytes[i]) << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                                (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        text += digits[n >> 18 & 63];
        text += digits[n >> 12 & 63];
        text += i + 1 < bytes.size() ? digits[n >> 6 & 63] : '=';
        text += i + 2 < bytes.size() ? digits[n & 63] : '=';
    }
    return text;
}

std::string html_text(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = std::uint8_t(utf8[i]);
        std::uint32_t code = 0xFFFD;
        std::size_t length = 1;
        if (b < 0x80) code = b;
        else if (b >= 0xC2 && b < 0xF5) {
            length = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            code = b & (0x3F >> (length - 1));
            for (std::size_t k = 1; k < length; ++k) {
                const auto c = i + k < utf8.size() ? std::uint8_t(utf8[i + k]) : 0;
                if ((c & 0xC0) != 0x80) {
                    code = 0xFFFD;
                    length = k;
                    break;
                }
                code = code << 6 | (c & 0x3F);
            }
        }
        i += length;
        if (code == '&') out += "&amp;";
        else if (code == '<') out += "&lt;";
        else if (code == '>') out += "&gt;";
        else if (code == '"') out += "&quot;";
        else if (code >= 0x20 && code < 0x7F) out += char(code);
        else out += "&#" + std::to_string(code < 0x20 || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF ? 0xFFFD : code) + ";";
    }
    return out;
}

std::string build_web_page(ObjectMovie& movie, const std::string& title, const WebOptions& options) {
    movie.require_object_grid();
    const std::vector<std::vector<std::uint8_t>> frames = jpeg_frames(movie, options);
    const auto [column, row] = opening_view(movie);
    const int columns = movie.columns(), rows = movie.rows();
    const auto& format = movie.format();

    PageConfigOptions config_options;
    config_options.stereo = options.stereo;
    config_options.autoplay = options.autoplay;
    config_options.key = page_key(frames);
    std::string blob;
    std::size_t total = 0;
    for (const auto& f : frames) total += f.size();
    blob.reserve(total + total / 64);
    for (const auto& f : frames) {
        config_options.frame_sizes.push_back(f.size());
        blob += page_safe_bytes(f, config_options.key);
    }
    const nlohmann::ordered_json config = page_config(movie, config_options);
    std::string config_text = config.dump(-1, ' ', true);
    // '<' only occurs inside strings, where the escape keeps the text block open.
    for (std::size_t at = config_text.find('<'); at != std::string::npos; at = config_text.find('<', at))
        config_text.replace(at, 1, "\\u003c");

    return fill_template(viewer_page_template(),
                         {{"title", html_text(title)},
                          {"style", viewer_style()},
                          {"script", viewer_script()},
                          {"width", std::to_string(format.width)},
                          {"height", std::to_string(format.height)},
                          {"views", std::to_string(columns * rows)},
                          {"view", std::to_string(row * columns + column + 1)},
                          {"column", std::to_string(column)},
                          {"row", std::to_string(row)},
                          {"valuetext", "column " + std::to_string(column + 1) + " of " + std::to_string(columns) +
                                            ", row " + std::to_string(row + 1) + " of " + std::to_string(rows)},
                          {"config", config_text},
                          {"poster", base64(frames[std::size_t(((movie.grid().default_state * rows + row) * columns + column) *
                                                                movie.grid().frames_per_view)])},
                          {"frames", blob}});
}

void write_web_page(const std::string& movie_path, const std::string& html_path, const WebOptions& options) {
    ObjectMovie movie(movie_path);
    const std::string page = build_web_page(movie, std::filesystem::path(movie_path).filename().string(), options);
    write_file_atomically(html_path, page);
}

}  // namespace objecttool
