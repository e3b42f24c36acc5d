// A platform for tests: the native one, except that beeps are counted and,
// when `taken` is set, a path exists exactly when it is listed there, paths are
// one file only when spelt alike, and deletions and replacements are only noted.
#pragma once

#include <ctime>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

class DelegatingPlatform : public platform::Platform {
public:
    DelegatingPlatform() : native_(platform::native_platform()) { platform::install_platform(this); }
    ~DelegatingPlatform() override { platform::install_platform(nullptr); }
    DelegatingPlatform(const DelegatingPlatform&) = delete;
    DelegatingPlatform& operator=(const DelegatingPlatform&) = delete;

    std::vector<std::uint32_t> beeps;
    std::optional<std::set<std::string>> taken;
    std::vector<std::string> existence_queries;
    std::vector<std::string> file_operations;  // with `taken` set: "delete P", "replace F -> T"
    // When set, the calendar time: each call answers it, then moves it on by clock_step.
    std::optional<std::time_t> clock;
    std::time_t clock_step = 0;

    platform::module_handle loaded_module(const char* file_name) override { return native_.loaded_module(file_name); }
    std::uint32_t module_file_name(platform::module_handle module, char* buffer, std::uint32_t size) override {
        return native_.module_file_name(module, buffer, size);
    }
    platform::module_handle load_library(const char* path) override { return native_.load_library(path); }
    platform::entry_point find_entry(platform::module_handle module, const char* name) override {
        return native_.find_entry(module, name);
    }
    bool free_library(platform::module_handle module) override { return native_.free_library(module); }
    bool read_machine_string(const char* key, const char* value, char* buffer, std::uint32_t size) override {
        return native_.read_machine_string(key, value, buffer, size);
    }
    bool path_exists(const char* path) override {
        existence_queries.emplace_back(path);
        return taken ? taken->count(path) != 0 : native_.path_exists(path);
    }
    std::uint32_t system_directory(char* buffer, std::uint32_t size) override {
        return native_.system_directory(buffer, size);
    }
    std::uint32_t temp_directory(std::uint32_t size, char* buffer) override {
        return native_.temp_directory(size, buffer);
    }
    bool delete_file(const char* path) override {
        if (!taken) return native_.delete_file(path);
        file_operations.push_back(std::string("delete ") + path);
        return taken->erase(path) != 0;
    }
    bool same_file(const char* a, const char* b) override {
        return taken ? std::string(a) == b : native_.same_file(a, b);
    }
    bool replace_file(const char* from, const char* to) override {
        if (!taken) return native_.replace_file(from, to);
        file_operations.push_back(std::string("replace ") + from + " -> " + to);
        return true;
    }
    std::uint32_t version_info_size(const char* path) override { return native_.version_info_size(path); }
    bool version_info(const char* path, std::uint32_t size, void* block) override {
        return native_.version_info(path, size, block);
    }
    bool query_fixed_file_version(const void* block, std::uint32_t* most, std::uint32_t* least) override {
        return native_.query_fixed_file_version(block, most, least);
    }
    void* alloc_zeroed(std::uint32_t size) override { return native_.alloc_zeroed(size); }
    void free_block(void* block) override { native_.free_block(block); }
    bool save_file_dialog(const platform::save_dialog_request& request) override {
        return native_.save_file_dialog(request);
    }
    platform::window_handle find_window(const char* title) override { return native_.find_window(title); }
    bool window_exists(platform::window_handle window) override { return native_.window_exists(window); }
    bool set_window_text(platform::window_handle window, const char* text) override {
        return native_.set_window_text(window, text);
    }
    void message_beep(std::uint32_t type) override { beeps.push_back(type); }
    std::time_t calendar_time() override {
        if (!clock) return native_.calendar_time();
        const std::time_t now = *clock;
        *clock += clock_step;
        return now;
    }

private:
    platform::Platform& native_;
};
