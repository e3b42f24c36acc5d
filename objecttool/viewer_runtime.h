// The web viewer's page and figure templates, style and script (viewer/), compiled in at
// build time by embed_viewer.cmake. Style and script arrive with comment lines
// and indentation removed; nothing else is changed.
#pragma once

#include <string>

namespace objecttool {

const std::string& viewer_page_template();
const std::string& viewer_figure_template();  // one viewer, repeated for each on a page
const std::string& viewer_style();
const std::string& viewer_script();

}  // namespace objecttool
