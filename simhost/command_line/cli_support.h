// What the orbivane-host command needs from the operating system: Ctrl-C,
// the terminal's progress line, paths and working folders (the output files'
// policy is commandkit's).
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

// The orbivane-host command (main.cpp); the program's entry calls it.
int orbivane_host_main(int argc, char** argv);

namespace simhost {

// The first Ctrl-C (or SIGTERM, SIGHUP, the console closing) sets the flag, and
// the host's abort follows at the next progress advance; a second one removes
// the working folders and ends the process.
const std::atomic<bool>& install_interrupt_handler();
// For tests: what a Ctrl-C does, sent by the program to itself.
void interrupt_as_ctrl_c();

// One line on stderr rewritten in place, shown only on a terminal.
class ProgressLine {
public:
    ProgressLine();
    void show(const std::string& text);
    // Ends the line so later output starts on a fresh one.
    void finish();

private:
    // The platform's parts (posix/posix_terminal.cpp, win32/win32_terminal.cpp).
    static bool stderr_is_terminal();
    // Writes `text` over the line's previous text, the cursor left after it.
    static void write_over(const std::string& text);

    bool terminal_;
    bool drawn_ = false;
};

std::string absolute_path(const std::string& path);
bool is_regular_file(const std::string& path);
std::optional<std::uint64_t> file_size(const std::string& path);
// The folder holding this program.
std::string executable_directory();
// $TMPDIR, else /tmp.
std::string temp_parent();
void set_temp_directory(const std::string& path);
// Fixes the system directory the plug-in at plugin_path searches for QuickTime.qts, for
// this process and the plug-in alike (POSIX: ORBIVANE_SYSTEM_DIR, else the plug-in's own
// folder; Windows: the real one, nothing to do).
void pin_plugin_system_directory(const std::string& plugin_path);

// A fresh private folder, removed with whatever is left in it. Its name holds
// the process id after the prefix, so a later run can tell one left behind
// by a process that no longer runs (killed outright) and remove it.
class ScratchDirectory {
public:
    // Throws std::runtime_error when the folder cannot be made.
    ScratchDirectory(const std::string& parent, const std::string& prefix);
    // Removes, with their files, the folders in parent named by prefix whose process is
    // gone; answers how many.
    static int remove_abandoned(const std::string& parent, const std::string& prefix);
    // The length of the name such a folder gets.
    static std::size_t name_length(const std::string& prefix);
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Removes every ScratchDirectory still alive, with its files. On POSIX it makes
// system calls only, so a signal handler may call it.
void remove_live_scratch_directories();

}  // namespace simhost
