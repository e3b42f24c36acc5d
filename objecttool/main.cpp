// orbivane-object: looks at QuickTime VR object movies and shares them.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <exception>
#include <string>
#include <vector>

#include "commandkit/command_parser.h"
#include "commandkit/output_file.h"
#include "commandkit/output_policy.h"
#include "objecttool/contact_sheet.h"
#include "objecttool/inspect.h"
#include "objecttool/tool_error.h"
#include "objecttool/view_selection.h"
#include "objecttool/web_batch.h"
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
CLI::App& add_command(CLI::App& app, const char* name, const char* usage, const char* summary, const char* details,
                      bool many = false) {
    CLI::App& command = *app.add_subcommand(name, summary);
    commandkit::prepare_app(command, usage, summary);
    command.group("Commands");
    command.footer(details);
    if (many) commandkit::add_operands(command, "MOVIE", "the object movies to read, or folders of them");
    else commandkit::add_operand(command, "MOVIE", "the object movie to read");
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
The atom tree (type, offset, size), the object record field by field
(QuickTime VR 1.0 'NAVG' or 2.x 'obji'), the view states, the controller
type, the video track, and warnings about what object players refuse or
misread.
)");
    commandkit::add_switch(inspect, "--json", "print the same as JSON, for scripts", "Options");
    commandkit::add_help(inspect, "Options");

    CLI::App& sheet = add_command(app, "sheet", "Usage: orbivane-object sheet MOVIE -o SHEET.png [options]",
                                  "a contact sheet of the views, as PNG", R"(
The views laid out as the object grid, one line per tilt row, each labelled
pan/tilt in degrees; an animated view by its first frame, each view state
in a section of its own.
)");
    add_output(sheet, "SHEET.png");
    commandkit::add_value(sheet, "--columns-step", "N", "keep every N-th column", "Options");
    commandkit::add_value(sheet, "--rows-step", "N", "keep every N-th row", "Options");
    commandkit::add_value(sheet, "--shrink", "N",
                          "divide the frame size by 1, 2, 4 or 8 (default:\nthumbnails about 160 pixels wide)",
                          "Options");
    commandkit::add_help(sheet, "Options");

    CLI::App& web = add_command(app, "web",
                                "Usage: orbivane-object web MOVIE -o PAGE.html [options]\n"
                                "       orbivane-object web MOVIE... | FOLDER -o OUT-FOLDER [options]",
                                "one web page that turns the object", R"(
The page turns the object by drag, touch, wheel and keys, zooms and goes full
screen; it works from a file with no network and from any web server. By
default it is one self-contained file.

Given several movies or a folder, web writes one page per movie into
OUT-FOLDER and index.html with a thumbnail and the grid of each. A movie
that cannot be read gets its one-line error and the others go on; the exit
status is 1 when any failed.
)",
                                true);
    add_output(web, "PAGE.html|OUT-FOLDER");
    commandkit::add_value(web, "--title", "TEXT", "the page's and the viewer's name (default: the\nmovie's file name)",
                          "Options");
    commandkit::add_value(web, "--view", "COLUMN,ROW", "open on this view (counted from 1, as select and\ninspect count) instead of the record's",
                          "Options");
    commandkit::add_switch(web, "--folder",
                           "a small page plus PAGE-frames/, one JPEG file per\nframe, for web servers", "Options");
    commandkit::add_switch(web, "--bare", "no heading, hint or margins, for embedding", "Options");
    commandkit::add_switch(web, "--grow",
                           "let the viewer fill the space it is given, larger\nthan the frames' own size (they are scaled up)",
                           "Options");
    commandkit::add_value(web, "--intro", "TURNS|hover",
                          "spin TURNS times when the viewer comes into view,\nor while the mouse is over it", "Options");
    commandkit::add_value(web, "--stereo", "parallel|cross",
                          "the frames are side-by-side stereo pairs, the left eye\n"
                          "in the left half (parallel) or in the right half\n"
                          "(cross); the page then offers side by side,\n"
                          "cross-eyed or one eye",
                          "Options");
    commandkit::add_switch(web, "--autoplay",
                           "spin until the reader acts (spins pause on hover,\nout of view and in a hidden tab)",
                           "Options");
    commandkit::add_help(web, "Options");

    CLI::App& select = add_command(app, "select", "Usage: orbivane-object select MOVIE -o NEW.mov [options]",
                                   "a new object movie from chosen rows and columns", R"(
LIST is numbers from 1 and ranges, comma-separated: 2, 1-12, 1,4,7,10, or
34-36,1-3 for an arc across the first column of a whole turn. The chosen
columns (rows) must follow each other at one step, as object players place
views at equal angles. The frames are copied as they are, not re-encoded;
the new movie's object record states its grid, its angles and its initial
view (the source's where it was chosen).
)");
    add_output(select, "NEW.mov");
    commandkit::add_value(select, "--columns", "LIST", "the columns to keep (default: all)", "Options");
    commandkit::add_value(select, "--rows", "LIST", "the rows to keep (default: all)", "Options");
    commandkit::add_help(select, "Options");

    if (args.empty()) {
        std::fputs(app.help().c_str(), stderr);
        return exit_usage;
    }
    if (const std::optional<std::string> help = commandkit::parse_arguments(app, args)) {
        std::fputs(help->c_str(), stdout);
        return exit_done;
    }
    if (app.get_subcommands().empty())
        throw usage_error("Name a command: inspect, sheet, web or select; see orbivane-object --help.");
    CLI::App& command = *app.get_subcommands().front();
    auto value = [&command](const char* flag) { return commandkit::value_of(command.get_option(flag)); };
    const std::string name = command.get_name();
    const std::optional<std::string> movie = value("MOVIE");
    if (!movie) throw usage_error(name + " needs a movie file; see orbivane-object " + name + " --help.");

    // web over several movies or a folder writes a folder of pages, each page
    // under the output policy as it is written.
    const std::vector<std::string> inputs = command.get_option("MOVIE")->results();
    std::error_code not_folder;
    const bool batch =
        &command == &web && (inputs.size() > 1 || std::filesystem::is_directory(inputs.front(), not_folder));
    commandkit::RunFiles files;
    if (!batch) files.input("the movie", *movie);
    if (&command == &inspect) {
        files.check();
        const Inspection inspection = inspect_movie(*movie);
        const bool json = commandkit::given(inspect.get_option("--json"));
        commandkit::write_standard_output(json ? inspection_json(inspection) : inspection_text(inspection));
        return exit_done;
    }
    const std::optional<std::string> out = value("--out");
    if (!out)
        throw usage_error(name + " needs an output file: -o " +
                          (name == "web" ? "PAGE.html." : name == "select" ? "NEW.mov." : "SHEET.png."));
    if (!batch) {
        files.output(name == "web" ? "the page" : name == "select" ? "the new movie" : "the sheet", *out);
        files.check();
    }
    if (&command == &select) {
        auto view_numbers = [&](const char* flag) -> std::vector<int> {
            const std::optional<std::string> text = value(flag);
            if (!text) return {};
            const auto numbers = parse_view_numbers(*text);
            if (!numbers)
                throw usage_error(std::string(flag) + " must list numbers from 1 and ranges such as 1-12, "
                                  "comma-separated, not \"" + *text + "\".");
            return *numbers;
        };
        SelectOptions options;
        options.columns = view_numbers("--columns");
        options.rows = view_numbers("--rows");
        write_view_selection(*movie, *out, options);
    } else if (&command == &sheet) {
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
        options.folder = commandkit::given(web.get_option("--folder"));
        options.bare = commandkit::given(web.get_option("--bare"));
        options.grow = commandkit::given(web.get_option("--grow"));
        if (auto v = value("--title")) options.title = *v;
        if (auto v = value("--view")) {
            const std::size_t comma = v->find(',');
            if (comma == std::string::npos) throw usage_error("--view must be COLUMN,ROW, not \"" + *v + "\".");
            options.view = OpeningView{commandkit::whole_number("--view's column", v->substr(0, comma), 1, 32767) - 1,
                                       commandkit::whole_number("--view's row", v->substr(comma + 1), 1, 32767) - 1};
        }
        if (auto v = value("--intro")) {
            if (*v == "hover") options.intro_hover = true;
            else options.intro_turns = commandkit::whole_number("--intro", *v, 1, 100);
        }
        if (!batch) {
            write_web_page(*movie, *out, options);
            return exit_done;
        }
        const auto entries = write_web_pages(batch_movies(inputs), *out, options,
                                             [](const std::string& error) { std::fprintf(stderr, "%s\n", error.c_str()); });
        const bool failed = std::any_of(entries.begin(), entries.end(), [](const BatchEntry& e) { return e.page.empty(); });
        return failed ? exit_failed : exit_done;
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
    } catch (const commandkit::output_error& e) {
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
