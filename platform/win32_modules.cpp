// Win32 platform: modules, the registry, directories and version resources.
#include <windows.h>
#include <io.h>

#include "platform/native_platform.h"

namespace platform {

module_handle NativePlatform::loaded_module(const char* file_name) { return GetModuleHandleA(file_name); }

std::uint32_t NativePlatform::module_file_name(module_handle module, char* buffer, std::uint32_t size) {
    return GetModuleFileNameA(static_cast<HMODULE>(module), buffer, size);
}

module_handle NativePlatform::load_library(const char* path) { return LoadLibraryA(path); }

entry_point NativePlatform::find_entry(module_handle module, const char* name) {
    return reinterpret_cast<entry_point>(GetProcAddress(static_cast<HMODULE>(module), name));
}

bool NativePlatform::free_library(module_handle module) { return FreeLibrary(static_cast<HMODULE>(module)) != 0; }

bool NativePlatform::read_machine_string(const char* key, const char* value, char* buffer, std::uint32_t size) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return false;
    DWORD bytes = size;
    const LONG status =
        RegQueryValueExA(handle, value, nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), &bytes);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

bool NativePlatform::path_exists(const char* path) { return _access(path, 0) == 0; }

std::uint32_t NativePlatform::system_directory(char* buffer, std::uint32_t size) {
    return GetSystemDirectoryA(buffer, size);
}

std::uint32_t NativePlatform::version_info_size(const char* path) {
    DWORD handle = 0;
    return GetFileVersionInfoSizeA(path, &handle);
}

bool NativePlatform::version_info(const char* path, std::uint32_t size, void* block) {
    return GetFileVersionInfoA(path, 0, size, block) != 0;
}

bool NativePlatform::query_fixed_file_version(const void* block, std::uint32_t* most, std::uint32_t* least) {
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block, "\\", reinterpret_cast<void**>(&info), &length) || !info) return false;
    // A root block too short for the record, or without its signature, holds no version.
    if (length < sizeof(VS_FIXEDFILEINFO) || info->dwSignature != 0xFEEF04BD) return false;
    *most = info->dwFileVersionMS;
    *least = info->dwFileVersionLS;
    return true;
}

}  // namespace platform
