// web over many movies: one page per movie in an output folder, and an index
// page with a thumbnail and the grid of each. A movie that cannot be read gets
// its one-line error and the others go on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "objecttool/web_page.h"

namespace objecttool {

struct BatchEntry {
    std::string movie;        // as given or found in a folder
    std::string page;         // file name of its page in the output folder; empty when it failed
    std::string error;        // the one-line error when it failed
    std::string thumbnail;    // JPEG of the opening view, base64
    std::string grid;         // "36 x 10 views", with view states and frames per view when more than one
};

// The movies to read: files as given; a folder's files (not its sub-folders,
// nor hidden files) in name order. Throws tool_error for a path that does not exist.
std::vector<std::string> batch_movies(const std::vector<std::string>& inputs);

// Writes each movie's page and then index.html into `out_folder` (created when
// missing), each file whole. `report` hears each failure's sentence as it
// happens. Answers every movie's entry; throws tool_error only when the folder
// or the index cannot be written.
std::vector<BatchEntry> write_web_pages(const std::vector<std::string>& movies, const std::string& out_folder,
                                        const WebOptions& options, const std::function<void(const std::string&)>& report);

// The index page for the entries (failures listed by their error).
std::string build_index_page(const std::vector<BatchEntry>& entries);

}  // namespace objecttool
