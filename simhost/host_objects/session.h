// A host session: one scene, the host's objects, and optionally a loaded
// plug-in whose command can be run any number of times.
//
//     simhost::SessionOptions options;
//     options.image_size = {64, 48};
//     options.save_path = "/tmp/out/vase.mov";
//     simhost::Session session(std::move(options));
//     session.load_plugin(path_to_Orbivane_so);
//     simhost::CommandResult result = session.run_command();
//     EXPECT_TRUE(result.audit.clean()) << result.audit.text();
//
// Any program that runs a plug-in through a session must export its dynamic
// symbols so the plug-in finds the host's windowing functions; linking
// simhost_core arranges that.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "simhost/host_objects/call_log.h"
#include "simhost/host_objects/host_records.h"
#include "simhost/host_objects/plugin_library.h"
#include "simhost/host_objects/reference_audit.h"
#include "simhost/host_objects/session_options.h"
#include "simhost/host_objects/windowing.h"
#include "simhost/rendering/scene_model.h"

namespace simhost {

class HostContext;

struct CommandResult {
    // How the command ended: normally, or by an exception that left it.
    bool returned = false;
    std::string exception;  // what left the command, empty when it returned
    bool abort_escaped = false;  // the host's abort itself left the command
    bool abort_raised = false;   // the host raised its abort at least once
    int frames_recorded = 0;     // appended during this command
    // Host-side faults, e.g. a recording never ended.
    std::vector<std::string> problems;
    AuditReport audit;
    double seconds = 0;

    // Returned, audit clean, no problems.
    bool ok() const { return returned && audit.clean() && problems.empty(); }
};

class Session {
public:
    explicit Session(SessionOptions options = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Loads the library and creates its component; throws plugin_error.
    const PluginDescription& load_plugin(const std::string& path);
    bool plugin_loaded() const { return plugin_ != nullptr; }
    // Releases the component and unloads the library; the count the component answered.
    std::int32_t unload_plugin();

    // Runs the loaded plug-in's command once.
    CommandResult run_command();
    // Runs any callable as the command, with the same scene, audit and log:
    // tests drive the host objects through it exactly as a plug-in would.
    CommandResult run_command(const std::function<void(host_scene*)>& command);

    // Options apply to the next command (answers, faults, abort) and may be changed between commands.
    SessionOptions& options() { return options_; }

    const CallLog& calls() const;
    CallLog& calls();
    Scene& scene();
    const Scene& scene() const;
    ImageSize image_size() const;
    const Image& current_image() const;
    // Every frame appended in this session, across commands.
    const std::vector<RecordedFrame>& recorded_frames() const;
    const std::deque<DialogRecord>& dialogs() const;
    const std::deque<ProgressRecord>& progress() const;
    Windowing& windowing();
    const Windowing& windowing() const;
    // Renders a scene the way the host's renderer does (for comparisons).
    Image render(const Scene& scene, const CameraEntry& camera, int width, int height) const;

private:
    SessionOptions options_;
    std::unique_ptr<HostContext> host_;
    std::unique_ptr<PluginLibrary> plugin_;
};

}  // namespace simhost
