#include "simhost/command_line/command_line.h"

#include <charconv>
#include <cmath>

namespace simhost {

namespace {

int whole_number(const std::string& flag, const std::string& text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        throw usage_error(flag + " must be a whole number from " + std::to_string(low) + " to " +
                          std::to_string(high) + ", not \"" + text + "\".");
    return value;
}

float angle(const std::string& flag, const std::string& text) {
    float value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < 0 ||
        value > max_parallax)
        throw usage_error(flag + " must be an angle in degrees from 0 to " + std::to_string(int(max_parallax)) +
                          ", not \"" + text + "\".");
    return value;
}

ImageSize frame_size(const std::string& text) {
    const std::size_t x = text.find_first_of("xX");
    auto side = [&](const std::string& part) {
        int value = 0;
        const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
        return (ec == std::errc() && end == part.data() + part.size() && !part.empty()) ? value : -1;
    };
    const int w = x == std::string::npos ? -1 : side(text.substr(0, x));
    const int h = x == std::string::npos ? -1 : side(text.substr(x + 1));
    if (w < min_side || h < min_side || w > max_side || h > max_side)
        throw usage_error("--size must be WIDTHxHEIGHT with each side from " + std::to_string(min_side) + " to " +
                          std::to_string(max_side) + " pixels, not \"" + text + "\".");
    return {w, h};
}

bool takes_value(const std::string& flag) {
    for (const char* f : {"--columns", "--rows", "--method", "--parallax", "--out", "--model", "--size", "--codec",
                          "--plugin", "--abort-at", "--antialias", "--web", "--sheet"})
        if (flag == f) return true;
    return false;
}

}  // namespace

HostCommandLine parse_command_line(const std::vector<std::string>& arguments) {
    HostCommandLine c;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string flag = arguments[i];
        std::optional<std::string> value;
        if (const std::size_t eq = flag.find('='); flag.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = flag.substr(eq + 1);
            flag = flag.substr(0, eq);
        }
        if (flag.rfind("--", 0) != 0 && flag != "-h")
            throw usage_error("Unexpected argument \"" + flag + "\"; options start with --, see orbivane-host --help.");
        if (takes_value(flag)) {
            if (!value) {
                if (i + 1 >= arguments.size()) throw usage_error(flag + " needs a value; see orbivane-host --help.");
                value = arguments[++i];
            }
        } else if (value) {
            throw usage_error(flag + " takes no value.");
        }

        if (flag == "--help" || flag == "-h") c.help = true;
        else if (flag == "--version") c.version = true;
        else if (flag == "--columns") c.answers.columns = whole_number(flag, *value, 1, max_columns);
        else if (flag == "--rows") c.answers.rows = whole_number(flag, *value, 1, max_rows);
        else if (flag == "--upper-hemisphere") c.answers.upper_hemisphere = true;
        else if (flag == "--light-follows") c.answers.light_follows = true;
        else if (flag == "--stereo") c.answers.stereo = true;
        else if (flag == "--method") {
            if (*value == "parallel") c.answers.method = 0;
            else if (*value == "cross") c.answers.method = 1;
            else throw usage_error("--method must be parallel or cross, not \"" + *value + "\".");
        } else if (flag == "--parallax") c.answers.parallax = angle(flag, *value);
        else if (flag == "--out") {
            if (value->empty()) throw usage_error("--out needs a file name.");
            c.out = *value;
        } else if (flag == "--model") c.model = *value;
        else if (flag == "--size") c.size = frame_size(*value);
        else if (flag == "--antialias") c.antialias = whole_number(flag, *value, 1, max_samples_per_side);
        else if (flag == "--codec") {
            const std::optional<FrameCodec> codec = frame_codec_named(*value);
            if (!codec) throw usage_error("--codec must be jpeg or raw, not \"" + *value + "\".");
            if (!frame_codec_available(*codec)) throw usage_error("This build cannot write " + *value + " frames.");
            c.codec = *codec;
        } else if (flag == "--trace") c.trace = true;
        else if (flag == "--plugin") c.plugin = *value;
        else if (flag == "--abort-at") c.abort_at = whole_number(flag, *value, 1, 1 << 30);
        else if (flag == "--web" || flag == "--sheet") {
            if (value->empty()) throw usage_error(flag + " needs a file name.");
            (flag == "--web" ? c.web : c.sheet) = *value;
        }
        else throw usage_error("Unknown option " + flag + "; see orbivane-host --help for the list.");
    }
    if (!c.help && !c.version && c.out.empty()) throw usage_error("No output file given; name it with --out FILE.mov.");
    return c;
}

namespace {

#if defined(_WIN32)
constexpr const char* plugin_default = "Orbivane.dll beside\n                       this program, then the build's own";
constexpr const char* save_dialog_note = R"(
The plug-in's own save dialog (GetSaveFileNameA) is answered from --out: the
host points the plug-in's import of that call at its answer, so no dialog
appears and no one has to type into it.
)";
#else
constexpr const char* plugin_default = "Orbivane.so in ../lib\n                       beside this program, then the build's own";
constexpr const char* save_dialog_note = "";
#endif

}  // namespace

std::string help_text() {
    std::string text = R"(Usage: orbivane-host --out FILE.mov [options]

Runs the Orbivane plug-in's command in a simulated host: renders the scene
from a grid of viewpoints around the camera's target and writes a QuickTime VR
object movie. Without --model it renders a built-in demo scene.

Capture (the plug-in's dialog; unset values keep the dialog's own):
  --columns N          turns about the vertical axis per row, 1-360 (dialog: 24)
  --rows N             rows from straight above to straight below, 1-181 (dialog: 13)
  --upper-hemisphere   capture only the rows from above down to the side
  --light-follows      turn the light with the view
  --stereo             render every view as a side-by-side stereo pair
  --method M           stereo viewing: parallel or cross (dialog: parallel)
  --parallax DEG       angle between the two eyes, 0-45 degrees (dialog: 4)

Output and scene:
  --out FILE.mov       the object movie to write (".mov" is added when there is
                       no extension); an existing file is replaced only once
                       the new movie is complete
  --model FILE.obj     render a Wavefront OBJ model, coloured by its .mtl file
  --size WxH           size of each view in pixels, 16-4096 a side (320x240)
  --antialias N        smooth edges with N x N samples per pixel, 1-4 (3);
                       1 renders one sample per pixel, hard-edged
  --codec jpeg|raw     frame compression: Photo-JPEG or uncompressed RGB (jpeg
                       where this build can encode it, else raw)
  --web PAGE.html      also write a web page that shows the object (as
                       orbivane-object web does); a bare name goes beside the movie
  --sheet SHEET.png    also write a contact sheet of the views (orbivane-object sheet)

Running:
  --plugin PATH        the plug-in library (default: PLUGIN_DEFAULT)
  --trace              print every host call the plug-in makes to stderr
  --help               show this text
  --version            show the program's version

Ctrl-C (or a closed terminal) stops the capture after the current frame. The
movie then holds only the rows completed so far, and that shorter movie
replaces an older file at --out all the same; when no row is complete nothing
is written and an older file stays. A second Ctrl-C ends the program at once,
removing its working files.

Examples:
  orbivane-host --out vase.mov
  orbivane-host --model teapot.obj --columns 36 --rows 7 --size 640x480 --out teapot.mov
  orbivane-host --stereo --method cross --parallax 6 --upper-hemisphere --out pair.mov
)";
    text.replace(text.find("PLUGIN_DEFAULT"), 14, plugin_default);
    return text + save_dialog_note;
}

}  // namespace simhost
