#include "simhost/command_line/quicktime_location.h"

#include "platform/platform.h"
#include "quicktime/qt_locator.h"
#include "quicktime/qt_names.h"
#include "simhost/command_line/cli_support.h"

namespace simhost {

namespace {

// What load_quicktime_library leaves for a folder: its 260-byte buffer less the file name.
constexpr std::uint32_t folder_budget = platform::max_path - (sizeof qt_name::library - 1);

}  // namespace

std::string quicktime_library_for(const std::string& plugin_path) {
    pin_plugin_system_directory(plugin_path);
    // The same two places, in the same order, as the loader tries them.
    char folder[platform::max_path] = {};
    if (find_quicktime_folder(folder, folder_budget)) {
        const std::string library = std::string(folder) + qt_name::library;
        if (is_regular_file(library)) return library;
    }
    if (find_quicktime_extension_folder(folder, folder_budget) > 0) {
        const std::string library = std::string(folder) + qt_name::library;
        if (is_regular_file(library)) return library;
    }
    return {};
}

}  // namespace simhost
