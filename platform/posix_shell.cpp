// POSIX platform: files, and the windowing the host process offers (see posix_windowing.h).
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/native_platform.h"
#include "platform/posix_windowing.h"

namespace platform {

namespace {

template <typename Fn>
Fn host_function(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace

Platform& native_platform() {
    static NativePlatform instance;
    return instance;
}

// GetTempPathA: $TMPDIR, else /tmp, always ending in '/'. Like the Windows call
// it returns the length, or the size needed (zero included) when it does not fit.
std::uint32_t NativePlatform::temp_directory(std::uint32_t size, char* buffer) {
    const char* dir = std::getenv("TMPDIR");
    if (!dir || !*dir) dir = "/tmp";
    const std::size_t length = std::strlen(dir);
    const bool needs_slash = dir[length - 1] != '/';
    const std::size_t total = length + (needs_slash ? 1 : 0);
    if (total + 1 > size) return static_cast<std::uint32_t>(total + 1);
    std::memcpy(buffer, dir, length);
    if (needs_slash) buffer[length] = '/';
    buffer[total] = '\0';
    return static_cast<std::uint32_t>(total);
}

bool NativePlatform::delete_file(const char* path) { return unlink(path) == 0; }

void* NativePlatform::alloc_zeroed(std::uint32_t size) { return std::calloc(1, size ? size : 1); }

void NativePlatform::free_block(void* block) { std::free(block); }

bool NativePlatform::save_file_dialog(const save_dialog_request& request) {
    auto dialog = host_function<orbivane_host_save_dialog_fn>(ORBIVANE_HOST_SAVE_DIALOG);
    if (!dialog) return false;
    return dialog(request.filter, request.default_extension, request.flags, request.file, request.file_size,
                  request.file_title, request.title_size) != 0;
}

window_handle NativePlatform::find_window(const char* title) {
    auto find = host_function<orbivane_host_find_window_fn>(ORBIVANE_HOST_FIND_WINDOW);
    return find ? find(title) : nullptr;
}

bool NativePlatform::window_exists(window_handle window) {
    auto exists = host_function<orbivane_host_window_exists_fn>(ORBIVANE_HOST_WINDOW_EXISTS);
    return window && exists && exists(window) != 0;
}

bool NativePlatform::set_window_text(window_handle window, const char* text) {
    auto set_text = host_function<orbivane_host_set_window_text_fn>(ORBIVANE_HOST_SET_WINDOW_TEXT);
    return set_text && set_text(window, text) != 0;
}

void NativePlatform::message_beep(std::uint32_t type) {
    if (auto beep = host_function<orbivane_host_message_beep_fn>(ORBIVANE_HOST_MESSAGE_BEEP)) {
        beep(type);
        return;
    }
    std::fputc('\a', stderr);
}

}  // namespace platform
