// The one policy for every file orbivane-host and orbivane-object write.
//
// Before any work, the files of a run are checked together (RunFiles):
//  - inputs that exist are regular files, not folders, devices or FIFOs;
//  - no output is an input or another output of the run, compared by identity
//    (device and inode, or the same new name under any spelling);
//  - an output is a regular file or a new name: folders, devices, FIFOs and
//    sockets are refused;
//  - a symlink is followed to the file it names, which is replaced in its own
//    folder while the link stays; a dangling link is refused;
//  - a file this user may not write is refused, as cp refuses it.
// Writing (output_file.h) then replaces the file whole, in one step, keeping
// its permission bits (and owner and group where allowed).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "commandkit/command_parser.h"

namespace commandkit {

// The files one run reads and writes, each with its role in a sentence
// ("the model", "the page").
class RunFiles {
public:
    void input(const std::string& role, const std::string& path);
    void output(const std::string& role, const std::string& path);
    // Throws usage_error: one sentence naming the file (and, for a clash, both).
    void check() const;

private:
    std::vector<std::pair<std::string, std::string>> inputs_, outputs_;
};

// Checks one output as RunFiles::check does.
void check_output(const std::string& role, const std::string& path);
// An input that exists must be a regular file (a missing one is left to its reader).
void check_input(const std::string& role, const std::string& path);

// The file an output's bytes go to: through any symlinks, absolute.
std::string output_target(const std::string& path);

// Whether two paths name the same file: the same existing file, or the same new name.
bool same_file(const std::string& a, const std::string& b);

}  // namespace commandkit
