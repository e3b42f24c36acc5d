// The real platform with a record of what the loader asked it: which paths it loaded and
// which sources it read. Everything is passed through unchanged.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

class RecordingPlatform final : public platform::Platform {
public:
    std::vector<std::string> loads;
    std::vector<std::string> registry_values;  // names of the values read
    int system_dir_reads = 0;

    platform::module_handle loaded_module(const char* file_name) override { return real().loaded_module(file_name); }
    std::uint32_t module_file_name(platform::module_handle module, char* buffer, std::uint32_t size) override {
        return real().module_file_name(module, buffer, size);
    }
    platform::module_handle load_library(const char* path) override {
        loads.emplace_back(path);
        return real().load_library(path);
    }
    platform::entry_point find_entry(platform::module_handle module, const char* name) override {
        return real().find_entry(module, name);
    }
    bool free_library(platform::module_handle module) override { return real().free_library(module); }
    bool read_machine_string(const char* key, const char* value, char* buffer, std::uint32_t size) override {
        registry_values.emplace_back(value);
        return real().read_machine_string(key, value, buffer, size);
    }
    bool path_exists(const char* path) override { return real().path_exists(path); }
    std::uint32_t system_directory(char* buffer, std::uint32_t size) override {
        ++system_dir_reads;
        return real().system_directory(buffer, size);
    }
    std::uint32_t temp_directory(std::uint32_t size, char* buffer) override {
        return real().temp_directory(size, buffer);
    }
    bool delete_file(const char* path) override { return real().delete_file(path); }
    bool same_file(const char* a, const char* b) override { return real().same_file(a, b); }
    bool replace_file(const char* from, const char* to) override { return real().replace_file(from, to); }
    std::uint32_t version_info_size(const char* path) override { return real().version_info_size(path); }
    bool version_info(const char* path, std::uint32_t size, void* block) override {
        return real().version_info(path, size, block);
    }
    bool query_fixed_file_version(const void* block, std::uint32_t* most, std::uint32_t* least) override {
        return real().query_fixed_file_version(block, most, least);
    }
    void* alloc_zeroed(std::uint32_t size) override { return real().alloc_zeroed(size); }
    void free_block(void* block) override { real().free_block(block); }
    bool save_file_dialog(const platform::save_dialog_request& request) override {
        return real().save_file_dialog(request);
    }
    platform::window_handle find_window(const char* title) override { return real().find_window(title); }
    bool window_exists(platform::window_handle window) override { return real().window_exists(window); }
    bool set_window_text(platform::window_handle window, const char* text) override {
        return real().set_window_text(window, text);
    }
    void message_beep(std::uint32_t type) override { real().message_beep(type); }
    std::time_t calendar_time() override { return real().calendar_time(); }

private:
    static platform::Platform& real() { return platform::native_platform(); }
};
