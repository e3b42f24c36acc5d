#include "simhost/command_line/object_views.h"

#include <cstdio>

#if SIMHOST_WITH_OBJECT_TOOL
#include "objecttool/contact_sheet.h"
#include "objecttool/tool_error.h"
#include "objecttool/web_page.h"
#endif

#include "simhost/command_line/cli_support.h"

namespace simhost {

std::string beside_movie(const std::string& movie, const std::string& name) {
#if defined(_WIN32)
    const char* separators = "/\\";
#else
    const char* separators = "/";
#endif
    if (name.find_first_of(separators) != std::string::npos) return absolute_path(name);
    return movie.substr(0, movie.find_last_of(separators) + 1) + name;
}

#if SIMHOST_WITH_OBJECT_TOOL

bool object_views_available() { return true; }

bool write_object_views(const std::string& movie, const ObjectViewRequest& request, std::string& problem) {
    try {
        if (request.web) {
            objecttool::WebOptions options;
            if (request.stereo)
                options.stereo = request.cross ? objecttool::StereoLayout::cross : objecttool::StereoLayout::parallel;
            objecttool::write_web_page(movie, *request.web, options);
            std::printf("Wrote %s\n", request.web->c_str());
        }
        if (request.sheet) {
            objecttool::write_contact_sheet(movie, *request.sheet, {});
            std::printf("Wrote %s\n", request.sheet->c_str());
        }
    } catch (const objecttool::tool_error& e) {
        problem = e.what();
        return false;
    }
    return true;
}

#else

bool object_views_available() { return false; }

bool write_object_views(const std::string&, const ObjectViewRequest& request, std::string& problem) {
    if (!request.web && !request.sheet) return true;
    problem = "This build cannot write web pages or contact sheets.";
    return false;
}

#endif

}  // namespace simhost
