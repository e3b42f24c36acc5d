// Win32 platform: the path separator, whether two paths name one file, and replacing a file
// in one step.
#include <windows.h>

#include <string>

#include "platform/native_platform.h"

namespace platform {

const char path_separator = '\\';

namespace {

struct file_identity {
    DWORD volume = 0;
    DWORD index_high = 0;
    DWORD index_low = 0;
    bool operator==(const file_identity&) const = default;
};

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Volume serial number and file index: the same for every spelling of one file (8.3 names,
// "..", either separator, letter case). Folders open too, with backup semantics.
bool identity_of(const std::string& path, file_identity& id) {
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (known) id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return known;
}

// The absolute form, "." and ".." resolved, '/' turned to '\', trailing dots and blanks gone.
std::string full_path(const char* path) {
    char buffer[MAX_PATH];
    const DWORD length = GetFullPathNameA(path, sizeof buffer, buffer, nullptr);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string(path);
}

// The long form of an existing path (no 8.3 names), else the path as given.
std::string long_path(const std::string& path) {
    char buffer[MAX_PATH];
    const DWORD length = GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : path;
}

// Equal as the file system compares names: letter case ignored, in the ANSI code page.
bool same_name(const std::string& a, const std::string& b) {
    auto upper = [](const std::string& text) {
        std::wstring wide(text.size(), L'\0');
        const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                               static_cast<int>(wide.size()));
        wide.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
        if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
        return wide;
    };
    return upper(a) == upper(b);
}

bool same_existing(const std::string& a, const std::string& b) {
    file_identity id_a;
    file_identity id_b;
    if (identity_of(a, id_a) && identity_of(b, id_b)) return id_a == id_b;
    return same_name(long_path(a), long_path(b));  // a file we may not open: compare its long full path
}

std::size_t last_separator(const std::string& path) { return path.find_last_of("\\/"); }

}  // namespace

bool NativePlatform::same_file(const char* a, const char* b) {
    if (!a || !b) return false;
    const std::string full_a = full_path(a);
    const std::string full_b = full_path(b);
    const bool a_exists = exists(full_a);
    const bool b_exists = exists(full_b);
    if (a_exists || b_exists) return a_exists && b_exists && same_existing(full_a, full_b);

    // Neither exists yet: one file once created when the folders are one folder.
    const std::size_t slash_a = last_separator(full_a);
    const std::size_t slash_b = last_separator(full_b);
    if (slash_a == std::string::npos || slash_b == std::string::npos) return same_name(full_a, full_b);
    if (!same_name(full_a.substr(slash_a + 1), full_b.substr(slash_b + 1))) return false;
    // "C:\" keeps its separator: "C:" alone would name the drive's current folder.
    const std::string folder_a = full_a.substr(0, slash_a > 0 && full_a[slash_a - 1] == ':' ? slash_a + 1 : slash_a);
    const std::string folder_b = full_b.substr(0, slash_b > 0 && full_b[slash_b - 1] == ':' ? slash_b + 1 : slash_b);
    if (!exists(folder_a) || !exists(folder_b)) return same_name(folder_a, folder_b);
    return same_existing(folder_a, folder_b);
}

bool NativePlatform::replace_file(const char* from, const char* to) {
    return from && to && MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace platform
