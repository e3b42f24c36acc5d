#include "platform/tests/test_platform.h"

TestPlatform::TestPlatform() : previous_(&platform::current_platform()) { platform::install_platform(this); }

TestPlatform::~TestPlatform() { platform::install_platform(previous_ == &native() ? nullptr : previous_); }

platform::module_handle TestPlatform::loaded_module(const char* file_name) { return native().loaded_module(file_name); }

std::uint32_t TestPlatform::module_file_name(platform::module_handle module, char* buffer, std::uint32_t size) {
    return native().module_file_name(module, buffer, size);
}

platform::module_handle TestPlatform::load_library(const char* path) {
    loads.emplace_back(path);
    return native().load_library(path);
}

platform::entry_point TestPlatform::find_entry(platform::module_handle module, const char* name) {
    return native().find_entry(module, name);
}

bool TestPlatform::free_library(platform::module_handle module) { return native().free_library(module); }

bool TestPlatform::read_machine_string(const char* key, const char* value, char* buffer, std::uint32_t size) {
    return native().read_machine_string(key, value, buffer, size);
}

bool TestPlatform::path_exists(const char* path) {
    existence_queries.emplace_back(path);
    return files ? files->count(path) != 0 : native().path_exists(path);
}

std::uint32_t TestPlatform::system_directory(char* buffer, std::uint32_t size) {
    ++system_dir_reads;
    return native().system_directory(buffer, size);
}

std::uint32_t TestPlatform::temp_directory(std::uint32_t size, char* buffer) {
    return native().temp_directory(size, buffer);
}

bool TestPlatform::delete_file(const char* path) {
    if (!files) return native().delete_file(path);
    file_operations.push_back(std::string("delete ") + path);
    return files->erase(path) != 0;
}

bool TestPlatform::same_file(const char* a, const char* b) {
    if (!files) return native().same_file(a, b);
    return std::string(a) == b || aliases.count({a, b}) != 0 || aliases.count({b, a}) != 0;
}

bool TestPlatform::replace_file(const char* from, const char* to) {
    if (!files) return native().replace_file(from, to);
    file_operations.push_back(std::string("replace ") + from + " -> " + to);
    return true;
}

std::uint32_t TestPlatform::version_info_size(const char* path) { return native().version_info_size(path); }

bool TestPlatform::version_info(const char* path, std::uint32_t size, void* block) {
    return native().version_info(path, size, block);
}

bool TestPlatform::query_fixed_file_version(const void* block, std::uint32_t* most, std::uint32_t* least) {
    return native().query_fixed_file_version(block, most, least);
}

void* TestPlatform::alloc_zeroed(std::uint32_t size) { return native().alloc_zeroed(size); }
void TestPlatform::free_block(void* block) { native().free_block(block); }

bool TestPlatform::save_file_dialog(const platform::save_dialog_request& request) {
    return native().save_file_dialog(request);
}

platform::window_handle TestPlatform::find_window(const char* title) { return native().find_window(title); }
bool TestPlatform::window_exists(platform::window_handle window) { return native().window_exists(window); }

bool TestPlatform::set_window_text(platform::window_handle window, const char* text) {
    return native().set_window_text(window, text);
}

void TestPlatform::message_beep(std::uint32_t type) { beeps.push_back(type); }

std::time_t TestPlatform::calendar_time() {
    if (!clock) return native().calendar_time();
    const std::time_t now = *clock;
    *clock += clock_step;
    return now;
}
