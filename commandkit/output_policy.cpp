#include "commandkit/output_policy.h"

#include <filesystem>

#include "commandkit/output_system.h"

namespace commandkit {

namespace fs = std::filesystem;

namespace {

constexpr int max_link_hops = 40;  // as the kernel's ELOOP limit

std::string capitalised(std::string role) {
    if (!role.empty() && role[0] >= 'a' && role[0] <= 'z') role[0] = char(role[0] - 'a' + 'A');
    return role;
}

}  // namespace

std::string output_target(const std::string& path) {
    std::error_code ec;
    fs::path target = fs::absolute(path, ec);
    if (ec) return path;
    for (int hop = 0; hop < max_link_hops && fs::is_symlink(fs::symlink_status(target, ec)); ++hop) {
        const fs::path link = fs::read_symlink(target, ec);
        if (ec) break;
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return target.string();
}

bool same_file(const std::string& a, const std::string& b) {
    if (output_system::same_existing_file(a, b)) return true;
    std::error_code ec_a, ec_b;
    if (fs::exists(a, ec_a) || fs::exists(b, ec_b)) return false;
    // Two new names: the same once every link and "." or ".." is resolved.
    const fs::path x = fs::weakly_canonical(fs::absolute(a, ec_a), ec_a);
    const fs::path y = fs::weakly_canonical(fs::absolute(b, ec_b), ec_b);
    return !ec_a && !ec_b && x == y;
}

void check_output(const std::string& role, const std::string& path) {
    const std::string what = capitalised(role) + " " + path;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);  // through links
    if (output_system::is_device_name(path))
        throw usage_error(what + " is a device, not a file; give a file name.");
    if (fs::is_directory(status)) throw usage_error(what + " is a folder; give a file name.");
    if (fs::exists(status) && !fs::is_regular_file(status))
        throw usage_error(what + " is not a regular file (a device, a pipe or a socket); give a file name.");
    if (!fs::exists(status) && fs::is_symlink(fs::symlink_status(path, ec)))
        throw usage_error(what + " is a link to " + fs::read_symlink(path, ec).string() +
                          ", which does not exist; name a file.");
    const std::string target = output_target(path);
    if (fs::exists(status) && !output_system::may_write(target))
        throw usage_error(what + " is read-only for you; make it writable or choose another name.");
    const fs::path folder = fs::path(target).parent_path();
    const fs::file_status folder_status = fs::status(folder, ec);
    if (!fs::exists(folder_status))
        throw usage_error("The folder " + folder.string() + " for " + role + " does not exist.");
    if (!fs::is_directory(folder_status))
        throw usage_error("The folder " + folder.string() + " for " + role + " is not a folder.");
    if (!output_system::may_create_in(folder.string()))
        throw usage_error("The folder " + folder.string() + " for " + role + " is not writable.");
}

void RunFiles::input(const std::string& role, const std::string& path) {
    if (!path.empty()) inputs_.emplace_back(role, path);
}

void RunFiles::output(const std::string& role, const std::string& path) { outputs_.emplace_back(role, path); }

void check_input(const std::string& role, const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status)) throw usage_error(capitalised(role) + " " + path + " is a folder; name a file.");
    if (fs::exists(status) && !fs::is_regular_file(status))
        throw usage_error(capitalised(role) + " " + path + " is not a regular file (a device, a pipe or a socket).");
}

void RunFiles::check() const {
    for (const auto& [role, path] : inputs_) check_input(role, path);
    for (std::size_t i = 0; i < outputs_.size(); ++i) {
        // Named, not a structured binding: clang 14 (the fuzzing build) cannot capture those in a lambda.
        const std::string& role = outputs_[i].first;
        const std::string& path = outputs_[i].second;
        auto clash = [&](const std::pair<std::string, std::string>& other) {
            if (same_file(path, other.second))
                throw usage_error(capitalised(role) + " " + path + " is " + other.first + " " + other.second +
                                  "; choose another name.");
        };
        for (const auto& input : inputs_) clash(input);
        for (std::size_t j = 0; j < i; ++j) clash(outputs_[j]);
        check_output(role, path);
    }
}

}  // namespace commandkit
