#include "simhost/command_line/command_line.h"

#include "simhost/rendering/colour_names.h"

#include <charconv>
#include <cmath>

namespace simhost {

namespace {

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

#if defined(_WIN32)
constexpr const char* plugin_default = "Orbivane.dll beside\nthis program, then the build's own";
constexpr const char* save_dialog_note = R"(
The plug-in's own save dialog (GetSaveFileNameA) is answered from --out: the
host points the plug-in's import of that call at its answer, so no dialog
appears and no one has to type into it.
)";
#else
constexpr const char* plugin_default = "Orbivane.so in ../lib/orbivane\nor ../lib beside this program";
constexpr const char* save_dialog_note = "";
#endif

constexpr const char* capture_group = "Capture (the plug-in's dialog; unset values keep the dialog's own)";
constexpr const char* output_group = "Output and scene";
constexpr const char* running_group = "Running";

constexpr const char* footer = R"(Ctrl-C (or a closed terminal) stops the capture after the current frame. The
movie then holds only the rows completed so far, and that shorter movie
replaces an older file at --out all the same; when no row is complete nothing
is written and an older file stays. A second Ctrl-C ends the program at once,
removing its working files.

Examples:
  orbivane-host --out vase.mov
  orbivane-host --model teapot.obj --columns 36 --rows 7 --size 640x480 --out teapot.mov
  orbivane-host --stereo --method cross --parallax 6 --upper-hemisphere --out pair.mov
)";

// Every flag of the command, in the order --help lists them.
void declare_flags(CLI::App& app) {
    using commandkit::add_switch;
    using commandkit::add_value;
    commandkit::prepare_app(app, "Usage: orbivane-host --out FILE.mov [options]",
                            "Runs the Orbivane plug-in's command in a simulated host: renders the scene\n"
                            "from a grid of viewpoints around the camera's target and writes a QuickTime VR\n"
                            "object movie. Without --model it renders a built-in demo scene.\n");
    add_value(app, "--columns", "N", "turns about the vertical axis per row, 1-360 (dialog: 24)", capture_group);
    add_value(app, "--rows", "N", "rows from straight above to straight below, 1-181 (dialog: 13)", capture_group);
    add_switch(app, "--upper-hemisphere", "capture only the rows from above down to the side", capture_group);
    add_switch(app, "--light-follows", "turn the light with the view", capture_group);
    add_switch(app, "--stereo", "render every view as a side-by-side stereo pair", capture_group);
    add_value(app, "--method", "M", "stereo viewing: parallel or cross (dialog: parallel)", capture_group);
    add_value(app, "--parallax", "DEG", "angle between the two eyes, 0-45 degrees (dialog: 4)", capture_group);

    add_value(app, "--out", "FILE.mov",
              "the object movie to write (\".mov\" is added when there is\n"
              "no extension); an existing file is replaced only once\n"
              "the new movie is complete",
              output_group);
    add_value(app, "--model", "FILE",
              "render a model: Wavefront OBJ (.obj, with its .mtl colours\n"
              "and textures) or glTF 2.0 (.gltf, .glb)",
              output_group);
    add_value(app, "--size", "WxH", "size of each view in pixels, 16-4096 a side (320x240)", output_group);
    add_value(app, "--antialias", "N",
              "smooth edges with N x N samples per pixel, 1-4 (3);\n"
              "1 renders one sample per pixel, hard-edged",
              output_group);
    add_value(app, "--background", "COLOUR",
              "behind the model: a name (white, black, grey, ...) or\n"
              "#rrggbb (slate, the dark blue-grey)",
              output_group);
    add_value(app, "--codec", "jpeg|raw",
              "frame compression: Photo-JPEG or uncompressed RGB (jpeg\n"
              "where this build can encode it, else raw)",
              output_group);
    add_value(app, "--web", "PAGE.html",
              "also write a web page that shows the object (as\n"
              "orbivane-object web does); a bare name goes beside the movie",
              output_group);
    add_value(app, "--sheet", "SHEET.png", "also write a contact sheet of the views (orbivane-object sheet)",
              output_group);

    add_value(app, "--plugin", "PATH", std::string("the plug-in library (default: ") + plugin_default + ")",
              running_group);
    add_switch(app, "--trace", "print every host call the plug-in makes to stderr", running_group);
    commandkit::add_help(app, running_group);
    add_switch(app, "--version", "show the program's version", running_group);
    // For tests, kept out of --help by having no group: stop as if asked after this frame, or
    // once the plug-in's command has returned.
    add_value(app, "--abort-at", "N", "", "");
    add_switch(app, "--interrupt-at-end", "", "");

    app.footer(std::string(footer) + save_dialog_note);
}

}  // namespace

HostCommandLine parse_command_line(const std::vector<std::string>& arguments) {
    CLI::App app("", "orbivane-host");
    declare_flags(app);
    HostCommandLine c;
    if (commandkit::parse_arguments(app, arguments)) {
        c.help = true;
        return c;
    }
    auto value = [&app](const char* flag) { return commandkit::value_of(app.get_option(flag)); };
    auto set = [&app](const char* flag) { return commandkit::given(app.get_option(flag)); };

    c.version = set("--version");
    if (auto v = value("--columns")) c.answers.columns = commandkit::whole_number("--columns", *v, 1, max_columns);
    if (auto v = value("--rows")) c.answers.rows = commandkit::whole_number("--rows", *v, 1, max_rows);
    if (set("--upper-hemisphere")) c.answers.upper_hemisphere = true;
    if (set("--light-follows")) c.answers.light_follows = true;
    if (set("--stereo")) c.answers.stereo = true;
    if (auto v = value("--method")) {
        if (*v == "parallel") c.answers.method = 0;
        else if (*v == "cross") c.answers.method = 1;
        else throw usage_error("--method must be parallel or cross, not \"" + *v + "\".");
    }
    if (auto v = value("--parallax")) c.answers.parallax = angle("--parallax", *v);
    c.out = value("--out").value_or("");
    c.model = value("--model");
    if (auto v = value("--size")) c.size = frame_size(*v);
    if (auto v = value("--antialias")) c.antialias = commandkit::whole_number("--antialias", *v, 1, max_samples_per_side);
    if (auto v = value("--background")) {
        const std::optional<Rgb> colour = colour_named(*v);
        if (!colour)
            throw usage_error("--background must be a colour name (" + colour_names() + ") or #rrggbb, not \"" + *v + "\".");
        c.background = *colour;
    }
    if (auto v = value("--codec")) {
        const std::optional<FrameCodec> codec = frame_codec_named(*v);
        if (!codec) throw usage_error("--codec must be jpeg or raw, not \"" + *v + "\".");
        if (!frame_codec_available(*codec)) throw usage_error("This build cannot write " + *v + " frames.");
        c.codec = *codec;
    }
    c.trace = set("--trace");
    c.plugin = value("--plugin");
    if (auto v = value("--abort-at")) c.abort_at = commandkit::whole_number("--abort-at", *v, 1, 1 << 30);
    c.interrupt_at_end = set("--interrupt-at-end");
    c.web = value("--web");
    c.sheet = value("--sheet");
    for (const char* flag : {"--method", "--parallax"})
        if (set(flag) && !set("--stereo")) c.warnings.push_back(std::string(flag) + " does nothing without --stereo");
    if (!c.version && c.out.empty()) throw usage_error("No output file given; name it with --out FILE.mov.");
    return c;
}

std::string help_text() {
    CLI::App app("", "orbivane-host");
    declare_flags(app);
    return app.help();
}

}  // namespace simhost
