// orbivane-object: looks at QuickTime VR object movies and shares them.
#include <charconv>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "objecttool/contact_sheet.h"
#include "objecttool/inspect.h"
#include "objecttool/tool_error.h"
#include "objecttool/web_page.h"

namespace {

using namespace objecttool;

constexpr int exit_done = 0;
constexpr int exit_failed = 1;
constexpr int exit_usage = 2;

const char* const help = R"(Usage: orbivane-object COMMAND MOVIE [options]

Commands:
  inspect MOVIE [--json]
      The atom tree (type, offset, size), the object record field by field,
      the controller type, the video track, and warnings about what object
      players refuse or misread. --json prints the same for scripts.
  sheet MOVIE -o SHEET.png [--columns-step N] [--rows-step N] [--shrink N]
      A contact sheet: the views laid out as the object grid, one line per
      tilt row, each labelled pan/tilt in degrees. The steps keep every N-th
      column and row; --shrink 1, 2, 4 or 8 divides the frame size
      (default: thumbnails about 160 pixels wide).
  web MOVIE -o PAGE.html [--title TEXT] [--view COLUMN,ROW] [--folder]
      [--bare] [--intro TURNS|hover] [--autoplay] [--stereo parallel|cross]
      One self-contained HTML page that shows the object and turns it by
      drag, touch, wheel and keys, zooms and goes full screen; it works from
      a file with no network and from any web server.
      --title: the page's and the viewer's name (default: the file name).
      --view: open on this view (counted from 0) instead of the record's.
      --folder: a small page plus PAGE-frames/, one JPEG file per frame,
      for web servers (frames load as the viewer comes into view).
      --bare: no heading, hint or margins, for embedding in other pages.
      --intro: spin TURNS times when the viewer comes into view, or while
      the mouse is over it (hover). --autoplay spins until the reader acts;
      both pause on hover, out of view and in a hidden tab.
      --stereo: the frames are side-by-side stereo pairs, the left eye in
      the left half (parallel) or in the right half (cross); the page then
      offers side by side, cross-eyed or one eye.

A failure prints one sentence and exits with status 1 (2 for a wrong
command line); an output file is only ever written whole.
)";

struct usage_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

int whole_number(const std::string& flag, const std::string& text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        throw usage_error(flag + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                          ", not \"" + text + "\".");
    return value;
}

int run(const std::vector<std::string>& args) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(help, args.empty() ? stderr : stdout);
        return args.empty() ? exit_usage : exit_done;
    }
    const std::string& command = args[0];
    if (command != "inspect" && command != "sheet" && command != "web")
        throw usage_error("Unknown command \"" + command + "\"; the commands are inspect, sheet and web.");
    std::string movie, out;
    bool json = false;
    SheetOptions sheet;
    WebOptions web;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw usage_error(arg + " needs a value.");
            return args[++i];
        };
        auto only_for = [&](const char* which) {
            if (command != which) throw usage_error(arg + " is an option of " + which + ", not of " + command + ".");
        };
        if (arg == "--json") only_for("inspect"), json = true;
        else if (arg == "-o" || arg == "--out") {
            if (command == "inspect") throw usage_error("inspect prints to the terminal and takes no -o.");
            out = value();
        } else if (arg == "--columns-step") only_for("sheet"), sheet.columns_step = whole_number(arg, value(), 1, 32767);
        else if (arg == "--rows-step") only_for("sheet"), sheet.rows_step = whole_number(arg, value(), 1, 32767);
        else if (arg == "--shrink") {
            only_for("sheet");
            sheet.shrink = whole_number(arg, value(), 1, 8);
            if (sheet.shrink & (sheet.shrink - 1)) throw usage_error("--shrink must be 1, 2, 4 or 8.");
        } else if (arg == "--stereo") {
            only_for("web");
            const std::string& layout = value();
            if (layout == "parallel") web.stereo = StereoLayout::parallel;
            else if (layout == "cross") web.stereo = StereoLayout::cross;
            else throw usage_error("--stereo must be parallel or cross, not \"" + layout + "\".");
        } else if (arg == "--autoplay") only_for("web"), web.autoplay = true;
        else if (arg == "--title") only_for("web"), web.title = value();
        else if (arg == "--folder") only_for("web"), web.folder = true;
        else if (arg == "--bare") only_for("web"), web.bare = true;
        else if (arg == "--view") {
            only_for("web");
            const std::string& view = value();
            const std::size_t comma = view.find(',');
            if (comma == std::string::npos) throw usage_error("--view must be COLUMN,ROW, not \"" + view + "\".");
            web.view = OpeningView{whole_number("--view's column", view.substr(0, comma), 0, 32767),
                                   whole_number("--view's row", view.substr(comma + 1), 0, 32767)};
        } else if (arg == "--intro") {
            only_for("web");
            const std::string& intro = value();
            if (intro == "hover") web.intro_hover = true;
            else web.intro_turns = whole_number(arg, intro, 1, 100);
        }
        else if (arg.size() > 1 && arg[0] == '-') throw usage_error("Unknown option " + arg + "; see orbivane-object --help.");
        else if (movie.empty()) movie = arg;
        else throw usage_error("Unexpected argument \"" + arg + "\"; " + command + " reads one movie.");
    }
    if (movie.empty()) throw usage_error(command + " needs a movie file; see orbivane-object --help.");
    if (command != "inspect" && out.empty())
        throw usage_error(command + " needs an output file: -o " + (command == "web" ? "PAGE.html." : "SHEET.png."));

    if (command == "inspect") {
        const Inspection inspection = inspect_movie(movie);
        std::cout << (json ? inspection_json(inspection) : inspection_text(inspection));
    } else if (command == "sheet") {
        write_contact_sheet(movie, out, sheet);
    } else {
        write_web_page(movie, out, web);
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
