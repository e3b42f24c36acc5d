// Win32 platform: files, the save dialog, the progress window and the beep.
#include <windows.h>
#include <commdlg.h>

#include <cstddef>

#include "platform/native_platform.h"

// The dialog is asked for the original 76-byte record (no Windows 2000 extension fields).
constexpr DWORD original_record_size = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
static_assert(original_record_size == 76, "the original OPENFILENAMEA is 76 bytes");

namespace platform {

Platform& native_platform() {
    static NativePlatform instance;
    return instance;
}

std::uint32_t NativePlatform::temp_directory(std::uint32_t size, char* buffer) {
    return GetTempPathA(size, buffer);
}

bool NativePlatform::delete_file(const char* path) { return DeleteFileA(path) != 0; }

void* NativePlatform::alloc_zeroed(std::uint32_t size) { return GlobalAlloc(GMEM_ZEROINIT, size); }

void NativePlatform::free_block(void* block) { GlobalFree(static_cast<HGLOBAL>(block)); }

bool NativePlatform::save_file_dialog(const save_dialog_request& request) {
    OPENFILENAMEA record{};
    record.lStructSize = original_record_size;
    record.hwndOwner = nullptr;
    record.hInstance = static_cast<HINSTANCE>(request.instance);
    record.lpstrFilter = request.filter;
    record.lpstrFile = request.file;
    record.nMaxFile = request.file_size;
    record.lpstrFileTitle = request.file_title;
    record.nMaxFileTitle = request.title_size;
    record.lpstrTitle = nullptr;
    record.Flags = request.flags;
    record.lpstrDefExt = request.default_extension;
    return GetSaveFileNameA(&record) != 0;
}

window_handle NativePlatform::find_window(const char* title) { return FindWindowA(nullptr, title); }

bool NativePlatform::window_exists(window_handle window) { return IsWindow(static_cast<HWND>(window)) != 0; }

bool NativePlatform::set_window_text(window_handle window, const char* text) {
    return SetWindowTextA(static_cast<HWND>(window), text) != 0;
}

void NativePlatform::message_beep(std::uint32_t type) { MessageBeep(type); }

}  // namespace platform
