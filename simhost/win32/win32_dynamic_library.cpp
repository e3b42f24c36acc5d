#include <windows.h>

#include <stdexcept>
#include <string>

#include "simhost/host_objects/dynamic_library.h"
#include "simhost/win32/win32_windowing.h"

namespace simhost {

namespace {

std::string system_message(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

}  // namespace

DynamicLibrary::DynamicLibrary(const std::string& path) {
    std::string windows_path = path;
    for (char& c : windows_path)
        if (c == '/') c = '\\';
    // The library's own folder is searched first for anything it needs.
    HMODULE module = LoadLibraryExA(windows_path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) throw std::runtime_error(system_message(GetLastError()));
    // Every library this host loads is a plug-in: its save dialog is answered
    // by the host. A library without that import simply never asks.
    const ImportPatch patched = answer_save_dialog_of(module);
    if (patched != ImportPatch::replaced && patched != ImportPatch::not_imported) {
        FreeLibrary(module);
        throw std::runtime_error(std::string("its save dialog cannot be answered by the host (") +
                                 import_patch_text(patched) + ")");
    }
    handle_ = module;
}

DynamicLibrary::~DynamicLibrary() { FreeLibrary(static_cast<HMODULE>(handle_)); }

void* DynamicLibrary::entry(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace simhost
