#include "quicktime/qt_locator.h"

#include <cstring>

#include "platform/platform.h"
#include "quicktime/qt_names.h"
#include "quicktime/qt_path_text.h"

namespace {

using platform::max_path;
constexpr std::uint32_t library_name_length = sizeof(qt_name::library) - 1;
constexpr std::uint32_t extension_subfolder_length = sizeof(qt_name::extension_folder);  // and its separator

// True when a folder text of length characters can still take its final separator in size bytes.
bool room_for_separator(const char* text, std::size_t length, std::uint32_t size) {
    return length == 0 || qt_path::ends_with_separator(text) || length + 2 <= size;
}

// The system directory, without its final separator but with room for it in size bytes;
// empty when the call fails or the text would not fit.
void read_system_directory(char* buffer, std::uint32_t size) {
    buffer[0] = '\0';
    // The call answers the length on success and the size it needs (more than it was given)
    // when the buffer is too small.
    const std::uint32_t length = platform::current_platform().system_directory(buffer, size);
    if (length == 0 || length >= size) {
        buffer[0] = '\0';
        return;
    }
    buffer[length] = '\0';
    if (!room_for_separator(buffer, length, size)) buffer[0] = '\0';
}

// Folder of an already loaded QuickTime.qts: its full file name without the file name.
// Only a name that leaves a spare byte in size is taken.
void read_loaded_module_folder(platform::module_handle module, char* buffer, std::uint32_t size) {
    char path[max_path + 1] = {};  // the spare zero terminates a name cut at max_path
    // A name cut to fit names no file: the answer is then the size given.
    const std::uint32_t answered = platform::current_platform().module_file_name(module, path, max_path);
    if (answered == 0 || answered >= max_path) return;
    const std::size_t length = std::strlen(path);
    if (length <= library_name_length || length - (library_name_length - 1) >= size) return;
    const std::size_t folder_length = length - library_name_length;
    std::memcpy(buffer, path, folder_length);
    buffer[folder_length] = '\0';
}

// Keeps a registry folder only when it exists.
void read_existing_dir_value(const char* value_name, char* buffer, std::uint32_t size) {
    read_quicktime_dir_value(value_name, buffer, size);
    if (buffer[0] != '\0' && !platform::current_platform().path_exists(buffer)) buffer[0] = '\0';
}

}  // namespace

void read_quicktime_dir_value(const char* value_name, char* buffer, std::uint32_t size) {
    if (!buffer || size == 0) return;
    std::memset(buffer, 0, size);
    if (size < 2) return;
    platform::Platform& os = platform::current_platform();
    if (!os.read_machine_string(qt_name::registry_key, value_name, buffer, size)) {
        buffer[0] = '\0';
        return;
    }
    // A value stored without its terminator can fill every byte: then nothing fits after it.
    if (buffer[size - 1] != '\0') {
        buffer[0] = '\0';
        return;
    }
    // A folder that cannot take its separator within size is as good as absent.
    if (!room_for_separator(buffer, std::strlen(buffer), size)) {
        buffer[0] = '\0';
        return;
    }
    qt_path::end_with_separator(buffer);
}

bool find_quicktime_folder(char* buffer, std::uint32_t size) {
    if (!buffer || size == 0) return false;
    buffer[0] = '\0';
    platform::Platform& os = platform::current_platform();

    // A QuickTime the host already loaded decides alone, wherever it came from.
    if (platform::module_handle loaded = os.loaded_module(qt_name::library)) {
        read_loaded_module_folder(loaded, buffer, size);
        if (buffer[0] == '\0') return false;
    }
    if (buffer[0] == '\0') read_existing_dir_value(qt_name::system_dir_value, buffer, size);
    if (buffer[0] == '\0') read_existing_dir_value(qt_name::library_folder_value, buffer, size);
    if (buffer[0] == '\0') {
        read_system_directory(buffer, size);
        if (buffer[0] != '\0' && !os.path_exists(buffer)) buffer[0] = '\0';
    }
    qt_path::end_with_separator(buffer);
    return buffer[0] != '\0';
}

std::uint32_t find_quicktime_extension_folder(char* buffer, std::uint32_t size) {
    if (!buffer || size == 0) return 0;
    read_quicktime_dir_value(qt_name::extension_dir_value, buffer, size);
    if (buffer[0] != '\0') return static_cast<std::uint32_t>(std::strlen(buffer));
    // Both work folders leave room for the subfolder text; beyond 270 they could not.
    if (size <= extension_subfolder_length || size > max_path + extension_subfolder_length) return 0;

    char system_dir[max_path] = {};
    char quicktime_folder[max_path] = {};
    const std::uint32_t work_size = size - extension_subfolder_length;
    read_system_directory(system_dir, work_size);
    if (!find_quicktime_folder(quicktime_folder, work_size)) return 0;
    qt_path::end_with_separator(system_dir);

    std::memcpy(buffer, quicktime_folder, std::strlen(quicktime_folder) + 1);
    // Byte for byte: a folder that differs from the system directory only in case is its own.
    if (std::strcmp(quicktime_folder, system_dir) == 0) qt_path::append_folder(buffer, size, qt_name::extension_folder);
    return static_cast<std::uint32_t>(std::strlen(buffer));
}

platform::module_handle load_quicktime_library(const char* file_name) {
    const std::size_t name_length = std::strlen(file_name);
    if (name_length == 0 || name_length >= max_path) return nullptr;
    // Folder, name and terminator share one MAX_PATH buffer.
    const auto folder_budget = static_cast<std::uint32_t>(max_path - name_length);
    platform::Platform& os = platform::current_platform();

    char path[max_path] = {};
    if (!find_quicktime_folder(path, folder_budget)) return nullptr;
    if (qt_path::append(path, sizeof path, file_name)) {
        if (platform::module_handle module = os.load_library(path)) return module;
    }
    if (find_quicktime_extension_folder(path, folder_budget) == 0) return nullptr;
    if (!qt_path::append(path, sizeof path, file_name)) return nullptr;
    return os.load_library(path);
}
