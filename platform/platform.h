// The plug-in's one door to the operating system.
//
// Everything the plug-in needs from the OS goes through this interface, named
// after the Windows calls it stands for. platform_win32.cpp makes the real
// Win32 calls; the POSIX implementation maps each onto its nearest POSIX
// equivalent (see docs/architecture.md). Algorithms that decide what to call
// (search orders, buffer budgets, name rules) live in portable code and take
// the platform from current_platform(), so tests can swap in a fake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

namespace platform {

// Windows' MAX_PATH: every path the plug-in keeps fits in this many bytes, the closing zero
// included. The POSIX build keeps the same limit, so both builds take the same paths.
inline constexpr std::uint32_t max_path = 260;

// The separator this build writes between folders and names: '\\' on Windows, '/' on POSIX
// (win32_files.cpp, posix_files.cpp). Paths read back may hold either on Windows.
extern const char path_separator;

using module_handle = void*;
using window_handle = void*;
using entry_point = void (*)();

// What the save dialog is asked for; the Win32 side turns it into an
// OPENFILENAMEA record.
struct save_dialog_request {
    void* instance;            // module instance that owns the dialog
    const char* filter;        // pairs of zero-terminated texts, then one more zero
    char* file;                // in/out: full path chosen
    std::uint32_t file_size;
    char* file_title;          // out: name and extension of the chosen file
    std::uint32_t title_size;
    std::uint32_t flags;       // OFN_* flags
    const char* default_extension;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Modules (GetModuleHandleA, GetModuleFileNameA, LoadLibraryA, GetProcAddress, FreeLibrary).
    virtual module_handle loaded_module(const char* file_name) = 0;
    // Full file name of a module into buffer; returns its length, 0 on failure.
    virtual std::uint32_t module_file_name(module_handle module, char* buffer, std::uint32_t size) = 0;
    virtual module_handle load_library(const char* path) = 0;
    virtual entry_point find_entry(module_handle module, const char* name) = 0;
    virtual bool free_library(module_handle module) = 0;

    // Registry strings under HKEY_LOCAL_MACHINE (RegOpenKeyExA + RegQueryValueExA + RegCloseKey).
    // Opens key for query and reads value into buffer of size bytes; false when the key or value
    // is missing (buffer then untouched).
    virtual bool read_machine_string(const char* key, const char* value, char* buffer, std::uint32_t size) = 0;

    // Files and directories (_access, GetSystemDirectoryA, GetTempPathA, DeleteFileA).
    virtual bool path_exists(const char* path) = 0;
    virtual std::uint32_t system_directory(char* buffer, std::uint32_t size) = 0;
    virtual std::uint32_t temp_directory(std::uint32_t size, char* buffer) = 0;
    virtual bool delete_file(const char* path) = 0;
    // Whether two paths name one file or folder however each is spelt (Windows: volume serial
    // number and file index; POSIX: device and inode). Paths that do not exist yet name one
    // file when their folders are one folder and their names are equal (letter case aside on
    // Windows); an existing and a missing path never do.
    virtual bool same_file(const char* a, const char* b) = 0;
    // MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING): `to` becomes `from` in one step, an
    // older `to` replaced. POSIX: rename, with the file flushed before and its folder after.
    virtual bool replace_file(const char* from, const char* to) = 0;

    // File version resource (GetFileVersionInfoSizeA, GetFileVersionInfoA, VerQueryValueA "\\",
    // with a GlobalAlloc(GMEM_ZEROINIT) block freed by GlobalFree).
    virtual std::uint32_t version_info_size(const char* path) = 0;
    virtual bool version_info(const char* path, std::uint32_t size, void* block) = 0;
    virtual bool query_fixed_file_version(const void* block, std::uint32_t* most, std::uint32_t* least) = 0;
    virtual void* alloc_zeroed(std::uint32_t size) = 0;
    virtual void free_block(void* block) = 0;

    // User interface (GetSaveFileNameA, FindWindowA, IsWindow, SetWindowTextA, MessageBeep).
    virtual bool save_file_dialog(const save_dialog_request& request) = 0;
    virtual window_handle find_window(const char* title) = 0;
    virtual bool window_exists(window_handle window) = 0;
    virtual bool set_window_text(window_handle window, const char* text) = 0;
    virtual void message_beep(std::uint32_t type) = 0;

    // The C runtime's time(): calendar time in whole seconds.
    virtual std::time_t calendar_time() = 0;
};

// The platform in use: the native one unless a test has installed another.
Platform& current_platform();
// Installs a replacement (tests); nullptr goes back to the native one.
void install_platform(Platform* replacement);
// The native implementation for this build.
Platform& native_platform();

}  // namespace platform
