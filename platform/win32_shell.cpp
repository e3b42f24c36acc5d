// Win32 platform: files, the save dialog, the progress window and the beep.
#include <windows.h>
#include <commdlg.h>

#include <cstddef>

#include "platform/win32_platform.h"

// The dialog is asked for the original 76-byte record (no Windows 2000 extension fields).
constexpr DWORD original_record_size = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
static_assert(original_record_size == 76, "the original OPENFILENAMEA is 76 bytes");

namespace platform {

Platform& native_platform() {
    static Win32Platform instance;
    return instance;
}

std::uint32_t Win32Platform::temp_directory(std::uint32_t size, char* buffer) {
    return GetTempPathA(size, buffer);
}

bool Win32Platform::delete_file(const char* path) { return DeleteFileA(path) != 0; }

void* Win32Platform::alloc_zeroed(std::uint32_t size) { return GlobalAlloc(GMEM_ZEROINIT, size); }

void Win32Platform::free_block(void* block) { GlobalFree(static_cast<HGLOBAL>(block)); }

bool Win32Platform::save_file_dialog(const save_dialog_request& request) {
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

window_handle Win32Platform::find_window(const char* title) { return FindWindowA(nullptr, title); }

bool Win32Platform::window_exists(window_handle window) { return IsWindow(static_cast<HWND>(window)) != 0; }

bool Win32Platform::set_window_text(window_handle window, const char* text) {
    return SetWindowTextA(static_cast<HWND>(window), text) != 0;
}

void Win32Platform::message_beep(std::uint32_t type) { MessageBeep(type); }

}  // namespace platform
