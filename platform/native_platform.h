// The build's own implementation of the platform interface (private to platform/).
// win32_*.cpp define its operations with the real Win32 calls, posix_*.cpp with POSIX ones.
#pragma once

#include "platform/platform.h"

namespace platform {

class NativePlatform final : public Platform {
public:
    module_handle loaded_module(const char* file_name) override;
    std::uint32_t module_file_name(module_handle module, char* buffer, std::uint32_t size) override;
    module_handle load_library(const char* path) override;
    entry_point find_entry(module_handle module, const char* name) override;
    bool free_library(module_handle module) override;
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
    bool save_file_dialog(const save_dialog_request& request) override;
    window_handle find_window(const char* title) override;
    bool window_exists(window_handle window) override;
    bool set_window_text(window_handle window, const char* text) override;
    void message_beep(std::uint32_t type) override;
    std::time_t calendar_time() override;
};

}  // namespace platform
