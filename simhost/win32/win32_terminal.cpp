#include <io.h>

#include <cstdio>

#include "simhost/command_line/cli_support.h"

namespace simhost {

namespace {

// A console needs no escape sequences: the line is padded over the previous one.
constexpr int line_width = 60;

}  // namespace

bool ProgressLine::stderr_is_terminal() { return _isatty(_fileno(stderr)) != 0; }

void ProgressLine::write_over(const std::string& text) { std::fprintf(stderr, "\r%-*s", line_width, text.c_str()); }

}  // namespace simhost
