// The orbivane-host command line: flags, their checks, and the help text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commandkit/command_parser.h"
#include "host/host_types.h"
#include "simhost/host_objects/session_options.h"
#include "simhost/recording/frame_codec.h"

namespace simhost {

using commandkit::usage_error;

struct HostCommandLine {
    bool help = false;
    bool version = false;
    DialogAnswers answers;  // from --columns ... --parallax
    std::string out;        // as given; ".mov" added when it has no extension
    std::optional<std::string> model;
    ImageSize size{320, 240};
    int antialias = default_samples_per_side;
    Rgb background = RenderStyle{}.background;
    // Photo-JPEG where this build can encode it, else uncompressed RGB.
    FrameCodec codec = frame_codec_available(FrameCodec::jpeg) ? FrameCodec::jpeg : FrameCodec::raw;
    bool trace = false;
    std::optional<std::string> plugin;
    int abort_at = 0;  // for tests: stop as if asked after this frame; not in --help
    bool interrupt_at_end = false;  // for tests: a Ctrl-C once the plug-in's command returned
    // Written after the capture; a name without a folder goes beside the movie.
    std::optional<std::string> web, sheet;
    // Flags that do nothing as given, each a sentence without its full stop.
    std::vector<std::string> warnings;
};

// Ranges the command accepts.
constexpr int max_columns = 360;
constexpr int max_rows = 181;
constexpr float max_parallax = 45.0f;
constexpr int min_side = 16;
constexpr int max_side = 4096;

// Checks every flag and value (not the files); throws usage_error.
HostCommandLine parse_command_line(const std::vector<std::string>& arguments);
std::string help_text();

}  // namespace simhost
