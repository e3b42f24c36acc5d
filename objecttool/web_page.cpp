#include "objecttool/web_page.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <tuple>

#include "objecttool/frame_decoder.h"
#include "objecttool/jpeg_frames.h"
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

// Every frame must be a JPEG image of the movie's size.
void check_jpeg(const ObjectMovie& movie, const std::vector<std::uint8_t>& jpeg, std::size_t index) {
    const auto& format = movie.format();
    int width = 0, height = 0;
    try {
        read_jpeg_size(jpeg, width, height);
    } catch (const std::runtime_error& e) {
        throw tool_error(movie.path() + ": frame " + std::to_string(index + 1) + " is not a readable JPEG image (" +
                         e.what() + ").");
    }
    if (width != format.width || height != format.height)
        throw tool_error(movie.path() + ": frame " + std::to_string(index + 1) + " is " + std::to_string(width) + " x " +
                         std::to_string(height) + ", not the movie's " + std::to_string(format.width) + " x " +
                         std::to_string(format.height) + ".");
}

// framesPerView, or the number of states; 1 when the config has none.
int count_of(const nlohmann::ordered_json& config, const char* field) {
    const auto it = config.find(field);
    if (it == config.end()) return 1;
    return it->is_array() ? std::max<int>(1, int(it->size())) : std::max(1, it->get<int>());
}

// The order frames go into the page: the opening state and row first, its
// columns coarse to fine (every eighth, every fourth, ...), so that the
// object can be turned roughly while the rest arrives; then rows outwards.
std::vector<std::size_t> arrival_order(const nlohmann::ordered_json& config, std::size_t count) {
    const int columns = config["columns"], rows = config["rows"], column = config["column"], row = config["row"];
    const int per_view = count_of(config, "framesPerView");
    const int state = config.value("defaultState", 0);
    auto key = [&](std::size_t i) {
        const int k = int(i) % per_view, view = int(i) / per_view, c = view % columns, r = view / columns % rows,
                  s = view / (columns * rows);
        const unsigned offset = unsigned((c - column + columns) % columns);
        const int level = offset == 0 ? -32 : -std::countr_zero(offset);
        return std::make_tuple(s != state, k != 0, std::abs(r - row), level, c, s, r, k);
    };
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
    return order;
}

std::string json_in_html(const nlohmann::ordered_json& json) {
    std::string text = json.dump(-1, ' ', true);
    // '<' only occurs inside strings, where the escape keeps the script block open.
    for (std::size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at)) text.replace(at, 1, "\\u003c");
    return text;
}

std::string url_escaped(const std::string& name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char ch : name) {
        if (std::isalnum(ch) || ch == '-' || ch == '_' || ch == '.' || ch == '~') out += char(ch);
        else out += {'%', hex[ch >> 4], hex[ch & 15]};
    }
    return out;
}

void write_frame_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    if (!file) throw tool_error("Cannot write " + path + ": " + std::strerror(errno) + ".");
}

mode_t file_mask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

PageViewer movie_viewer(ObjectMovie& movie, const std::string& title, const WebOptions& options) {
    movie.require_object_grid();
    PageConfigOptions config_options;
    config_options.stereo = options.stereo;
    config_options.autoplay = options.autoplay;
    PageViewer viewer{page_config(movie, config_options), options.title.empty() ? title : options.title, 0, {}};
    auto& config = viewer.config;
    // Frames travel in blocks that carry their own index; the page needs neither sizes nor a key.
    config.erase("frames");
    config.erase("key");
    if (options.view) {
        const auto [column, row] = *options.view;
        if (column < 0 || column >= movie.columns() || row < 0 || row >= movie.rows())
            throw tool_error("The view " + std::to_string(column + 1) + "," + std::to_string(row + 1) + " is outside " +
                             movie.path() + "'s " + std::to_string(movie.columns()) + " columns and " +
                             std::to_string(movie.rows()) + " rows.");
        config["column"] = column;
        config["row"] = row;
    }
    // The angle each column and row shows, for the viewer's spoken text.
    if (!config.contains("pans")) {
        const ObjectRecord& record = *movie.record();
        for (int c = 0; c < movie.columns(); ++c) config["pans"].push_back(record.pan_at(c));
        for (int r = 0; r < movie.rows(); ++r) config["tilts"].push_back(record.tilt_at(r));
    }
    if (options.intro_hover) config["intro"] = "hover";
    else if (options.intro_turns > 0) config["intro"] = options.intro_turns;
    // Frame i of the page is the sample page_samples()[i]: with view states, animated
    // views or views found by time, a frame's place in the page is not its sample number.
    viewer.frame_count = movie.page_samples().size();
    if (movie.format().codec == four_cc("jpeg")) {
        viewer.frame = [&movie](std::size_t i) {
            const std::uint32_t sample = movie.page_samples()[i];
            std::vector<std::uint8_t> jpeg = movie.sample(sample);
            check_jpeg(movie, jpeg, sample);
            return jpeg;
        };
    } else {
        std::shared_ptr<FrameDecoder> decoder = FrameDecoder::for_movie(movie);
        const int quality = options.jpeg_quality;
        viewer.frame = [&movie, decoder, quality](std::size_t i) {
            return encode_jpeg(decoder->decode(movie.page_samples()[i], 1), quality);
        };
    }
    return viewer;
}

void write_page(const AppendBytes& out, const std::vector<PageViewer>& viewers, const WebOptions& options,
                const std::string& frames_folder, const std::string& frames_url) {
    const bool folder = !frames_folder.empty();
    // Several viewers keep their frames in numbered subfolders.
    auto frame_name = [&](std::size_t j, std::size_t i) {
        return (viewers.size() > 1 ? std::to_string(j + 1) + "/" : "") + std::to_string(i) + ".jpg";
    };
    std::string figures, page_title = options.title;
    for (std::size_t j = 0; j < viewers.size(); ++j) {
        const PageViewer& v = viewers[j];
        auto config = v.config;
        const int columns = config["columns"], rows = config["rows"], column = config["column"], row = config["row"];
        const int state = config.value("defaultState", 0), width = config["width"], height = config["height"];
        const auto opening = std::size_t(((state * rows + row) * columns + column) * count_of(config, "framesPerView"));
        if (folder) config["src"] = frames_url + (viewers.size() > 1 ? std::to_string(j + 1) + "/" : "");
        if (options.title.empty()) page_title += (j ? ", " : "") + v.title;
        figures += fill_template(
            viewer_figure_template(),
            {{"id", "ov" + std::to_string(j + 1)},
             {"title", html_text(v.title)},
             {"ratio", std::to_string(double(width) / height)},
             {"width", std::to_string(width)},
             // The box fits the space it is given; without --grow never beyond the frame's own size.
             {"cap", options.grow ? "100%" : std::to_string(width) + "px"},
             {"height", std::to_string(height)},
             {"column", std::to_string(column)},
             {"row", std::to_string(row)},
             {"state", std::to_string(state)},
             {"poster", folder ? frames_url + frame_name(j, opening) : "data:image/jpeg;base64," + base64(v.frame(opening))},
             {"config", json_in_html(config)}});
    }
    const std::string page =
        fill_template(viewer_page_template(), {{"title", html_text(page_title)},
                                               {"body", options.bare ? "ov-bare" : ""},
                                               {"heading", options.bare ? "" : "<h1>" + html_text(page_title) + "</h1>\n"},
                                               {"style", viewer_style()},
                                               {"script", viewer_script()},
                                               {"viewers", figures},
                                               {"frames", std::string("\0frames\0", 8)}});
    // A marker no value can hold: html_text writes control characters as references.
    const std::string marker("\0frames\0", 8);
    const std::size_t split = page.find(marker);
    out(page.data(), split);
    for (std::size_t j = 0; j < viewers.size(); ++j) {
        if (folder && viewers.size() > 1) std::filesystem::create_directory(frames_folder + "/" + std::to_string(j + 1));
        for (std::size_t i : arrival_order(viewers[j].config, viewers[j].frame_count)) {
            const std::vector<std::uint8_t> jpeg = viewers[j].frame(i);
            if (folder) {
                write_frame_file(frames_folder + "/" + frame_name(j, i), jpeg);
                continue;
            }
            const std::string block = "<script type=\"text/plain\" class=\"ov-f\" data-for=\"ov" + std::to_string(j + 1) +
                                      "\" data-i=\"" + std::to_string(i) + "\">" + base64(jpeg) + "</script>";
            out(block.data(), block.size());
        }
    }
    out("\n", 1);
    out(page.data() + split + marker.size(), page.size() - split - marker.size());
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
    std::string page;
    write_page([&](const char* data, std::size_t size) { page.append(data, size); },
               {movie_viewer(movie, title, options)}, options);
    return page;
}

void write_web_page(const std::string& movie_path, const std::string& html_path, const WebOptions& options) {
    write_web_page(std::vector<std::string>{movie_path}, html_path, options);
}

void write_web_page(const std::vector<std::string>& movie_paths, const std::string& html_path,
                    const WebOptions& options) {
    std::vector<std::unique_ptr<ObjectMovie>> movies;
    std::vector<PageViewer> viewers;
    for (const std::string& path : movie_paths) {
        movies.push_back(std::make_unique<ObjectMovie>(path));
        viewers.push_back(movie_viewer(*movies.back(), std::filesystem::path(path).filename().string(), options));
    }
    if (!options.folder) {
        write_file_atomically(html_path, [&](const AppendBytes& out) { write_page(out, viewers, options); });
        return;
    }
    // The folder form: frames go into a hidden folder beside the page, which
    // takes the place of PAGE-frames/ only once every frame is written.
    namespace fs = std::filesystem;
    const fs::path page(html_path);
    const fs::path parent = page.has_parent_path() ? page.parent_path() : fs::path(".");
    const std::string name = page.stem().string() + "-frames";
    const fs::path target = parent / name;
    // Only a frames folder of an earlier page is replaced: a file or a link of the
    // user's by that name is never moved aside and removed.
    std::error_code status_error;
    const fs::file_status existing = fs::symlink_status(target, status_error);
    if (fs::exists(existing) && !fs::is_directory(existing))
        throw tool_error("Cannot write the page's frames into " + target.string() +
                         ": it exists and is not a folder; move it away or choose another page name.");
    std::string temp = (parent / ("." + name + ".part-XXXXXX")).string();
    if (!::mkdtemp(temp.data())) throw tool_error("Cannot write " + target.string() + ": " + std::strerror(errno) + ".");
    ::chmod(temp.c_str(), 0777 & ~file_mask());
    try {
        write_file_atomically(html_path, [&](const AppendBytes& out) {
            write_page(out, viewers, options, temp, url_escaped(name) + "/");
            std::error_code error;
            const fs::path old = temp + "-old";
            if (fs::exists(target)) fs::rename(target, old, error);
            if (!error) fs::rename(temp, target, error);
            if (error) throw tool_error("Cannot write " + target.string() + ": " + error.message() + ".");
            fs::remove_all(old, error);
        });
    } catch (...) {
        std::error_code ignored;
        fs::remove_all(temp, ignored);
        throw;
    }
}

}  // namespace objecttool
