#include "commandkit/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "commandkit/output_policy.h"
#include "commandkit/output_system.h"

namespace commandkit {

std::string output_system::errno_words(int error) {
    std::string words = std::strerror(error);
    if (!words.empty() && words[0] >= 'A' && words[0] <= 'Z') words[0] = char(words[0] - 'A' + 'a');
    return words;
}

namespace {

[[noreturn]] void standard_output_failed(int error) {
    throw output_error("Cannot write to standard output: " + output_system::errno_words(error ? error : EIO) + ".");
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : path_(path), target_(output_target(path)) {
    const std::filesystem::path target(target_);
    std::string reason;
    if (!output_system::create_temporary(target.parent_path().string(), target.filename().string(), temporary_, handle_,
                                         reason))
        throw output_error("Cannot write " + path_ + ": " + reason + ".");
}

OutputFile::~OutputFile() {
    if (handle_ == -1 && temporary_.empty()) return;
    std::string ignored;
    if (handle_ != -1) output_system::sync_and_close(handle_, ignored);
    if (!temporary_.empty()) output_system::remove_file(temporary_);
}

void OutputFile::fail(const std::string& reason) {
    if (handle_ != -1) {
        std::string ignored;
        output_system::sync_and_close(handle_, ignored);
        handle_ = -1;
    }
    output_system::remove_file(temporary_);
    temporary_.clear();
    throw output_error("Cannot write " + path_ + ": " + reason + ".");
}

void OutputFile::write(std::string_view bytes) {
    std::string reason;
    if (!output_system::write_all(handle_, bytes.data(), bytes.size(), reason)) fail(reason);
}

void OutputFile::finish() {
    std::string reason;
    const std::intptr_t handle = handle_;
    handle_ = -1;
    if (!output_system::sync_and_close(handle, reason) || !output_system::replace(temporary_, target_, reason))
        fail(reason);
    temporary_.clear();
}

void write_output_file(const std::string& path, std::string_view bytes) {
    OutputFile file(path);
    file.write(bytes);
    file.finish();
}

void put_in_place(const std::string& made, const std::string& path) {
    std::string reason;
    if (!output_system::replace(made, output_target(path), reason))
        throw output_error("Cannot write " + path + ": " + reason + ".");
}

void write_standard_output(std::string_view text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) standard_output_failed(errno);
    finish_standard_output();
}

void finish_standard_output() {
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) standard_output_failed(errno);
}

}  // namespace commandkit
