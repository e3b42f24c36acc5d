// Writing an output under the one policy (output_policy.h): the bytes go to a
// hidden file beside the file the path names, every write, flush and close
// checked, and it replaces that file in one step only once complete. A failure
// leaves the user's file as it was and no temporary behind.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace commandkit {

// A file that could not be written: one sentence naming it and the reason in
// words ("no space left on device"); the commands exit with status 1.
class output_error : public std::runtime_error {
public:
    explicit output_error(const std::string& sentence) : std::runtime_error(sentence) {}
};

class OutputFile {
public:
    explicit OutputFile(const std::string& path);  // throws output_error
    ~OutputFile();                                  // an unfinished file is removed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);  // throws output_error
    // Flushes, closes and puts the file in place; throws output_error.
    void finish();

private:
    [[noreturn]] void fail(const std::string& reason);

    std::string path_, target_, temporary_;
    std::intptr_t handle_ = -1;
};

void write_output_file(const std::string& path, std::string_view bytes);

// Puts a complete file made in the target's folder (by someone else, such as
// the plug-in) in place of the output; throws output_error.
void put_in_place(const std::string& made, const std::string& path);

// Standard output as a stream: written and flushed with its errors checked.
// Throws output_error ("Cannot write to standard output: ...").
void write_standard_output(std::string_view text);
// Flushes what was printed with printf and the like; throws as above.
void finish_standard_output();

}  // namespace commandkit
