// PluginLibrary in the engine: the engine loads the library (so the save
// dialog's import can be answered), and the host program's side, built in
// Microsoft's ABI, calls its exports and drives its component.
#include "simhost/host_objects/plugin_library.h"

#include <stdexcept>

#include "host/host_ref.h"
#include "simhost/host_objects/host_errors.h"
#include "simhost/msvc_host/engine_driver.h"

namespace simhost {

namespace {

const engine_plugin_driver* driver = nullptr;

std::string text_of(const char* text) { return text ? text : ""; }

// The host's own state that a command must leave as it found it.
std::string host_state(host_scene* scene) {
    try {
        CallArguments state;
        state.add("camera", host_ref<host_camera>(scene->get_camera(0))->current_index(0));
        state.add("image", host_ref<host_renderer>(scene->get_renderer(0))->get_image_size(0));
        state.add("light", host_ref<host_light>(scene->get_light(0))->get_vector(0, 0));
        return state.text;
    } catch (const std::exception& e) {
        return std::string("unknown: ") + e.what();
    }
}

}  // namespace

void use_plugin_driver(const engine_plugin_driver* given) { driver = given; }

const engine_plugin_driver& plugin_driver() {
    if (!driver) throw plugin_error("The host program gave the engine no way to drive a plug-in.");
    return *driver;
}

PluginLibrary::PluginLibrary(const std::string& path, host_app*, CallLog& log) : log_(log) {
    try {
        library_ = std::make_unique<DynamicLibrary>(path);
    } catch (const std::exception& e) {
        throw plugin_error("The plug-in " + path + " cannot be loaded: " + e.what() + ".");
    }
    engine_plugin_description found{};
    char message[512] = "";
    component_ = plugin_driver().create(library_->handle(), path.c_str(), &found, message, sizeof message);
    PluginDescription& d = description_;
    d.path = path;
    d.components = found.components;
    log_.add("plugin", 0, "has_interface", CallArguments().add("components", d.components));
    if (!component_) throw plugin_error(message);

    d.name = text_of(found.name);
    d.id = found.id;
    for (int i = 0; i < 6; ++i) d.info_numbers[i] = found.info_numbers[i];
    d.info_name = text_of(found.info_name);
    d.info_author = text_of(found.info_author);
    d.info_company = text_of(found.info_company);
    d.info_description = text_of(found.info_description);
    d.interface_version = found.interface_version;
    d.text_encoding = found.text_encoding;
    d.exception_kind = found.exception_kind;
    d.separate_interfaces = found.separate_interfaces != 0;
    d.resident = found.resident != 0;
    log_.add("plugin", 0, "describe", describe_arguments(d));
    log_.add("plugin", 0, "create_interface", CallArguments().add("created", true));
}

PluginLibrary::~PluginLibrary() { release_component(); }

// The host program's catch clauses saw what left the command; the same kind
// of exception goes on from here, so the session reports it as on Linux.
void PluginLibrary::invoke(host_scene* scene) {
    if (!component_) throw plugin_error("The plug-in's component has already been released.");
    log_.add("plugin", 0, "invoke", CallArguments().add_text("host_state", host_state(scene)));
    engine_invoke_report report{};
    plugin_driver().invoke(component_, scene, &report);
    report.message[sizeof report.message - 1] = '\0';
    log_.add("plugin", 0, "invoke_ended",
             CallArguments()
                 .add_text("host_state", host_state(scene))
                 .add("outcome", report.outcome)
                 .add_text("caught", report.message)
                 .add("failures_raised", report.failures_raised)
                 .add("failure_caught", report.failure_serial)
                 .add("failures_alive", report.failures_alive)
                 .add("references_held", report.references_held)
                 .add("released_twice", report.released_twice));
    switch (report.outcome) {
    case engine_invoke_returned: return;
    case engine_invoke_stop_escaped: throw host_abort();
    case engine_invoke_int_escaped: throw static_cast<int>(report.int_value);
    default: throw host_error(report.message);
    }
}

std::int32_t PluginLibrary::release_component() {
    if (!component_) return 0;
    const std::int32_t count = plugin_driver().release(component_);
    component_ = nullptr;
    log_.add("plugin", 0, "Release", CallArguments().add("count", count));
    return count;
}

}  // namespace simhost
