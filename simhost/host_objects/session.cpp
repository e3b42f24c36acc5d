#include "simhost/host_objects/session.h"

#include <chrono>

#include "simhost/host_objects/host_context.h"
#include "simhost/host_objects/host_objects.h"

namespace simhost {

#if !defined(_WIN32)
void link_windowing_exports();
#endif

Session::Session(SessionOptions options) : options_(std::move(options)), host_(std::make_unique<HostContext>(options_)) {
#if !defined(_WIN32)
    link_windowing_exports();
#endif
}

Session::~Session() { plugin_.reset(); }

const PluginDescription& Session::load_plugin(const std::string& path) {
    plugin_.reset();
    host_->log.observer = options_.on_call;
    AppObject* app = host_->make<AppObject>();
    plugin_ = std::make_unique<PluginLibrary>(path, app, host_->log);
    return plugin_->description();
}

std::int32_t Session::unload_plugin() {
    if (!plugin_) return 0;
    const std::int32_t count = plugin_->release_component();
    plugin_.reset();
    return count;
}

CommandResult Session::run_command() {
    if (!plugin_) throw plugin_error("No plug-in is loaded.");
    return run_command([this](host_scene* scene) { plugin_->invoke(scene); });
}

CommandResult Session::run_command(const std::function<void(host_scene*)>& command) {
    HostContext& h = *host_;
    h.begin_command();
    h.windowing.save_answer = options_.save_path;
    h.windowing.on_text = options_.on_window_text;
    h.log.observer = options_.on_call;
    Windowing* previous = active_windowing();
    set_active_windowing(&h.windowing);
    const std::size_t frames_before = h.frames.size();
    const std::size_t calls_before = h.log.records().size();
    SceneObject* scene = h.make<SceneObject>();

    CommandResult result;
    const auto start = std::chrono::steady_clock::now();
    try {
        command(scene);
        result.returned = true;
    } catch (const host_abort& e) {
        result.exception = e.what();
        result.abort_escaped = true;
    } catch (const std::exception& e) {
        result.exception = e.what();
    } catch (int value) {
        result.exception = "the integer " + std::to_string(value);
    } catch (...) {
        result.exception = "an exception of a type the host does not know";
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    h.audit.drop_host_reference(scene->audit_id());
    if (h.renderer.recorder) {
        // Dropping the writer leaves nothing at the path: the media layer writes only on finish.
        result.problems.push_back("the recording of " + h.renderer.recorder->path() + " was never ended");
        h.renderer.recorder.reset();
    }
    h.rig_undo.reset();
    // The host's reserved words must be 0; anything else is the plug-in's mistake.
    for (std::size_t i = calls_before; i < h.log.records().size(); ++i)
        for (const std::int32_t word : h.log.records()[i].reserved)
            if (word != 0) {
                result.problems.push_back(h.log.records()[i].object() + "." + h.log.records()[i].operation +
                                          " was passed " + std::to_string(word) + " as a reserved word, not 0");
                break;
            }
    result.abort_raised = h.abort_raised;
    result.frames_recorded = static_cast<int>(h.frames.size() - frames_before);
    result.audit = h.audit.report();
    set_active_windowing(previous);
    return result;
}

const CallLog& Session::calls() const { return host_->log; }
CallLog& Session::calls() { return host_->log; }
Scene& Session::scene() { return host_->scene; }
const Scene& Session::scene() const { return host_->scene; }
ImageSize Session::image_size() const { return host_->renderer.size; }
const Image& Session::current_image() const { return *host_->renderer.current; }
const std::vector<RecordedFrame>& Session::recorded_frames() const { return host_->frames; }
const std::deque<DialogRecord>& Session::dialogs() const { return host_->dialogs; }
const std::deque<ProgressRecord>& Session::progress() const { return host_->progress; }
Windowing& Session::windowing() { return host_->windowing; }
const Windowing& Session::windowing() const { return host_->windowing; }

Image Session::render(const Scene& scene, const CameraEntry& camera, int width, int height) const {
    Rasterizer rasterizer(host_->rasterizer.style());
    return rasterizer.render(scene, camera, width, height);
}

}  // namespace simhost
