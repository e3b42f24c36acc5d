#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "simhost/command_line/cli_support.h"

namespace simhost {

namespace {

constexpr std::size_t random_part = 6;  // mkdtemp's XXXXXX

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The working folders alive now, kept where a signal handler can read them without allocating.
constexpr int max_live_folders = 4;
char live_folders[max_live_folders][PATH_MAX];
std::atomic<bool> live_slot_used[max_live_folders];

// Removes the files in a folder, then the folder. Only system calls: safe in a signal handler.
void remove_folder_and_files(const char* folder) {
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        alignas(8) char entries[4096];
        long got = 0;
        while ((got = syscall(SYS_getdents64, fd, entries, sizeof entries)) > 0) {
            for (long at = 0; at < got;) {
                // struct linux_dirent64: inode, offset, record length, type, name.
                unsigned short length = 0;
                std::memcpy(&length, entries + at + 16, sizeof length);
                const char* name = entries + at + 19;
                if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) unlinkat(fd, name, 0);
                at += length;
            }
        }
        close(fd);
    }
    rmdir(folder);
}

// Whether the process that made a working folder is gone: no such process, or one
// that is not this program (its number taken again).
bool process_gone(pid_t pid) {
    if (pid <= 0) return false;
    if (kill(pid, 0) != 0) return errno == ESRCH;
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    return std::getline(comm, name) && name != "orbivane-host";
}

}  // namespace

std::string absolute_path(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    std::vector<char> cwd(PATH_MAX);
    if (!getcwd(cwd.data(), cwd.size())) return path;
    return std::string(cwd.data()) + "/" + path;
}

bool is_regular_file(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::uint64_t> file_size(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

std::string executable_directory() {
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), PATH_MAX);
    if (n <= 0) return ".";
    return folder_of(std::string(buffer.data(), static_cast<std::size_t>(n)));
}

std::string temp_parent() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

void set_temp_directory(const std::string& path) { setenv("TMPDIR", path.c_str(), 1); }

// The plug-in would take its own folder; said once here, this process's search sees it too.
void pin_plugin_system_directory(const std::string& plugin_path) {
    setenv("ORBIVANE_SYSTEM_DIR", folder_of(absolute_path(plugin_path)).c_str(), 0);
}

ScratchDirectory::ScratchDirectory(const std::string& parent, const std::string& prefix) {
    std::string pattern = parent + "/" + prefix + std::to_string(getpid()) + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("cannot make a working folder in " + parent + ": " + std::strerror(errno));
    path_ = buffer.data();
    for (int slot = 0; slot < max_live_folders && path_.size() < PATH_MAX; ++slot) {
        if (live_slot_used[slot]) continue;
        std::memcpy(live_folders[slot], path_.c_str(), path_.size() + 1);
        live_slot_used[slot] = true;
        break;
    }
}

ScratchDirectory::~ScratchDirectory() {
    for (int slot = 0; slot < max_live_folders; ++slot)
        if (live_slot_used[slot] && path_ == live_folders[slot]) live_slot_used[slot] = false;
    // Only files are ever left here (partial movies).
    remove_folder_and_files(path_.c_str());
}

std::size_t ScratchDirectory::name_length(const std::string& prefix) {
    return prefix.size() + std::to_string(getpid()).size() + 1 + random_part;
}

int ScratchDirectory::remove_abandoned(const std::string& parent, const std::string& prefix) {
    int removed = 0;
    DIR* dir = opendir(parent.c_str());
    if (!dir) return 0;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
        if (end == name.c_str() + prefix.size() || *end != '-' || std::strlen(end + 1) != random_part) continue;
        // Only a real folder of this user's, never what a link points at.
        const std::string path = parent + "/" + name;
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid()) continue;
        if (!process_gone(static_cast<pid_t>(pid))) continue;
        remove_folder_and_files(path.c_str());
        ++removed;
    }
    closedir(dir);
    return removed;
}

void remove_live_scratch_directories() {
    for (int slot = 0; slot < max_live_folders; ++slot)
        if (live_slot_used[slot]) remove_folder_and_files(live_folders[slot]);
}

}  // namespace simhost
