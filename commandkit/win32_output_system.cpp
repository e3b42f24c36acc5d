// Paths may use '/' or '\'; what goes to the system gets '\'.
#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "commandkit/output_system.h"

namespace commandkit::output_system {

namespace {

std::string system_path(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string last_error_words() {
    char text[256] = {};
    const DWORD code = GetLastError();
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof text, nullptr))
        return "system error " + std::to_string(code);
    std::string words = text;
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.')) words.pop_back();
    if (!words.empty() && words[0] >= 'A' && words[0] <= 'Z') words[0] = char(words[0] - 'A' + 'a');
    return words;
}

HANDLE open_existing(const std::string& path) {
    return CreateFileA(system_path(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

// NUL, CON, COM1 (with any extension) and the like name devices, not files on a disk.
bool is_device_name(const std::string& path) {
    HANDLE file = open_existing(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool device = GetFileType(file) != FILE_TYPE_DISK;
    CloseHandle(file);
    return device;
}

bool may_write(const std::string& file) {
    const DWORD attributes = GetFileAttributesA(system_path(file).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
}

// Writable means a file can be made there: read-only flags on folders mean little on Windows.
bool may_create_in(const std::string& folder) {
    const std::string probe = system_path(folder + "/.orbivane-write-check-" + std::to_string(GetCurrentProcessId()));
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool same_existing_file(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    HANDLE first = open_existing(a);
    if (first == INVALID_HANDLE_VALUE) return false;
    HANDLE second = open_existing(b);
    const bool same = second != INVALID_HANDLE_VALUE && GetFileInformationByHandle(first, &x) &&
                      GetFileInformationByHandle(second, &y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
                      x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
    CloseHandle(first);
    if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
    return same;
}

bool create_temporary(const std::string& folder, const std::string& name, std::string& path, std::intptr_t& handle,
                      std::string& reason) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uint32_t state = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = folder + "/." + name + ".part-";
        for (int i = 0; i < 6; ++i) {
            state = state * 1664525u + 1013904223u;
            candidate += letters[(state >> 16) % (sizeof letters - 1)];
        }
        HANDLE file = CreateFileA(system_path(candidate).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            path = candidate;
            handle = reinterpret_cast<std::intptr_t>(file);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    reason = last_error_words();
    return false;
}

bool write_all(std::intptr_t handle, const char* data, std::size_t size, std::string& reason) {
    for (std::size_t done = 0; done < size;) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(handle), data + done, chunk, &written, nullptr) || written == 0) {
            reason = last_error_words();
            return false;
        }
        done += written;
    }
    return true;
}

bool sync_and_close(std::intptr_t handle, std::string& reason) {
    HANDLE file = reinterpret_cast<HANDLE>(handle);
    bool ok = FlushFileBuffers(file) != 0;
    if (!ok) reason = last_error_words();
    if (!CloseHandle(file) && ok) {
        ok = false;
        reason = last_error_words();
    }
    return ok;
}

// A read-only target is not replaced (MoveFileExA refuses it too), as copy would not overwrite it.
bool replace(const std::string& from, const std::string& to, std::string& reason) {
    if (MoveFileExA(system_path(from).c_str(), system_path(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    reason = last_error_words();
    return false;
}

void remove_file(const std::string& path) { DeleteFileA(system_path(path).c_str()); }

}  // namespace commandkit::output_system
