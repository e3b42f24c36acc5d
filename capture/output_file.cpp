#include "capture/output_file.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/platform.h"
#include "plugin/module_instance.h"

namespace {

constexpr char save_filter[] = "QTVR Object file\0*.mov\0";  // the literal adds the closing zero
constexpr char default_extension[] = "mov";
constexpr std::uint32_t overwrite_prompt = 0x2;              // OFN_OVERWRITEPROMPT
constexpr int max_alternative_names = 999;

// directory + title into out (platform::max_path bytes); false when it would not fit.
bool join(std::string_view directory, std::string_view title, char* out) {
    if (directory.size() + title.size() + 1 > platform::max_path) return false;
    std::memcpy(out, directory.data(), directory.size());
    std::memcpy(out + directory.size(), title.data(), title.size());
    out[directory.size() + title.size()] = '\0';
    return true;
}

}  // namespace

bool make_temporary_path(const char* directory, const char* title, const char* user_path, char* temporary_path) {
    const std::string_view title_text(title);
    if (title_text.empty()) return false;
    // Recording goes to a name nothing holds yet: the frame movie is deleted at the end, so
    // recording over another program's file, or over the user's own output when it is saved
    // into the temporary folder (under any spelling of it), would destroy that file.
    platform::Platform& os = platform::current_platform();
    auto take_if_free = [&](const char* candidate) {
        if (os.path_exists(candidate) || os.same_file(candidate, user_path)) return false;
        std::memcpy(temporary_path, candidate, std::strlen(candidate) + 1);
        return true;
    };
    char candidate[platform::max_path];
    if (!join(directory, title_text, candidate)) return false;
    if (take_if_free(candidate)) return true;

    const std::size_t dot = title_text.rfind('.');
    const std::string_view stem = title_text.substr(0, dot);
    const std::string_view extension = dot == std::string_view::npos ? std::string_view() : title_text.substr(dot);
    for (int n = 1; n <= max_alternative_names; ++n) {
        char varied[platform::max_path];
        const int length = std::snprintf(varied, sizeof varied, "%.*s~%d%.*s", static_cast<int>(stem.size()),
                                         stem.data(), n, static_cast<int>(extension.size()), extension.data());
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof varied) return false;
        if (!join(directory, varied, candidate)) return false;
        if (take_if_free(candidate)) return true;
    }
    return false;
}

OutputChoice choose_output_file(char* user_path, char* temporary_path) {
    user_path[0] = '\0';
    temporary_path[0] = '\0';
    char title[platform::max_path] = {};

    platform::save_dialog_request request{};
    request.instance = module_instance;
    request.filter = save_filter;
    request.file = user_path;
    request.file_size = platform::max_path;
    request.file_title = title;
    request.title_size = platform::max_path;
    request.flags = overwrite_prompt;
    request.default_extension = default_extension;

    platform::Platform& os = platform::current_platform();
    if (!os.save_file_dialog(request) || user_path[0] == '\0') {
        user_path[0] = '\0';
        return OutputChoice::cancelled;
    }

    // GetTempPathA answers the length written, or the size it would need.
    char directory[platform::max_path] = {};
    const std::uint32_t length = os.temp_directory(platform::max_path, directory);
    if (length == 0 || length >= platform::max_path ||
        !make_temporary_path(directory, title, user_path, temporary_path)) {
        user_path[0] = '\0';
        temporary_path[0] = '\0';
        return OutputChoice::refused;
    }
    return OutputChoice::chosen;
}
