// The test platform with the command's surroundings scripted: the save dialog's answer,
// the temporary directory and the windows the host shows; no file exists and the clock
// stands at 0 until a test says otherwise.
#pragma once

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/tests/test_platform.h"

class ScriptedShell : public TestPlatform {
public:
    ScriptedShell() {
        files.emplace();
        clock = 0;
    }

    // What the save dialog answers; an empty path means the user cancels.
    std::string chosen_path;
    std::string chosen_title;
    std::string temporary_directory = "/tmp/";
    std::set<platform::window_handle> live_windows;
    platform::window_handle window_titled_progress = nullptr;

    // What the plug-in asked for.
    std::vector<platform::save_dialog_request> dialog_requests;
    std::string dialog_filter;  // the filter's bytes, both zeros at the end included
    std::vector<std::pair<platform::window_handle, std::string>> window_texts;
    int find_window_calls = 0;

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
    platform::window_handle find_window(const char* title) override {
        ++find_window_calls;
        return std::string(title) == "progress" ? window_titled_progress : nullptr;
    }
    bool window_exists(platform::window_handle window) override { return live_windows.count(window) != 0; }
    bool set_window_text(platform::window_handle window, const char* text) override {
        window_texts.emplace_back(window, text);
        return true;
    }
};
