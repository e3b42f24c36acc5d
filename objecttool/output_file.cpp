#include "objecttool/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "objecttool/tool_error.h"

namespace objecttool {

namespace {

void write_pieces(const std::string& path, const std::function<void(const AppendBytes&)>& produce) {
    const std::filesystem::path target(path);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
    if (std::filesystem::is_directory(target)) throw tool_error("Cannot write " + path + ": it is a folder.");
    std::string temp = folder + "/." + target.filename().string() + ".part-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw tool_error("Cannot write " + path + ": " + std::strerror(errno) + ".");
    int error = 0;  // the first errno
    const AppendBytes append = [&](const char* data, std::size_t size) {
        for (std::size_t done = 0; done < size && !error;) {
            const ssize_t n = ::write(fd, data + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) error = n < 0 ? errno : EIO;
            else done += std::size_t(n);
        }
    };
    try {
        produce(append);
    } catch (...) {
        ::close(fd);
        std::remove(temp.c_str());
        throw;
    }
    // mkstemp makes the file private; the output gets the permissions of any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (!error && ::fchmod(fd, 0666 & ~mask) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && std::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error) {
        std::remove(temp.c_str());
        throw tool_error("Cannot write " + path + ": " + std::strerror(error) + ".");
    }
}

void write_bytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
    write_pieces(path, [&](const AppendBytes& append) { append(reinterpret_cast<const char*>(data), size); });
}

}  // namespace

void write_file_atomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    write_bytes(path, bytes.data(), bytes.size());
}

void write_file_atomically(const std::string& path, const std::string& text) {
    write_bytes(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

void write_file_atomically(const std::string& path, const std::function<void(const AppendBytes&)>& produce) {
    write_pieces(path, produce);
}

}  // namespace objecttool
