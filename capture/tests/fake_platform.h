// A scripted stand-in for the operating system: the save dialog's answer,
// the temporary directory, existing files and the windows the host shows.
#pragma once

#include <cstring>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

class FakePlatform : public platform::Platform {
public:
    // What the save dialog answers; an empty path means the user cancels.
    std::string chosen_path;
    std::string chosen_title;
    std::string temporary_directory = "/tmp/";
    std::set<std::string> existing_files;
    // Pairs of spellings that name one file (a short name, a link, "..").
    std::set<std::pair<std::string, std::string>> aliases;
    // The calendar time each call answers, advancing by clock_step after each.
    std::time_t clock = 0;
    std::time_t clock_step = 0;
    std::set<platform::window_handle> live_windows;
    platform::window_handle window_titled_progress = nullptr;

    // What the plug-in asked for.
    std::vector<platform::save_dialog_request> dialog_requests;
    std::string dialog_filter;  // the filter's bytes, both zeros at the end included
    std::vector<std::pair<platform::window_handle, std::string>> window_texts;
    int find_window_calls = 0;
    std::vector<std::string> deleted_files;
    std::vector<std::uint32_t> beeps;

    FakePlatform() { platform::install_platform(this); }
    ~FakePlatform() override { platform::install_platform(nullptr); }

    bool save_file_dialog(const platform::save_dialog_request& request) override {
        dialog_requests.push_back(request);
        const char* end = request.filter;
        while (end[0] != '\0' || end[1] != '\0') ++end;
        dialog_filter.assign(request.filter, end + 2);
        if (chosen_path.empty()) return false;
        std::strncpy(request.file, chosen_path.c_str(), request.file_size);
        std::strncpy(request.file_title, chosen_title.c_str(), request.title_size);
        return true;
    }
    std::uint32_t temp_directory(std::uint32_t size, char* buffer) override {
        if (temporary_directory.size() + 1 > size) return static_cast<std::uint32_t>(temporary_directory.size() + 1);
        std::memcpy(buffer, temporary_directory.c_str(), temporary_directory.size() + 1);
        return static_cast<std::uint32_t>(temporary_directory.size());
    }
    bool path_exists(const char* path) override { return existing_files.count(path) != 0; }
    bool delete_file(const char* path) override {
        deleted_files.emplace_back(path);
        return existing_files.erase(path) != 0;
    }
    bool same_file(const char* a, const char* b) override {
        return std::string(a) == b || aliases.count({a, b}) != 0 || aliases.count({b, a}) != 0;
    }
    std::time_t calendar_time() override {
        const std::time_t now = clock;
        clock += clock_step;
        return now;
    }
    platform::window_handle find_window(const char* title) override {
        ++find_window_calls;
        return std::string(title) == "progress" ? window_titled_progress : nullptr;
    }
    bool window_exists(platform::window_handle window) override { return live_windows.count(window) != 0; }
    bool set_window_text(platform::window_handle window, const char* text) override {
        window_texts.emplace_back(window, text);
        return true;
    }
    void message_beep(std::uint32_t type) override { beeps.push_back(type); }

    // Not used by the command.
    platform::module_handle loaded_module(const char*) override { return nullptr; }
    std::uint32_t module_file_name(platform::module_handle, char*, std::uint32_t) override { return 0; }
    platform::module_handle load_library(const char*) override { return nullptr; }
    platform::entry_point find_entry(platform::module_handle, const char*) override { return nullptr; }
    bool free_library(platform::module_handle) override { return false; }
    bool read_machine_string(const char*, const char*, char*, std::uint32_t) override { return false; }
    std::uint32_t system_directory(char*, std::uint32_t) override { return 0; }
    std::uint32_t version_info_size(const char*) override { return 0; }
    bool version_info(const char*, std::uint32_t, void*) override { return false; }
    bool query_fixed_file_version(const void*, std::uint32_t*, std::uint32_t*) override { return false; }
    void* alloc_zeroed(std::uint32_t) override { return nullptr; }
    void free_block(void*) override {}
    bool replace_file(const char*, const char*) override { return false; }
};
