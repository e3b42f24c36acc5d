// Where the plug-in will find its QuickTime library, asked before anything is rendered.
#pragma once

#include <string>

namespace simhost {

// The QuickTime.qts the plug-in at plugin_path will load, found by the plug-in's own
// search (quicktime/qt_locator.h) in this process; empty when it will find none.
std::string quicktime_library_for(const std::string& plugin_path);

}  // namespace simhost
