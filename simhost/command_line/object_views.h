// --web and --sheet: the page and contact sheet of the capture just made,
// written by the object-movie tool's library where this build has it.
#pragma once

#include <optional>
#include <string>

namespace simhost {

struct ObjectViewRequest {
    std::optional<std::string> web, sheet;  // absolute paths
    bool stereo = false;
    bool cross = false;  // the stereo halves hold the eyes crossed
};

// Where a --web or --sheet file goes: a bare name beside the movie, any
// other path as given (relative to the current folder).
std::string beside_movie(const std::string& movie, const std::string& name);
// False when this build cannot write pages and sheets.
bool object_views_available();
// Writes what is asked, each file whole or not at all; prints each path. On
// failure returns false with one sentence in `problem`.
bool write_object_views(const std::string& movie, const ObjectViewRequest& request, std::string& problem);

}  // namespace simhost
