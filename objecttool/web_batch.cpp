#include "objecttool/web_batch.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "objecttool/frame_decoder.h"
#include "objecttool/jpeg_frames.h"
#include "objecttool/output_file.h"
#include "objecttool/page_config.h"
#include "objecttool/tool_error.h"

namespace fs = std::filesystem;

namespace objecttool {

namespace {

constexpr int thumbnail_width = 160;

// A page name from the movie's name: unsafe characters become '_', and a
// name already taken gets "-2", "-3", ...
std::string page_name(const std::string& movie, std::set<std::string>& taken) {
    std::string stem = fs::path(movie).stem().string();
    if (stem.rfind("._", 0) == 0) stem.erase(0, 2);  // an AppleDouble file names the movie it holds
    for (char& c : stem)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.')) c = '_';
    if (stem.empty() || stem == "index") stem = "movie-" + stem;
    std::string name = stem + ".html";
    for (int n = 2; !taken.insert(name).second; ++n) name = stem + "-" + std::to_string(n) + ".html";
    return name;
}

std::string grid_text(const ViewGrid& g) {
    std::string text = std::to_string(g.columns) + " \u00D7 " + std::to_string(g.rows) + " views";
    if (g.states > 1) text += ", " + std::to_string(g.states) + " view states";
    if (g.frames_per_view > 1) text += ", " + std::to_string(g.frames_per_view) + " frames each";
    return text;
}

std::string thumbnail(ObjectMovie& movie) {
    const OpeningView view = opening_view(movie);
    int shrink = 1;
    while (shrink < 8 && movie.format().width / (shrink * 2) >= thumbnail_width) shrink *= 2;
    const RgbImage image = FrameDecoder::for_movie(movie)->decode(
        movie.grid().sample(movie.grid().default_state, view.row, view.column), shrink);
    return base64(encode_jpeg(image, 80));
}

// A movie that fails may be the data fork of a Mac copy whose "._" file beside it holds the movie.
std::string apple_double_beside(const std::string& movie) {
    const fs::path p(movie);
    const fs::path double_file = p.parent_path() / ("._" + p.filename().string());
    std::error_code ec;
    return fs::is_regular_file(double_file, ec) ? double_file.string() : std::string();
}

}  // namespace

std::vector<std::string> batch_movies(const std::vector<std::string>& inputs) {
    std::vector<std::string> movies;
    for (const std::string& input : inputs) {
        std::error_code ec;
        const fs::file_status status = fs::status(input, ec);
        if (!fs::exists(status)) throw tool_error(input + " does not exist.");
        if (!fs::is_directory(status)) {
            movies.push_back(input);
            continue;
        }
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(input, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.empty() || name[0] == '.' || !entry.is_regular_file(ec)) continue;
            found.push_back(entry.path().string());
        }
        if (ec) throw tool_error("Cannot list the folder " + input + ": " + ec.message() + ".");
        std::sort(found.begin(), found.end());
        movies.insert(movies.end(), found.begin(), found.end());
    }
    return movies;
}

std::vector<BatchEntry> write_web_pages(const std::vector<std::string>& movies, const std::string& out_folder,
                                        const WebOptions& options, const std::function<void(const std::string&)>& report) {
    std::error_code ec;
    fs::create_directories(out_folder, ec);
    if (!fs::is_directory(out_folder)) throw tool_error("Cannot write into the folder " + out_folder + ": " +
                                                        (ec ? ec.message() : "it is not a folder") + ".");
    std::vector<BatchEntry> entries;
    std::set<std::string> taken{"index.html"};
    for (const std::string& path : movies) {
        BatchEntry entry;
        entry.movie = path;
        auto page_for = [&](const std::string& source) {
            ObjectMovie movie(source);
            const std::string page = build_web_page(movie, fs::path(path).filename().string(), options);
            entry.thumbnail = thumbnail(movie);
            entry.grid = grid_text(movie.grid());
            return page;
        };
        try {
            std::string page;
            try {
                page = page_for(path);
            } catch (const tool_error&) {
                const std::string double_file = apple_double_beside(path);
                if (double_file.empty()) throw;
                page = page_for(double_file);
            }
            entry.page = page_name(path, taken);
            write_file_atomically((fs::path(out_folder) / entry.page).string(), page);
        } catch (const tool_error& e) {
            entry.page.clear();
            entry.error = e.what();
        } catch (const std::bad_alloc&) {
            entry.page.clear();
            entry.error = path + ": out of memory.";
        }
        if (!entry.error.empty()) report(entry.error);
        entries.push_back(std::move(entry));
    }
    write_file_atomically((fs::path(out_folder) / "index.html").string(), build_index_page(entries));
    return entries;
}

std::string build_index_page(const std::vector<BatchEntry>& entries) {
    std::size_t shown = 0;
    for (const auto& e : entries) shown += !e.page.empty();
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>Object movies</title>\n"
        "<style>body{font:16px/1.4 system-ui,sans-serif;margin:1.5rem;background:#f4f4f4;color:#222}"
        "ul{list-style:none;padding:0;display:grid;grid-template-columns:repeat(auto-fill,minmax(180px,1fr));gap:1rem}"
        "li{background:#fff;border-radius:6px;padding:.5rem;box-shadow:0 1px 3px #0003}"
        "a{color:inherit;text-decoration:none}a:focus-visible{outline:3px solid #0060df}"
        "img{display:block;width:100%;height:auto;background:#ddd}.name{font-weight:600;overflow-wrap:anywhere}"
        ".grid{color:#555;font-size:.9em}.failed{color:#a00;overflow-wrap:anywhere}</style>\n</head>\n<body>\n"
        "<h1>Object movies</h1>\n<p>" + std::to_string(shown) + " of " + std::to_string(entries.size()) +
        " movies.</p>\n<ul>\n";
    for (const auto& e : entries) {
        const std::string name = html_text(fs::path(e.movie).filename().string());
        if (e.page.empty()) {
            html += "<li class=\"failed\"><span class=\"name\">" + name + "</span><br>" + html_text(e.error) + "</li>\n";
            continue;
        }
        html += "<li><a href=\"" + e.page + "\"><img alt=\"\" src=\"data:image/jpeg;base64," + e.thumbnail +
                "\"><span class=\"name\">" + name + "</span><br><span class=\"grid\">" + html_text(e.grid) +
                "</span></a></li>\n";
    }
    return html + "</ul>\n</body>\n</html>\n";
}

}  // namespace objecttool
