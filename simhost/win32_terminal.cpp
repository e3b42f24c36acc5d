#include <io.h>

#include <cstdio>

#include "simhost/cli_support.h"

namespace simhost {

namespace {

// A console needs no escape sequences: the line is padded over the previous one.
constexpr int line_width = 60;

}  // namespace

ProgressLine::ProgressLine() : terminal_(_isatty(_fileno(stderr)) != 0) {}

void ProgressLine::show(const std::string& text) {
    if (!terminal_) return;
    std::fprintf(stderr, "\r%-*s", line_width, text.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressLine::finish() {
    if (!drawn_) return;
    std::fputc('\n', stderr);
    drawn_ = false;
}

}  // namespace simhost
