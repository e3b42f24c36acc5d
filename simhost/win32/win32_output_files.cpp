// Files and folders for the command on Windows. Paths go back to the command
// with '/' separators (Windows accepts both), so its path handling is the
// same as on POSIX; anything handed to the system gets '\'.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <stdexcept>
#include <vector>

#include "simhost/command_line/cli_support.h"
#include "simhost/win32/win32_scratch_folders.h"

namespace simhost {

namespace {

std::string with_separator(std::string path, char separator) {
    for (char& c : path)
        if (c == '/' || c == '\\') c = separator;
    return path;
}

std::string system_path(const std::string& path) { return with_separator(path, '\\'); }
std::string command_path(const std::string& path) { return with_separator(path, '/'); }

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    std::string folder = path.substr(0, slash == 0 ? 1 : slash);
    if (!folder.empty() && folder.back() == ':') folder += '/';  // "Z:" alone names a drive's current folder
    return folder;
}

DWORD attributes_of(const std::string& path) { return GetFileAttributesA(system_path(path).c_str()); }

constexpr std::size_t random_part = 6;

std::set<std::string>& live_scratch_directories() {
    static std::set<std::string> live;
    return live;
}

void remove_folder_and_files(const std::string& folder) {
    // Only files are ever left here (partial movies); remove them, then the folder.
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(system_path(folder + "/*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA(system_path(folder + "/" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(system_path(folder).c_str());
}

std::string last_error_text() {
    char text[256] = {};
    const DWORD code = GetLastError();
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                        sizeof text, nullptr))
        return "error " + std::to_string(code);
    std::string message = text;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

}  // namespace

std::string absolute_path(const std::string& path) {
    const std::string given = system_path(path);
    std::vector<char> full(MAX_PATH);
    DWORD length = GetFullPathNameA(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length + 1);
        length = GetFullPathNameA(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    if (length == 0 || length >= full.size()) return command_path(path);
    return command_path(std::string(full.data(), length));
}

bool is_regular_file(const std::string& path) {
    const DWORD attributes = attributes_of(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::uint64_t> file_size(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(system_path(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string executable_directory() {
    std::vector<char> buffer(MAX_PATH);
    DWORD length = 0;
    while ((length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()))) ==
               buffer.size() &&
           buffer.size() < 32768)
        buffer.resize(buffer.size() * 2);
    if (length == 0 || length == buffer.size()) return ".";
    return folder_of(command_path(std::string(buffer.data(), length)));
}

std::string temp_parent() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length > MAX_PATH) return ".";
    std::string folder = command_path(std::string(buffer, length));
    if (folder.size() > 1 && folder.back() == '/' && folder[folder.size() - 2] != ':') folder.pop_back();
    return folder;
}

void set_temp_directory(const std::string& path) {
    // GetTempPathA (the plug-in's temporary folder) reads TMP first, then TEMP.
    const std::string folder = system_path(path);
    SetEnvironmentVariableA("TMP", folder.c_str());
    SetEnvironmentVariableA("TEMP", folder.c_str());
}

// The system directory is the real one, the same for this program and the plug-in.
void pin_plugin_system_directory(const std::string&) {}

ScratchDirectory::ScratchDirectory(const std::string& parent, const std::string& prefix) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uint32_t state = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + std::to_string(GetCurrentProcessId()) + "-";
        for (std::size_t i = 0; i < random_part; ++i) {
            state = state * 1664525u + 1013904223u;
            name += letters[(state >> 16) % (sizeof letters - 1)];
        }
        const std::string candidate = (parent.size() > 1 && parent.back() == '/' ? parent : parent + "/") + name;
        if (CreateDirectoryA(system_path(candidate).c_str(), nullptr)) {
            path_ = candidate;
            live_scratch_directories().insert(path_);
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot make a working folder in " + parent + ": " + last_error_text());
    }
    throw std::runtime_error("cannot make a working folder in " + parent + ": every name tried is taken");
}

ScratchDirectory::~ScratchDirectory() {
    live_scratch_directories().erase(path_);
    remove_folder_and_files(path_);
}

std::size_t ScratchDirectory::name_length(const std::string& prefix) {
    return prefix.size() + std::to_string(GetCurrentProcessId()).size() + 1 + random_part;
}

int ScratchDirectory::remove_abandoned(const std::string& parent, const std::string& prefix) {
    int removed = 0;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(system_path(parent + "/" + prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::string name = found.cFileName;
        char* end = nullptr;
        const unsigned long pid = std::strtoul(name.c_str() + prefix.size(), &end, 10);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || end == name.c_str() + prefix.size() ||
            *end != '-' || std::strlen(end + 1) != random_part)
            continue;
        // Gone: no such process, or one that has ended.
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
        const bool gone = !process || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        if (process) CloseHandle(process);
        if (!gone) continue;
        remove_folder_and_files(parent + "/" + name);
        ++removed;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return removed;
}

void remove_live_scratch_directories() {
    for (const std::string& folder : live_scratch_directories()) remove_folder_and_files(folder);
    live_scratch_directories().clear();
}

}  // namespace simhost
