// orbivane-host: loads the Orbivane plug-in into the simulated host and runs its command once.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

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
constexpr const char* plugin_beside_program = "/Orbivane.dll";
constexpr const char* plugin_file_name = "Orbivane.dll";
#else
constexpr const char* path_separators = "/";
constexpr const char* plugin_beside_program = "/../lib/Orbivane.so";
constexpr const char* plugin_file_name = "Orbivane.so";
#endif

std::string find_plugin(const HostCommandLine& c) {
    if (c.plugin) {
        if (!is_regular_file(*c.plugin)) throw usage_error("The plug-in " + *c.plugin + " does not exist.");
        return *c.plugin;
    }
    const std::string beside = executable_directory() + plugin_beside_program;
    if (is_regular_file(beside)) return beside;
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

// The output may not be a file the run reads: a source would be overwritten by the movie.
void refuse_output_over_inputs(const std::string& out, const std::vector<std::pair<std::string, std::string>>& inputs) {
    platform::Platform& os = platform::native_platform();
    for (const auto& [what, path] : inputs)
        if (!path.empty() && os.same_file(out.c_str(), path.c_str()))
            throw usage_error("The output " + out + " is " + what + " " + path + "; choose another name.");
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

int run(const HostCommandLine& c) {
    // A folder or a device named as the output is refused before ".mov" could turn it into
    // a new file name beside it.
    check_output_path(absolute_path(c.out));
    const std::string out = absolute_path(with_extension(c.out));
    check_output_path(out);
    ObjectViewRequest views;
    if (c.web) views.web = beside_movie(out, *c.web);
    if (c.sheet) views.sheet = beside_movie(out, *c.sheet);
    if ((views.web || views.sheet) && !object_views_available())
        throw usage_error("This build cannot write web pages or contact sheets.");
    for (const auto& extra : {views.web, views.sheet})
        if (extra) check_output_path(*extra);

    SessionOptions options;
    std::vector<std::pair<std::string, std::string>> inputs;
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
        inputs.emplace_back("the model", *c.model);
        for (const std::string& library : model.material_files) inputs.emplace_back("the material library", library);
        for (const std::string& texture : model.texture_files) inputs.emplace_back("the texture", texture);
        for (const std::string& resource : model.resource_files) inputs.emplace_back("the model's buffer or picture", resource);
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
    inputs.emplace_back("the plug-in", plugin);
    inputs.emplace_back("the plug-in's QuickTime library", quicktime);
    refuse_output_over_inputs(out, inputs);
    for (const auto& extra : {views.web, views.sheet})
        if (extra) refuse_output_over_inputs(*extra, inputs);
    check_plugin_path_lengths(out, temp_parent());

    // Working folders left by runs that were killed outright go first.
    ScratchDirectory::remove_abandoned(temp_parent(), work_prefix);
    ScratchDirectory::remove_abandoned(folder_of(out), staging_prefix);
    // The plug-in's temporary frame movie goes into a folder of our own, and
    // the finished movie into a folder beside the output, moved into place
    // only when complete: a failed or stopped run never harms an older file.
    ScratchDirectory work(temp_parent(), work_prefix);
    set_temp_directory(work.path());
    ScratchDirectory staging(folder_of(out), staging_prefix);
    const std::string staged = staging.path() + "/" + file_title(out);

    ProgressLine progress_line;
    options.image_size = c.size;
    options.antialias = c.antialias;
    options.background = c.background;
    options.codec = c.codec;
    options.dialog = c.answers;
    options.save_path = staged;
    options.abort_at_frame = c.abort_at;
    options.stop_requested = &install_interrupt_handler();
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
        else
            std::fprintf(stderr, "The plug-in wrote no movie; %s is unchanged.\n", out.c_str());
        return stopped ? exit_stopped : exit_failed;
    }
    std::string reason;
    if (!replace_file(staged, out, reason)) {
        std::fprintf(stderr, "Cannot put the movie in place at %s: %s.\n", out.c_str(), reason.c_str());
        return exit_failed;
    }

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
    if (std::string problem; !write_object_views(out, views, problem)) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return exit_failed;
    }
    return stopped ? exit_stopped : exit_done;
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
    if (command_line.help) {
        std::fputs(help_text().c_str(), stdout);
        return exit_done;
    }
    if (command_line.version) {
        std::printf("orbivane-host %s\n", ORBIVANE_VERSION);
        return exit_done;
    }
    try {
        return run(command_line);
    } catch (const usage_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return exit_usage;
#if SIMHOST_WITH_OBJ
    } catch (const model_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return exit_usage;
#endif
    } catch (const plugin_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return exit_failed;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orbivane-host: %s.\n", e.what());
        return exit_failed;
    }
}
