#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "simhost/cli_support.h"
#include "simhost/command_line.h"

namespace simhost {

namespace {

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string absolute_path(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    std::vector<char> cwd(PATH_MAX);
    if (!getcwd(cwd.data(), cwd.size())) return path;
    return std::string(cwd.data()) + "/" + path;
}

void check_output_path(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        throw usage_error("The output " + path + " is a folder; give a file name such as " + path + "/object.mov.");
    const std::string folder = folder_of(path);
    if (stat(folder.c_str(), &info) != 0)
        throw usage_error("The folder " + folder + " for the output does not exist.");
    if (!S_ISDIR(info.st_mode)) throw usage_error("The output's folder " + folder + " is not a folder.");
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        throw usage_error("The folder " + folder + " for the output is not writable.");
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

bool replace_file(const std::string& source, const std::string& target, std::string& reason) {
    if (std::rename(source.c_str(), target.c_str()) == 0) return true;
    reason = std::strerror(errno);
    return false;
}

ScratchDirectory::ScratchDirectory(const std::string& parent, const std::string& prefix) {
    std::string pattern = parent + "/" + prefix + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("cannot make a working folder in " + parent + ": " + std::strerror(errno));
    path_ = buffer.data();
}

ScratchDirectory::~ScratchDirectory() {
    // Only files are ever left here (partial movies); remove them, then the folder.
    if (DIR* dir = opendir(path_.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") unlink((path_ + "/" + name).c_str());
        }
        closedir(dir);
    }
    rmdir(path_.c_str());
}

}  // namespace simhost
