// The platform the plug-in's tests run on, one for them all. It is installed for as long as
// it lives (the one it replaced comes back after). Every operation answers as the native platform does, except what a test scripts:
// it sets one of the parts below, or derives and overrides the operations it needs. Beeps are
// only noted, so no test rings a bell.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

class TestPlatform : public platform::Platform {
public:
    TestPlatform();
    ~TestPlatform() override;
    TestPlatform(const TestPlatform&) = delete;
    TestPlatform& operator=(const TestPlatform&) = delete;

    // --- scripted parts; unset, the native platform answers ---
    // When set, the only files there are: a path exists when listed, two paths are one file
    // when spelt alike or paired in `aliases`, and deleting or replacing changes only the
    // list and is noted in file_operations ("delete P", "replace F -> T").
    std::optional<std::set<std::string>> files;
    std::set<std::pair<std::string, std::string>> aliases;
    // When set, the calendar time: each call answers it, then moves it on by clock_step.
    std::optional<std::time_t> clock;
    std::time_t clock_step = 0;

    // --- what the plug-in asked ---
    std::vector<std::uint32_t> beeps;
    std::vector<std::string> existence_queries;
    std::vector<std::string> file_operations;
    std::vector<std::string> loads;  // every path handed to load_library
    int system_dir_reads = 0;

    platform::module_handle loaded_module(const char* file_name) override;
    std::uint32_t module_file_name(platform::module_handle module, char* buffer, std::uint32_t size) override;
    platform::module_handle load_library(const char* path) override;
    platform::entry_point find_entry(platform::module_handle module, const char* name) override;
    bool free_library(platform::module_handle module) override;
    bool read_machine_string(const char* key, const char* value, char* buffer, std::uint32_t size) override;
    bool path_exists(const char* path) override;
    std::uint32_t system_directory(char* buffer, std::uint32_t size) override;
    std::uint32_t temp_directory(std::uint32_t size, char* buffer) override;
    bool delete_file(const char* path) override;
    bool same_file(const char* a, const char* b) override;
    bool replace_file(const char* from, const char* to) override;
    std::uint32_t version_info_size(const char* path) override;
    bool version_info(const char* path, std::uint32_t size, void* block) override;
    bool query_fixed_file_version(const void* block, std::uint32_t* most, std::uint32_t* least) override;
    void* alloc_zeroed(std::uint32_t size) override;
    void free_block(void* block) override;
    bool save_file_dialog(const platform::save_dialog_request& request) override;
    platform::window_handle find_window(const char* title) override;
    bool window_exists(platform::window_handle window) override;
    bool set_window_text(platform::window_handle window, const char* text) override;
    void message_beep(std::uint32_t type) override;
    std::time_t calendar_time() override;

protected:
    static platform::Platform& native() { return platform::native_platform(); }

private:
    platform::Platform* previous_;
};
