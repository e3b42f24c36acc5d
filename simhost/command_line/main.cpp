// orbivane-host: loads the Orbivane plug-in into the simulated host and runs its command once.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <string>
#include <vector>

#include "commandkit/output_file.h"
#include "commandkit/output_policy.h"
#include "platform/platform.h"
#include "simhost/command_line/cli_support.h"
#include "simhost/command_line/command_line.h"
#include "simhost/command_line/object_views.h"
#include "simhost/command_line/quicktime_location.h"
#include "simhost/host_objects/cp932_text.h"
#include "simhost/host_objects/session.h"
#include "simhost/rendering/demo_scene.h"
#if SIMHOST_WITH_OBJ
#include "simhost/rendering/loaded_model.h"
#endif

namespace {

using namespace simhost;

constexpr int exit_done = 0;
constexpr int exit_failed = 1;
constexpr int exit_usage = 2;
constexpr int exit_stopped = 130;
// The plug-in keeps every path in a buffer of Windows' MAX_PATH, 260 bytes with the closing zero.
constexpr std::size_t plugin_path_limit = platform::max_path - 1;
// Working folders: one for the frames under $TMPDIR, one beside the output for the finished movie.
constexpr const char* work_prefix = "orbivane-host-";
constexpr const char* staging_prefix = ".orbivane-";

constexpr const char* qt_library_name = "QuickTime.qts";
#if defined(_WIN32)
constexpr const char* qt_library_hint =
    "install it, or name its folder in HKLM\\Software\\Apple Computer, Inc.\\QuickTime \"QTSysDir\".";
#else
constexpr const char* qt_library_hint =
    "put it beside the plug-in, or name its folder with ORBIVANE_QTSYSDIR or ORBIVANE_SYSTEM_DIR.";
#endif

#if defined(_WIN32)
constexpr const char* path_separators = "/\\";
// Windows keeps loadable modules beside the program.
constexpr const char* plugin_places[] = {"/Orbivane.dll"};
constexpr const char* plugin_file_name = "Orbivane.dll";
constexpr std::string_view library_signature = "MZ";  // a Windows executable image
#else
constexpr const char* path_separators = "/";
// Installed: PREFIX/bin/orbivane-host and PREFIX/lib/orbivane/; in the build tree: lib/ beside simhost/.
constexpr const char* plugin_places[] = {"/../lib/orbivane/Orbivane.so", "/../lib/Orbivane.so"};
constexpr const char* plugin_file_name = "Orbivane.so";
constexpr std::string_view library_signature = "\x7f" "ELF";
#endif

// A file that begins as this system's loadable libraries do.
bool looks_like_library(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string start(library_signature.size(), '\0');
    return file.read(start.data(), std::streamsize(start.size())) && start == library_signature;
}

std::string find_plugin(const HostCommandLine& c) {
    if (c.plugin) {
        if (std::filesystem::is_directory(*c.plugin))
            throw usage_error("The plug-in " + *c.plugin + " is a folder; name the plug-in's file, " + plugin_file_name + ".");
        if (!is_regular_file(*c.plugin)) throw usage_error("The plug-in " + *c.plugin + " does not exist.");
        if (!looks_like_library(*c.plugin))
            throw usage_error("The plug-in " + *c.plugin + " is not a plug-in library; name " + plugin_file_name + ".");
        return *c.plugin;
    }
    // Found from the program's own place, so an installed tree works wherever it is moved (the
    // Windows build, whose modules sit apart from the program, also knows its build's own).
    for (const char* place : plugin_places)
        if (const std::string path = executable_directory() + place; is_regular_file(path)) return path;
#ifdef ORBIVANE_PLUGIN_BUILD_PATH
    if (is_regular_file(ORBIVANE_PLUGIN_BUILD_PATH)) return ORBIVANE_PLUGIN_BUILD_PATH;
#endif
    throw usage_error(std::string("Cannot find the plug-in ") + plugin_file_name +
                      " beside this program; give its path with --plugin.");
}

std::string with_extension(std::string path) {
    const std::size_t slash = path.find_last_of(path_separators);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.find('.') == std::string::npos) path += ".mov";
    return path;
}

std::string file_title(const std::string& path) {
    const std::size_t slash = path.find_last_of(path_separators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of(path_separators);
    return path.substr(0, slash == 0 ? 1 : slash);
}

// Every path the plug-in is handed, and the ones it makes from them, must fit its buffers.
void check_plugin_path_lengths(const std::string& out, const std::string& temp_parent) {
    const std::string title = file_title(out);
    const std::size_t staged = folder_of(out).size() + 1 + ScratchDirectory::name_length(staging_prefix) + 1 + title.size();
    if (staged > plugin_path_limit) {
        const std::size_t extra = staged - out.size();
        throw usage_error("The output path is too long for the plug-in, which keeps paths in 260-byte buffers "
                          "(Windows' MAX_PATH): the movie is made in a working folder beside it, " +
                          std::to_string(staged) + " bytes, so the output path may have at most " +
                          std::to_string(plugin_path_limit - extra) + " bytes, not " + std::to_string(out.size()) + ".");
    }
    const std::size_t frames = temp_parent.size() + 1 + ScratchDirectory::name_length(work_prefix) + 1 + title.size();
    if (frames > plugin_path_limit)
        throw usage_error("The temporary folder " + temp_parent + " is too long for the plug-in, which keeps paths in "
                          "260-byte buffers (Windows' MAX_PATH): the frames would be recorded under a " +
                          std::to_string(frames) + "-byte path; set TMPDIR to a shorter folder or shorten the file name.");
}

std::string megabytes(std::uint64_t bytes) {
    char text[32];
    if (bytes < 1024 * 1024) std::snprintf(text, sizeof text, "%.1f KB", bytes / 1024.0);
    else std::snprintf(text, sizeof text, "%.1f MB", bytes / (1024.0 * 1024.0));
    return text;
}

// The plug-in says nothing when its movie cannot be written; a folder with less room left
// than the frames recorded would take is the likely reason (a full disk has next to none).
std::string folder_too_full(const std::string& folder, const Session& session, const HostCommandLine& c) {
    std::error_code ec;
    const std::filesystem::space_info space = std::filesystem::space(folder, ec);
    if (ec || session.recorded_frames().empty()) return "";
    const ImageSize frame = session.recorded_frames().back().size;
    const std::uint64_t raw = std::uint64_t(frame.width) * std::uint64_t(frame.height) * 3;
    const std::uint64_t per_frame = c.codec == FrameCodec::raw ? raw : raw / 10;  // Photo-JPEG at quality 90
    if (space.available >= per_frame * session.recorded_frames().size()) return "";
    return "The folder " + folder + " for the movie is full (" + megabytes(space.available) + " free)";
}

int run(const HostCommandLine& c) {
    for (const std::string& warning : c.warnings) std::fprintf(stderr, "warning: %s.\n", warning.c_str());
    // A folder or a device named as the output is refused before ".mov" could turn it into
    // a new file name beside it.
    commandkit::check_output("the movie", absolute_path(c.out));
    const std::string out = absolute_path(with_extension(c.out));
    ObjectViewRequest views;
    if (c.web) views.web = beside_movie(out, *c.web);
    if (c.sheet) views.sheet = beside_movie(out, *c.sheet);
    if ((views.web || views.sheet) && !object_views_available())
        throw usage_error("This build cannot write web pages or contact sheets.");
    // Every file the run reads or writes, checked together before anything is rendered.
    commandkit::RunFiles files;
    files.output("the movie", out);
    if (views.web) files.output("the page", *views.web);
    if (views.sheet) files.output("the sheet", *views.sheet);

    SessionOptions options;
    if (c.model) {
#if SIMHOST_WITH_OBJ
        LoadedModel model = load_model(*c.model);
        for (std::size_t at = 0; at < model.warnings.size();) {
            const std::size_t end = std::min(model.warnings.find('\n', at), model.warnings.size());
            std::string line = model.warnings.substr(at, end - at);
            while (!line.empty() && (line.back() == '.' || line.back() == ' ')) line.pop_back();
            if (!line.empty()) std::fprintf(stderr, "warning: %s.\n", line.c_str());
            at = end + 1;
        }
        files.input("the model", *c.model);
        for (const std::string& library : model.material_files) files.input("the material library", library);
        for (const std::string& texture : model.texture_files) files.input("the texture", texture);
        for (const std::string& resource : model.resource_files) files.input("the model's buffer or picture", resource);
        options.scene = std::move(model.scene);
#else
        throw usage_error("This build reads no models; it renders the demo scene only.");
#endif
    }
    const std::string plugin = find_plugin(c);
    const std::string quicktime = quicktime_library_for(plugin);
    if (quicktime.empty())
        throw usage_error("The plug-in will not find its QuickTime library " + std::string(qt_library_name) +
                          " in any folder it searches, so it could write no movie; " + qt_library_hint);
    if (!looks_like_library(quicktime))
        throw usage_error("The plug-in's QuickTime library " + quicktime + " is not a library (another kind of file, or "
                          "damaged), so it could write no movie; " + qt_library_hint);
    files.input("the plug-in", plugin);
    files.input("the plug-in's QuickTime library", quicktime);
    files.check();
    // The movie is made beside the file it replaces: through a link, the one the link names.
    const std::string target = commandkit::output_target(out);
    check_plugin_path_lengths(target, temp_parent());

    // Working folders left by runs that were killed outright go first.
    ScratchDirectory::remove_abandoned(temp_parent(), work_prefix);
    ScratchDirectory::remove_abandoned(folder_of(target), staging_prefix);
    // The plug-in's temporary frame movie goes into a folder of our own, and
    // the finished movie into a folder beside the output, moved into place
    // only when complete: a failed or stopped run never harms an older file.
    ScratchDirectory work(temp_parent(), work_prefix);
    set_temp_directory(work.path());
    ScratchDirectory staging(folder_of(target), staging_prefix);
    const std::string staged = staging.path() + "/" + file_title(target);

    ProgressLine progress_line;
    options.image_size = c.size;
    options.antialias = c.antialias;
    options.background = c.background;
    options.codec = c.codec;
    options.dialog = c.answers;
    options.save_path = staged;
    options.abort_at_frame = c.abort_at;
    const std::atomic<bool>& stop_requested = install_interrupt_handler();
    options.stop_requested = &stop_requested;
    options.on_window_text = [&progress_line, &c](const std::string& text) {
        if (c.trace) std::fprintf(stderr, "progress: %s\n", text.c_str());
        else progress_line.show(text);
    };
    if (c.trace)
        options.on_call = [](const CallRecord& call) { std::fprintf(stderr, "host: %s\n", call.text().c_str()); };

    Session session(std::move(options));
    const PluginDescription& described = session.load_plugin(plugin);
    if (c.trace)
        std::fprintf(stderr, "plug-in: %s \"%s\" by %s, id 0x%08X: %s\n", plugin.c_str(), described.name.c_str(),
                     described.info_author.c_str(), static_cast<unsigned>(described.id),
                     utf8_from_cp932(described.info_description).c_str());

    const CommandResult result = session.run_command();
    if (c.interrupt_at_end) interrupt_as_ctrl_c();
    progress_line.finish();
    for (const std::string& problem : result.problems) std::fprintf(stderr, "warning: %s.\n", problem.c_str());
    for (const AuditFinding& finding : result.audit.findings) std::fprintf(stderr, "warning: %s.\n", finding.text.c_str());

    const bool stopped = result.abort_raised;
    if (!result.returned) {
        std::fprintf(stderr, "The command failed: %s.\n", result.exception.c_str());
        return exit_failed;
    }
    if (!is_regular_file(staged)) {
        if (session.dialogs().empty() || !session.dialogs().back().confirmed)
            std::fprintf(stderr, "The command was cancelled in its dialog; nothing was written.\n");
        else if (stopped)
            std::fprintf(stderr, "Stopped before the first row was complete; nothing was written.\n");
        else if (const std::string full = folder_too_full(folder_of(target), session, c); !full.empty())
            std::fprintf(stderr, "%s; the plug-in could not write the movie, and %s is unchanged.\n", full.c_str(),
                         out.c_str());
        else
            std::fprintf(stderr, "The plug-in wrote no movie; %s is unchanged.\n", out.c_str());
        return stopped ? exit_stopped : exit_failed;
    }
    commandkit::put_in_place(staged, out);

    const DialogItem* columns_item = session.dialogs().back().item_with_id(DialogAnswers::columns_id);
    const int columns = columns_item ? static_cast<int>(columns_item->value) : 0;
    const int frames = result.frames_recorded;
    const int rows = columns > 0 ? frames / columns : 0;
    const std::vector<RecordedFrame>& recorded = session.recorded_frames();
    const ImageSize frame = recorded.empty() ? ImageSize{0, 0} : recorded.back().size;
    std::printf("%s %s\n  grid %d x %d (%d frames), frames %d x %d, %s, %.1f s\n",
                stopped ? "Stopped early; wrote the rows completed to" : "Wrote", out.c_str(), columns, rows,
                rows * columns, frame.width, frame.height, megabytes(file_size(out).value_or(0)).c_str(),
                result.seconds);
    const DialogItem* stereo_item = session.dialogs().back().item_with_id(DialogAnswers::stereo_id);
    const DialogItem* method_item = session.dialogs().back().item_with_id(DialogAnswers::method_id);
    views.stereo = stereo_item && stereo_item->value != 0;
    views.cross = method_item && method_item->value == 1;
    // A stop that came after the last frame ends the run here: the movie is complete.
    const bool stopped_late = !stopped && stop_requested;
    if (stopped_late) {
        std::fprintf(stderr, "Stopped after the last frame; the movie is complete%s.\n",
                     views.web || views.sheet ? ", the page and sheet were not written" : "");
    } else if (std::string problem; !write_object_views(out, views, problem)) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return exit_failed;
    }
    commandkit::finish_standard_output();
    return stopped || stopped_late ? exit_stopped : exit_done;
}

}  // namespace

int orbivane_host_main(int argc, char** argv) {
    HostCommandLine command_line;
    try {
        command_line = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const usage_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return exit_usage;
    }
    try {
        if (command_line.help) {
            commandkit::write_standard_output(help_text());
            return exit_done;
        }
        if (command_line.version) {
            commandkit::write_standard_output(std::string("orbivane-host ") + ORBIVANE_VERSION + "\n");
            return exit_done;
        }
        return run(command_line);
    } catch (const usage_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return exit_usage;
#if SIMHOST_WITH_OBJ
    } catch (const model_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return exit_usage;
#endif
    } catch (const commandkit::output_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return exit_failed;
    } catch (const plugin_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return exit_failed;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orbivane-host: %s.\n", e.what());
        return exit_failed;
    }
}
