// orbivane-object: looks at QuickTime VR object movies and shares them.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "commandkit/command_parser.h"
#include "objecttool/contact_sheet.h"
#include "objecttool/inspect.h"
#include "objecttool/tool_error.h"
#include "objecttool/web_page.h"

namespace {

using namespace objecttool;
using commandkit::usage_error;

constexpr int exit_done = 0;
constexpr int exit_failed = 1;
constexpr int exit_usage = 2;

constexpr const char* footer = R"(Run orbivane-object COMMAND --help for a command's options.

A failure prints one sentence and exits with status 1 (2 for a wrong
command line); an output file is only ever written whole.
)";

// A sub-command reading one movie; its help starts with `usage`, then `summary`
// (also its line in the command's list), its options, then `details`.
CLI::App& add_command(CLI::App& app, const char* name, const char* usage, const char* summary, const char* details) {
    CLI::App& command = *app.add_subcommand(name, summary);
    commandkit::prepare_app(command, usage, summary);
    command.group("Commands");
    command.footer(details);
    commandkit::add_operand(command, "MOVIE", "the object movie to read");
    return command;
}

CLI::Option* add_output(CLI::App& command, const char* value_name) {
    return commandkit::add_value(command, "-o,--out", value_name, "the file to write", "Options");
}

int run(const std::vector<std::string>& args) {
    CLI::App app("", "orbivane-object");
    commandkit::prepare_app(app, "Usage: orbivane-object COMMAND MOVIE [options]",
                            "Looks at QuickTime VR object movies and shares them.");
    commandkit::add_help(app, "Options");
    app.footer(footer);

    CLI::App& inspect = add_command(app, "inspect", "Usage: orbivane-object inspect MOVIE [--json]",
                                    "the movie's atoms, object record, video track and warnings", R"(
The atom tree (type, offset, size), the object record field by field, the
controller type, the video track, and warnings about what object players
refuse or misread.
)");
    commandkit::add_switch(inspect, "--json", "print the same as JSON, for scripts", "Options");
    commandkit::add_help(inspect, "Options");

    CLI::App& sheet = add_command(app, "sheet", "Usage: orbivane-object sheet MOVIE -o SHEET.png [options]",
                                  "a contact sheet of the views, as PNG", R"(
The views laid out as the object grid, one line per tilt row, each labelled
pan/tilt in degrees.
)");
    add_output(sheet, "SHEET.png");
    commandkit::add_value(sheet, "--columns-step", "N", "keep every N-th column", "Options");
    commandkit::add_value(sheet, "--rows-step", "N", "keep every N-th row", "Options");
    commandkit::add_value(sheet, "--shrink", "N",
                          "divide the frame size by 1, 2, 4 or 8 (default:\nthumbnails about 160 pixels wide)",
                          "Options");
    commandkit::add_help(sheet, "Options");

    CLI::App& web = add_command(app, "web", "Usage: orbivane-object web MOVIE -o PAGE.html [options]",
                                "one self-contained web page that turns the object", R"(
The page turns the object by drag, touch, wheel and keys; it works from a
file with no network.
)");
    add_output(web, "PAGE.html");
    commandkit::add_value(web, "--stereo", "parallel|cross",
                          "the frames are side-by-side stereo pairs, the left eye\n"
                          "in the left half (parallel) or in the right half\n"
                          "(cross); the page then offers side by side,\n"
                          "cross-eyed or one eye",
                          "Options");
    commandkit::add_switch(web, "--autoplay", "spin the object once loaded, until the viewer is touched", "Options");
    commandkit::add_help(web, "Options");

    if (args.empty()) {
        std::fputs(app.help().c_str(), stderr);
        return exit_usage;
    }
    if (const std::optional<std::string> help = commandkit::parse_arguments(app, args)) {
        std::fputs(help->c_str(), stdout);
        return exit_done;
    }
    if (app.get_subcommands().empty())
        throw usage_error("Name a command: inspect, sheet or web; see orbivane-object --help.");
    CLI::App& command = *app.get_subcommands().front();
    auto value = [&command](const char* flag) { return commandkit::value_of(command.get_option(flag)); };
    const std::string name = command.get_name();
    const std::optional<std::string> movie = value("MOVIE");
    if (!movie) throw usage_error(name + " needs a movie file; see orbivane-object " + name + " --help.");

    if (&command == &inspect) {
        const Inspection inspection = inspect_movie(*movie);
        const bool json = commandkit::given(inspect.get_option("--json"));
        std::cout << (json ? inspection_json(inspection) : inspection_text(inspection));
        return exit_done;
    }
    const std::optional<std::string> out = value("--out");
    if (!out) throw usage_error(name + " needs an output file: -o " + (name == "web" ? "PAGE.html." : "SHEET.png."));
    if (&command == &sheet) {
        SheetOptions options;
        if (auto v = value("--columns-step")) options.columns_step = commandkit::whole_number("--columns-step", *v, 1, 32767);
        if (auto v = value("--rows-step")) options.rows_step = commandkit::whole_number("--rows-step", *v, 1, 32767);
        if (auto v = value("--shrink")) {
            options.shrink = commandkit::whole_number("--shrink", *v, 1, 8);
            if (options.shrink & (options.shrink - 1)) throw usage_error("--shrink must be 1, 2, 4 or 8.");
        }
        write_contact_sheet(*movie, *out, options);
    } else {
        WebOptions options;
        if (auto v = value("--stereo")) {
            if (*v == "parallel") options.stereo = StereoLayout::parallel;
            else if (*v == "cross") options.stereo = StereoLayout::cross;
            else throw usage_error("--stereo must be parallel or cross, not \"" + *v + "\".");
        }
        options.autoplay = commandkit::given(web.get_option("--autoplay"));
        write_web_page(*movie, *out, options);
    }
    return exit_done;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const usage_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return exit_usage;
    } catch (const tool_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return exit_failed;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "Out of memory.\n");
        return exit_failed;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orbivane-object: %s.\n", e.what());
        return exit_failed;
    }
}
