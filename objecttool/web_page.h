// web: an HTML page that shows the object and turns it. By default one
// self-contained file; in the folder form a small page beside a folder of
// frame files that a web server and browsers can cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "objecttool/object_movie.h"
#include "objecttool/output_file.h"
#include "objecttool/page_config.h"

namespace objecttool {

struct WebOptions {
    StereoLayout stereo = StereoLayout::none;
    bool autoplay = false;                // spin until the reader acts (never with reduced motion)
    int jpeg_quality = 90;                // for frames that are not JPEG already
    std::string title;                    // the page's and the viewer's name; empty: the movie's file name
    std::optional<OpeningView> view;      // open on this view instead of the record's
    bool folder = false;                  // frames as files in PAGE-frames/ beside the page
    bool bare = false;                    // no heading, no hint, no margins: for embedding
    bool grow = false;                    // may show frames larger than their own size, to fill the space given
    int intro_turns = 0;                  // turns of a spin when the viewer first comes into view
    bool intro_hover = false;             // spin while the mouse is over the viewer
};

// One viewer of a page: the config its script reads (page_config's fields)
// and its frames, JPEG bytes in the config's frame order, read one at a time.
struct PageViewer {
    nlohmann::ordered_json config;
    std::string title;
    std::size_t frame_count = 0;
    std::function<std::vector<std::uint8_t>(std::size_t)> frame;
};

// The viewer of a movie (which must outlive it). Throws tool_error.
PageViewer movie_viewer(ObjectMovie& movie, const std::string& title, const WebOptions& options);

// Writes a page of one or more viewers to `out`, holding one frame at a time.
// In the folder form, frames go as files into `frames_folder`, which the page
// names as `frames_url`. Throws tool_error.
void write_page(const AppendBytes& out, const std::vector<PageViewer>& viewers, const WebOptions& options,
                const std::string& frames_folder = {}, const std::string& frames_url = {});

std::string base64(const std::vector<std::uint8_t>& bytes);
// Text for an HTML page in any ASCII-compatible charset: markup characters
// and everything beyond ASCII as character references. `utf8` is read as UTF-8.
std::string html_text(const std::string& utf8);

// The self-contained page in memory. Throws tool_error.
std::string build_web_page(ObjectMovie& movie, const std::string& title, const WebOptions& options);
// Reads the movies, writes the page (and its frame folder) with one viewer
// for each; nothing is replaced on failure.
void write_web_page(const std::string& movie_path, const std::string& html_path, const WebOptions& options);
void write_web_page(const std::vector<std::string>& movie_paths, const std::string& html_path,
                    const WebOptions& options);

}  // namespace objecttool
